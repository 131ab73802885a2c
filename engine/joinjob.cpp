#include "engine/joinjob.h"

#include "engine/outputnaming.h"
#include "engine/pieces.h"

#include <algorithm>

namespace brisklet::engine {

namespace {

class JoinRun : public JobRun {
public:
    JoinRun(JobModel& model, JobParts& parts, Mode mode) : JobRun(model, parts), m_mode(mode) {}

    void run(const std::string& outputPath, audio::OutputFormat format)
    {
        parts().configureWriter(format);
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
    bool segmentMode() const { return !joinsWholeSources(m_mode); }

    std::vector<Piece> piecesOfSource(int i)
    {
        return piecesOf(m_mode, entries()[i], entries().front(), state());
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
            for (const Piece& piece : piecesOfSource(i))
                total += std::max<int64_t>(0, recordedFrames(piece.end - piece.begin, entry));
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
        std::vector<Piece> pieces = piecesOfSource(i);
        // Never more pieces than the trimmed list shows rows.
        pieces.resize(std::min(pieces.size(), static_cast<size_t>(std::max(rows, 0))));
        for (int j = 0; j < static_cast<int>(pieces.size()); ++j) {
            if (!keepGoing())
                break;
            model().setSegmentStatus(j, segmentstatus::Converting);
            const int64_t begin = std::max<int64_t>(0, recordedFrames(pieces[j].begin, entry));
            const int64_t end = recordedFrames(pieces[j].end, entry);
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

std::optional<SaveChoice> joinSaveDialogStep(JobModel& model, JoinDialogs& dialogs,
                                             audio::OutputFormat& outputFormat)
{
    MainState& state = model.state();
    if (state.converting || model.sources().empty())
        return std::nullopt;
    std::optional<SaveChoice> choice = dialogs.askOutputName(state.OutputDirectory, outputFormat);
    if (!choice)
        return std::nullopt;
    outputFormat = choice->format;
    const std::string outputPath = choice->outputPath();
    // The dialog confirmed the name as typed, not the one with the extension.
    if (pathExists(outputPath) && !dialogs.confirmReplace(outputPath))
        return std::nullopt;
    return choice;
}

std::string runJoinJob(JobModel& model, JobParts& parts, const SaveChoice& choice)
{
    const std::optional<Mode> mode = model.state().mode();
    if (!mode || model.sources().empty())
        return {};
    const std::string outputPath = choice.outputPath();
    JoinRun run(model, parts, *mode);
    try {
        run.run(outputPath, choice.format);
    } catch (...) {
        run.abandon();
        throw;
    }
    return outputPath;
}

std::string runJoin(JobModel& model, JobParts& parts, JoinDialogs& dialogs,
                    audio::OutputFormat& outputFormat)
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
