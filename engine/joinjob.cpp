#include "engine/joinjob.h"

#include "engine/leftovers.h"
#include "engine/outputnaming.h"

#include <filesystem>

#include <algorithm>

namespace brisklet::engine {

namespace {

// The segments a join takes from an entry: its only one, or all but the open one.
int countedSegments(const listrecord& entry)
{
    return entry.segmentCount == 1 ? 1 : std::max(0, entry.segmentCount - 1);
}

class JoinRun : public JobRun {
public:
    JoinRun(JobModel& model, JobParts& parts, Mode mode) : JobRun(model, parts), m_mode(mode) {}

    void run(const std::string& outputPath, int filterIndex)
    {
        parts().configureWriter(filterIndex - 1);
        m_progress.total = expectedTotal();
        closeIfOpen(reader());
        reader().OpenRead(entries().front().path);
        m_rate = reader().SampleRate();
        m_channels = reader().Channels();
        reader().Close();

        audio::IAudioFile2& writer = parts().writer;
        writer.SetBlockFormat(m_rate, m_channels);
        closeIfOpen(writer);
        writer.OpenWrite(outputPath);
        writer.SetBlockFormat(m_rate, m_channels);

        for (int i = 0; i < static_cast<int>(entries().size()); ++i) {
            if (!keepGoing())
                break;
            joinSource(i);
        }
        writer.Close();
        finish();
    }

private:
    bool segmentMode() const { return m_mode == Mode::Custom || m_mode == Mode::Unification; }

    // The segments entry i gives, as (begin, end) seconds, in list order.
    std::vector<std::pair<int64_t, int64_t>> segmentsOf(int i, int rows)
    {
        const listrecord& entry = entries()[i];
        const listrecord& owner = m_mode == Mode::Unification ? entries().front() : entry;
        std::vector<std::pair<int64_t, int64_t>> segments;
        for (int j = 0; j < rows && j < owner.segmentCount; ++j) {
            int64_t begin = owner.begins.at(j);
            int64_t end = owner.ends.at(j);
            if (m_mode == Mode::Unification) {
                // A shared segment that starts after this source's end has
                // nothing in it, and neither have the later ones.
                if (begin > entry.durationSeconds)
                    break;
                end = std::min<int64_t>(end, entry.durationSeconds);
            }
            segments.emplace_back(begin, end);
        }
        return segments;
    }

    int64_t expectedTotal()
    {
        int64_t total = 0;
        for (int i = 0; i < static_cast<int>(entries().size()); ++i) {
            const listrecord& entry = entries()[i];
            if (!segmentMode()) {
                total += entry.totalFrames;
                continue;
            }
            const listrecord& owner = m_mode == Mode::Unification ? entries().front() : entry;
            for (auto [begin, end] : segmentsOf(i, countedSegments(owner)))
                total += std::max<int64_t>(0, recordedFrames(end - begin, entry));
        }
        return total;
    }

    void joinSource(int i)
    {
        const listrecord& entry = entries()[i];
        const Fades fades = fadesFor(entry);
        selectSource(i, segmentMode());
        int rows = 0;
        if (segmentMode()) {
            rows = trimSegmentList();
        } else {
            model().clearSegmentRows();
            model().appendSegmentRow(
                segmentRow(0, entry.durationSeconds, segmentstatus::Converting));
        }
        closeIfOpen(reader());
        reader().OpenRead(entry.path);
        JoinStretch stretch{-1, reader().SampleRate(), m_rate, entry.totalFrames};
        // Blocks come at the output's rate and channel count from here on.
        reader().SetBlockFormat(m_rate, m_channels);

        if (!segmentMode()) {
            copyJoinStretch(reader(), parts().writer, parts().transform, stretch, fades, m_progress,
                            *this);
            reader().Close();
            model().setSegmentStatus(0, segmentstatus::Finish);
            return;
        }
        const auto segments = segmentsOf(i, rows);
        for (int j = 0; j < static_cast<int>(segments.size()); ++j) {
            if (!keepGoing())
                break;
            model().setSegmentStatus(j, segmentstatus::Converting);
            const int64_t begin = std::max<int64_t>(0, recordedFrames(segments[j].first, entry));
            const int64_t end = recordedFrames(segments[j].second, entry);
            stretch.sourceFrames = std::max<int64_t>(0, end - begin);
            if (stretch.sourceFrames > 0) {
                reader().Seek(begin, audio::SeekMode::Exact);
                copyJoinStretch(reader(), parts().writer, parts().transform, stretch, fades,
                                m_progress, *this);
            }
            model().setSegmentStatus(j, segmentstatus::Finish);
        }
        reader().Close();
    }

    const Mode m_mode;
    int m_rate = 0;
    int m_channels = 0;
    JoinProgress m_progress;
};

} // namespace

std::string extensionForFilter(int filterIndex)
{
    return extensionForFormat(filterIndex - 1);
}

std::optional<SaveChoice> joinSaveDialogStep(JobModel& model, JoinDialogs& dialogs,
                                             int& outputFormat)
{
    MainState& state = model.state();
    if (state.converting || model.sources().empty())
        return std::nullopt;
    std::optional<SaveChoice> choice =
        dialogs.askOutputName(state.OutputDirectory, outputFormat + 1);
    if (!choice)
        return std::nullopt;
    outputFormat = choice->filterIndex - 1;
    const std::string outputPath = choice->fileName + extensionForFilter(choice->filterIndex);
    // The dialog confirmed the name as typed, not the one with the extension.
    // A free name is claimed at once, so that no other program takes it
    // before the join has written it.
    std::error_code error;
    NameReservation claim(outputPath, error);
    if (error == std::errc::file_exists && !dialogs.confirmReplace(outputPath))
        return std::nullopt;
    model.joinOutputClaim() = std::move(claim);
    return choice;
}

std::string runJoinJob(JobModel& model, JobParts& parts, const SaveChoice& choice)
{
    // Given back, unless the join has written over it, when the job ends.
    NameReservation claim = std::move(model.joinOutputClaim());
    const int mode = model.state().FunctionChoice;
    if (mode < 0 || mode > 3 || model.sources().empty())
        return {};
    const std::string outputPath = choice.fileName + extensionForFilter(choice.filterIndex);
    removeOldLeftovers(std::filesystem::path(outputPath).parent_path().string());
    JoinRun run(model, parts, static_cast<Mode>(mode));
    try {
        run.run(outputPath, choice.filterIndex);
    } catch (...) {
        run.abandon();
        throw;
    }
    return outputPath;
}

std::string runJoin(JobModel& model, JobParts& parts, JoinDialogs& dialogs, int& outputFormat)
{
    std::optional<SaveChoice> choice = joinSaveDialogStep(model, dialogs, outputFormat);
    if (!choice)
        return {};
    std::string output = runJoinJob(model, parts, *choice);
    model.state().converting = false;
    dialogs.openFolder(model.state().OutputDirectory);
    return output;
}

} // namespace brisklet::engine
