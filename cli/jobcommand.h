#pragma once
// What `brisklet-cli split` and `brisklet-cli join` share: their options, and
// a job set up as the window sets it up (job model, component objects, encoder
// configuration from the settings file, tag carry-over) over a view that draws
// progress on stderr and turns Ctrl+C into Stop.

#include "audio/audiofile.h"
#include "audio/lameencoder.h"
#include "audio/outputformat.h"
#include "audio/transform.h"
#include "cli/commands.h"
#include "cli/pieceoptions.h"
#include "engine/headlessview.h"
#include "engine/jobmodel.h"
#include "engine/jobrun.h"
#include "settings/encoderconfig.h"
#include "settings/profilefile.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brisklet::cli {

struct SegmentTimes {
    int64_t begin = 0; // milliseconds
    int64_t end = 0;
};

struct JobOptions {
    engine::Mode mode = engine::Mode::Custom;
    int64_t pieceMs = 60000; // --seconds
    int count = 6;
    std::vector<SegmentTimes> segments;
    audio::OutputFormat format = audio::OutputFormat::Mp3;
    engine::OutputOptions outputOptions; // --format copy, --verify
    std::optional<int> jobs;             // split: pieces encoded at once (--jobs)
    std::optional<int64_t> fadeInMs;
    std::optional<int64_t> fadeOutMs;
    std::string settingsFile; // empty: the program's own settings file
    std::string outDir;
    std::string output;             // join only; a relative NAME is already placed in outDir
    bool quiet = false;             // no progress
    std::vector<std::string> files; // and folders
    PieceOptions pieces;
};

// Parses the options of split, or of join when `join`; an option the command
// or its mode does not use is an error. Returns the usage error, or "".
std::string parseJobOptions(const Arguments& args, bool join, JobOptions& options);

// Draws the percentage in place on a terminal and stops the job on Ctrl+C.
class CliView : public engine::HeadlessView {
public:
    void setModel(engine::JobModel* model) { m_model = model; }
    void setQuiet(bool quiet) { m_quiet = quiet; }
    void setPercentText(const std::string& text) override;
    void pumpEvents() override;
    // "brisklet-cli: Split stopped: ..." on stderr.
    void showJobStopped(const std::string& line) override;
    // Blanks the percentage line on the terminal, so that a line printed on
    // stdout (the same terminal, most often) starts on a clean line.
    void clearProgressLine();

private:
    bool terminal();

    engine::JobModel* m_model = nullptr;
    bool m_quiet = false;
    bool m_terminal = false;
    bool m_terminalChecked = false;
    bool m_lineDrawn = false;
};

class CliJob {
public:
    // Opens the settings file and adds every file (a refused one is reported on
    // stderr and skipped), then sets the mode, fades and segments.
    explicit CliJob(const JobOptions& options);

    engine::JobModel& model() { return *m_model; }
    engine::JobParts& parts() { return m_parts; }
    bool empty() const { return m_model->sources().empty(); }
    bool stopped() const;
    // Sources given (a folder counts its files) and those refused.
    int sourceCount() const { return m_total; }
    int refusedCount() const { return m_refused; }
    // Outputs that did not pass their check (--verify) and sources that lost
    // frames: each makes the exit status non-zero.
    int failures() const { return m_failures; }

private:
    void applySegments(const JobOptions& options);

    CliView m_view;
    std::unique_ptr<audio::IAudioFile2> m_reader = audio::createAudioFile();
    std::unique_ptr<audio::IAudioFile2> m_writer = audio::createAudioFile();
    std::unique_ptr<audio::IAudioTransform2> m_transform = audio::createAudioTransform();
    audio::LameEncoderSettings m_lame;
    std::unique_ptr<settings::ProfileFile> m_profile;
    std::unique_ptr<settings::EncoderConfiguration> m_configuration;
    std::unique_ptr<engine::JobModel> m_model;
    engine::JobParts m_parts;
    int m_total = 0;
    int m_refused = 0;
    int m_failures = 0;
};

// Exit status after a job that Ctrl+C stopped.
constexpr int kInterrupted = 130;

} // namespace brisklet::cli
