#pragma once
// What the split and join jobs share: the outside parts they drive, and one
// running job's bookkeeping (Stop checks, progress, the trimmed segment counts
// and the clean end after an error).

#include "audio/audiofile.h"
#include "audio/outputformat.h"
#include "audio/transform.h"
#include "engine/chunkloop.h"
#include "engine/jobmodel.h"
#include "tags/tagrecords.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace brisklet::engine {

// How a job writes its outputs besides their format.
struct OutputOptions {
    // Pieces keep their source's format and coded data where they can; the
    // others are encoded in the nearest format written, and say so.
    bool lossless = false;
    // Each output is read again when written: its length, and for a copied
    // piece its samples, must be the source's.
    bool verify = false;
    // Pieces of a split encoded at the same time, each on a thread of its own
    // (1: one after the other on the job's thread). A lossless split copies
    // one piece at a time whatever it says: copying waits on the disk.
    int workers = 1;
};

// The number of workers a setting asks for: the number of processor cores
// for 0 or below.
int workersFor(int setting);

// The component objects and hooks a job writes through; all outlive the job.
struct JobParts {
    audio::IAudioFile2& writer; // `AudioFile2write`
    audio::IAudioTransform2& transform;
    // Configures the writer for the output format from the settings file,
    // before each output is created.
    std::function<void(audio::OutputFormat format)> configureWriter;
    // Carries a source's tag record into a finished split output.
    std::function<void(const std::string& outputPath, const tags::AudioFileinfo& record)> carryTags;
    OutputOptions options{};
    // Told of an output not written as asked: encoded instead of copied, or
    // (`failure`) not passing its check. The row says so as well.
    std::function<void(const std::string& outputPath, const std::string& text, bool failure)>
        notePiece;
    // Configures a writer of a split's worker as configureWriter does
    // `writer`, with the MP3 settings in `encoder`. Called on the job's thread
    // while the worker is idle. Without it a split runs on one worker.
    std::function<void(audio::OutputFormat format, audio::IAudioFile2& writer,
                       audio::IAudioFile2LameEnc& encoder)>
        configureWorkerWriter{};
    // Told when a job ends of each source that gave fewer frames than its
    // pieces asked (damage the reader skipped, or a file changed since it was
    // added): the outputs keep what could be read, and the loss is a failure.
    std::function<void(const std::string& sourcePath, const std::string& text)> noteLoss{};
};

// What a job tells of a source's lost frames, and a piece's row shows.
std::string lostFramesText(int64_t lost, int64_t total);
std::string shortPieceStatus(int64_t lost);
// The frames of a piece of `length` that `reader` did not give whole:
// `written` came of it, and the reader's damage count was `damagedBefore`
// when the piece began.
int64_t lostFrames(const audio::IAudioFile2& reader, int64_t damagedBefore, int64_t length,
                   int64_t written);

class JobRun : public JobControl {
public:
    // Sets `converting`.
    JobRun(JobModel& model, JobParts& parts);

    // Pumps events; false once Stop has cleared `converting`.
    bool keepGoing() override;
    // Whether Stop ended this job (keepGoing() has answered false).
    bool stopped() const { return m_stopped; }
    // The percentage label and the bar for progress q.
    void showProgress(int q) override;

    // The trim rule: a single row becomes "OK", otherwise the last (open) row
    // goes. With `entry` >= 0 that entry's segment count becomes the number of
    // rows left, and is given back when the job ends. Returns the rows left.
    int trimSegmentList(int entry = -1);
    // Selects source row i for the job, shows its path and focuses the source list; with
    // `rebuild` the segment list is built anew for it.
    void selectSource(int row, bool rebuild);
    // The frame of a time of the source, by its recorded rate and length.
    static int64_t frameOfEntryMs(int64_t ms, const listrecord& entry);
    // The fade lengths in frames of the source, not limited by its length.
    Fades fadesFor(const listrecord& entry) const;

    // Counts frames a piece of source `entry` asked for and did not get.
    void noteShortRead(int entry, int64_t frames);

    // Normal end: tells of lost frames, empties the label and the bar and gives the trimmed counts
    // back. `converting` is left to the caller.
    void finish();
    // End after an error: closes the reader, drops the output being written
    // (a file it would replace stays as it was), clears `converting`, then as
    // finish(). Never throws.
    void abandon() noexcept;

    JobModel& model() { return m_model; }
    JobParts& parts() { return m_parts; }
    audio::IAudioFile2& reader() { return m_model.reader(); }
    MainState& state() { return m_model.state(); }
    std::vector<listrecord>& entries() { return m_model.sources().entries(); }

private:
    JobModel& m_model;
    JobParts& m_parts;
    std::vector<std::pair<int, int32_t>> m_trimmedCounts; // entry, count before the job
    std::map<int, int64_t> m_lostFrames;                  // entry, frames not read
    bool m_stopped = false;
};

// Runs `job` (a JobRun) through `body`; after an error the job is abandoned
// and the error passed on.
template <typename Run, typename Body> decltype(auto) runOrAbandon(Run& job, Body&& body)
{
    try {
        return body();
    } catch (...) {
        job.abandon();
        throw;
    }
}

// Closes the file when it is open.
void closeIfOpen(audio::IAudioFile2& file);

} // namespace brisklet::engine
