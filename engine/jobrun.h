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
#include <string>
#include <utility>
#include <vector>

namespace brisklet::engine {

// The component objects and hooks a job writes through; all outlive the job.
struct JobParts {
    audio::IAudioFile2& writer; // `AudioFile2write`
    audio::IAudioTransform2& transform;
    // Configures the writer for the output format from the settings file,
    // before each output is created.
    std::function<void(audio::OutputFormat format)> configureWriter;
    // Carries a source's tag record into a finished split output.
    std::function<void(const std::string& outputPath, const tags::AudioFileinfo& record)> carryTags;
};

class JobRun : public JobControl {
public:
    // Sets `converting`.
    JobRun(JobModel& model, JobParts& parts);

    // Pumps events; false once Stop has cleared `converting`.
    bool keepGoing() override;
    // The percentage label and the bar for progress q.
    void showProgress(int q) override;

    // The trim rule: a single row becomes "OK", otherwise the last (open) row
    // goes. With `entry` >= 0 that entry's segment count becomes the number of
    // rows left, and is given back when the job ends. Returns the rows left.
    int trimSegmentList(int entry = -1);
    // Selects source row i for the job and focuses the source list; with
    // `rebuild` the segment list is built anew for it.
    void selectSource(int row, bool rebuild);
    // Frames of `seconds` seconds of an entry by its recorded length, or -1
    // for a source shorter than a second.
    static int64_t recordedFrames(int64_t seconds, const listrecord& entry);
    Fades fadesFor(const listrecord& entry) const;

    // Normal end: empties the label and the bar and gives the trimmed counts
    // back. `converting` is left to the caller.
    void finish();
    // End after an error: closes reader and writer, clears `converting`, then
    // as finish(). Never throws.
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
};

// Closes the file when it is open.
void closeIfOpen(audio::IAudioFile2& file);

} // namespace brisklet::engine
