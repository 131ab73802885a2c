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
    int32_t begin = 0; // seconds
    int32_t end = 0;
};

struct JobOptions {
    engine::Mode mode = engine::Mode::Custom;
    int seconds = 60;
    int count = 6;
    std::vector<SegmentTimes> segments;
    audio::OutputFormat format = audio::OutputFormat::Mp3;
    std::optional<int> fadeInSeconds;
    std::optional<int> fadeOutSeconds;
    std::string settingsFile; // empty: the program's own settings file
    std::string outDir;
    std::string output; // join only
    std::vector<std::string> files;
    PieceOptions pieces;
};

// Seconds from "90" or "hh:mm:ss" (also "mm:ss"); nothing when malformed.
std::optional<int32_t> parseTime(const std::string& text);

// Parses the options shared by both commands (and --output when `join`).
// Returns the usage error, or "".
std::string parseJobOptions(const Arguments& args, bool join, JobOptions& options);

// Draws the percentage in place on a terminal and stops the job on Ctrl+C.
class CliView : public engine::HeadlessView {
public:
    void setModel(engine::JobModel* model) { m_model = model; }
    void setPercentText(const std::string& text) override;
    void pumpEvents() override;
    // Blanks the percentage line on the terminal, so that a line printed on
    // stdout (the same terminal, most often) starts on a clean line.
    void clearProgressLine();

private:
    bool terminal();

    engine::JobModel* m_model = nullptr;
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
};

// Exit status after a job that Ctrl+C stopped.
constexpr int kInterrupted = 130;

} // namespace brisklet::cli
