#include "engine/joinjob.h"

#include "audio/audioerror.h"
#include "base/units.h"
#include "engine/blockpipe.h"
#include "engine/leftovers.h"
#include "engine/outputnaming.h"
#include "engine/pieces.h"
#include "engine/progress.h"
#include "lossless/pcm_piece.h"
#include "lossless/piece_copier.h"

#include <filesystem>

#include <algorithm>
#include <memory>

namespace brisklet::engine {

namespace {

// Blocks (of up to a second each) decoded ahead of the encoder.
constexpr size_t pipeBlocks = 4;

class JoinRun : public JobRun {
public:
    JoinRun(JobModel& model, JobParts& parts, Mode mode) : JobRun(model, parts), m_mode(mode) {}

    void run(const std::string& outputPath, audio::OutputFormat format)
    {
        parts().configureWriter(format);
        closeIfOpen(reader());
        reader().OpenRead(entries().front().path);
        m_rate = reader().SampleRate();
        m_channels = reader().Channels();
        reader().Close();
        m_progress.total = expectedTotal();

        audio::IAudioFile2& writer = parts().writer;
        writer.SetBlockFormat(m_rate, m_channels);
        closeIfOpen(writer);
        writer.OpenWrite(outputPath);
        writer.SetBlockFormat(m_rate, m_channels);

        {
            // The writer encodes on the pipe's thread while the sources are
            // decoded here.
            BlockPipe pipe(writer, pipeBlocks);
            m_sink = [&pipe](audio::SampleBlock block) { pipe.push(std::move(block)); };
            for (int i = 0; i < static_cast<int>(entries().size()); ++i) {
                if (!keepGoing())
                    break;
                joinSource(i);
            }
            if (!stopped())
                pipe.drain();
            m_sink = nullptr;
        }
        if (stopped()) {
            // An output cut short by Stop is not the join asked for: it goes,
            // and a file it was to replace stays.
            writer.Discard();
            unfinishRows();
            model().view().showJobStopped(joinStoppedLine());
        } else {
            writer.Close();
        }
        finish();
    }

    // The lossless join of PCM sources of one layout: their samples copied
    // into one file of their format. After Stop the output goes, as above.
    void runCopy(const std::string& outputPath)
    {
        m_progress.total = expectedTotal();
        lossless::PcmSource layout(entries().front().path);
        lossless::PcmJoin output(outputPath, layout);
        for (int i = 0; i < static_cast<int>(entries().size()); ++i) {
            if (!keepGoing())
                break;
            copySource(i, output);
        }
        if (stopped()) {
            unfinishRows();
            model().view().showJobStopped(joinStoppedLine());
        } else {
            output.commit();
        }
        finish();
    }

private:
    const std::string& doneStatus() const
    {
        return stopped() ? segmentstatus::Unconvert : segmentstatus::Finish;
    }

    bool segmentMode() const { return !joinsWholeSources(m_mode); }

    // The row's status once `sourceFrames` of source i were asked for and
    // `written` frames of the output came of them, `damaged` frames of the
    // source lost to damage on the way. A converted stretch may give a frame
    // or two fewer; more is a source that ended early.
    std::string statusAfter(int i, int64_t sourceFrames, int64_t written, int64_t damaged)
    {
        const listrecord& entry = entries()[i];
        const int64_t expected = framesAtRate(sourceFrames, entry.sampleRate, m_rate);
        const int64_t slack = entry.sampleRate == m_rate ? 0 : 2;
        int64_t lost = damaged;
        if (expected - written > slack)
            lost += framesAtRate(expected - written, m_rate, entry.sampleRate);
        if (stopped() || lost <= 0)
            return doneStatus();
        noteShortRead(i, lost);
        return shortPieceStatus(lost);
    }

    // A stopped join leaves no output: none of its rows is finished.
    void unfinishRows()
    {
        const std::vector<SegmentRow>& rows = model().segmentRows();
        for (int j = 0; j < static_cast<int>(rows.size()); ++j) {
            if (rows[j].status == segmentstatus::Finish)
                model().setSegmentStatus(j, segmentstatus::Unconvert);
        }
    }

    // Rows as joinSource() shows them; one stretch copied per row.
    void copySource(int i, lossless::PcmJoin& output)
    {
        const listrecord& entry = entries()[i];
        selectSource(i, segmentMode());
        lossless::PcmSource source(entry.path);
        if (!segmentMode()) {
            model().clearSegmentRows();
            model().appendSegmentRow(segmentRow(0, entry.wholeMs(), segmentstatus::Converting));
            model().setSegmentStatus(0, copyStretch(i, output, source, 0, entry.totalFrames));
            return;
        }
        std::vector<Piece> pieces = piecesOfSource(i);
        pieces.resize(std::min(pieces.size(), static_cast<size_t>(std::max(trimSegmentList(), 0))));
        for (int j = 0; j < static_cast<int>(pieces.size()); ++j) {
            if (!keepGoing())
                break;
            model().setSegmentStatus(j, segmentstatus::Converting);
            model().setSegmentStatus(j, copyStretch(i, output, source,
                                                    frameOfEntryMs(pieces[j].begin, entry),
                                                    frameOfEntryMs(pieces[j].end, entry)));
        }
    }

    // Returns the row's status: a source shorter than when it was added gave
    // only what it holds.
    std::string copyStretch(int i, lossless::PcmJoin& output, lossless::PcmSource& source,
                            int64_t begin, int64_t end)
    {
        const int64_t damagedBefore = source.damagedFrames();
        int64_t lost = std::max<int64_t>(0, end - std::max(begin, source.length()));
        end = std::min(end, source.length());
        if (end > begin) {
            output.append(source, begin, end);
            m_progress.done = std::min(m_progress.total, m_progress.done + (end - begin));
            showProgress(static_cast<int>(scaled(m_progress.done, 10000, m_progress.total)));
        }
        lost += source.damagedFrames() - damagedBefore;
        noteShortRead(i, lost);
        return lost > 0 ? shortPieceStatus(lost) : std::string(segmentstatus::Finish);
    }

    std::vector<Piece> piecesOfSource(int i)
    {
        return piecesOf(m_mode, entries()[i], entries().front(), state());
    }

    // Frames of the output, at its rate (the lossless join keeps the rate).
    int64_t expectedTotal()
    {
        int64_t total = 0;
        for (int i = 0; i < static_cast<int>(entries().size()); ++i) {
            const listrecord& entry = entries()[i];
            int64_t frames = 0;
            if (!segmentMode()) {
                frames = entry.totalFrames;
            } else {
                for (const Piece& piece : piecesOfSource(i))
                    frames += std::max<int64_t>(0, frameOfEntryMs(piece.end, entry) -
                                                       frameOfEntryMs(piece.begin, entry));
            }
            total += framesAtRate(frames, entry.sampleRate, m_rate);
        }
        return total;
    }

    // The source's fades in frames of the output.
    Fades outputFades(const listrecord& entry) const
    {
        Fades fades = fadesFor(entry);
        for (int64_t* frames : {&fades.fadeInFrames, &fades.fadeOutFrames})
            *frames = *frames > 0 ? framesAtRate(*frames, entry.sampleRate, m_rate) : *frames;
        return fades;
    }

    void joinSource(int i)
    {
        const listrecord& entry = entries()[i];
        const Fades fades = outputFades(entry);
        selectSource(i, segmentMode());
        int rows = 0;
        if (segmentMode()) {
            rows = trimSegmentList();
        } else {
            model().clearSegmentRows();
            model().appendSegmentRow(segmentRow(0, entry.wholeMs(), segmentstatus::Converting));
        }
        closeIfOpen(reader());
        reader().OpenRead(entry.path);
        JoinStretch stretch{-1, reader().SampleRate(), m_rate, entry.totalFrames};
        // Blocks come at the output's rate and channel count from here on.
        reader().SetBlockFormat(m_rate, m_channels);

        if (!segmentMode()) {
            const int64_t written = copyJoinStretch(reader(), m_sink, parts().transform, stretch,
                                                    fades, m_progress, *this);
            const int64_t damaged = reader().DamagedFrames();
            reader().Close();
            model().setSegmentStatus(0, statusAfter(i, entry.totalFrames, written, damaged));
            return;
        }
        std::vector<Piece> pieces = piecesOfSource(i);
        // Never more pieces than the trimmed list shows rows.
        pieces.resize(std::min(pieces.size(), static_cast<size_t>(std::max(rows, 0))));
        for (int j = 0; j < static_cast<int>(pieces.size()); ++j) {
            if (!keepGoing())
                break;
            model().setSegmentStatus(j, segmentstatus::Converting);
            const int64_t begin = frameOfEntryMs(pieces[j].begin, entry);
            const int64_t end = frameOfEntryMs(pieces[j].end, entry);
            stretch.sourceFrames = std::max<int64_t>(0, end - begin);
            int64_t written = 0;
            const int64_t damagedBefore = reader().DamagedFrames();
            if (stretch.sourceFrames > 0) {
                reader().Seek(begin, audio::SeekMode::Exact);
                written = copyJoinStretch(reader(), m_sink, parts().transform, stretch, fades,
                                          m_progress, *this);
            }
            model().setSegmentStatus(j, statusAfter(i, stretch.sourceFrames, written,
                                                    reader().DamagedFrames() - damagedBefore));
        }
        reader().Close();
    }

    const Mode m_mode;
    BlockSink m_sink; // the writer's pipe while the sources are read
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
    // A free name is claimed at once, so that no other program takes it
    // before the join has written it.
    std::error_code error;
    NameReservation claim(outputPath, error);
    if (error == std::errc::file_exists && !dialogs.confirmReplace(outputPath))
        return std::nullopt;
    model.joinOutputClaim() = std::move(claim);
    return choice;
}

namespace {

// A lossless join copies PCM sources of one layout into a file of their own
// format; any other is encoded in the first source's nearest format, and says so.
lossless::JoinCopyPlan losslessJoinPlan(JobModel& model)
{
    std::vector<std::string> paths;
    std::vector<int64_t> lengths;
    for (const listrecord& entry : model.sources().entries()) {
        paths.push_back(entry.path);
        lengths.push_back(entry.totalFrames);
    }
    lossless::JoinCopyPlan plan = lossless::planJoinCopy(paths, lengths);
    const MainState& state = model.state();
    if (plan.refusal.empty() && (state.fadeIn || state.fadeOut))
        plan.refusal = "a fade";
    return plan;
}

} // namespace

std::string runJoinJob(JobModel& model, JobParts& parts, const SaveChoice& choice)
{
    // Given back, unless the join has written over it, when the job ends.
    NameReservation claim = std::move(model.joinOutputClaim());
    const std::optional<Mode> mode = model.state().mode();
    if (!mode || model.sources().empty())
        return {};
    std::string outputPath = choice.outputPath();
    audio::OutputFormat format = choice.format;
    bool copy = false;
    std::string note;
    if (parts.options.lossless) {
        const lossless::JoinCopyPlan plan = losslessJoinPlan(model);
        copy = plan.refusal.empty();
        format = plan.nearest;
        outputPath = choice.fileName + (copy ? plan.extension : audio::extensionOf(format));
        if (!copy)
            note = "encoded as " + audio::displayNameOf(format) + ": " + plan.refusal;
        // The dialog confirmed the name with the type it showed, not this one.
        if (outputPath != choice.outputPath() && pathExists(outputPath))
            throw audio::AudioError(outputPath + " exists already; it was not replaced");
    }
    removeOldLeftovers(std::filesystem::path(outputPath).parent_path().string());
    JoinRun run(model, parts, *mode);
    runOrAbandon(run, [&] { copy ? run.runCopy(outputPath) : run.run(outputPath, format); });
    if (run.stopped())
        return {};
    if (!note.empty() && parts.notePiece)
        parts.notePiece(outputPath, note, false);
    // A copied join has the sources' own frames; an encoded one may change
    // their rate, and is checked by its encoders' own exact lengths.
    if (parts.options.verify && copy) {
        int64_t expected = 0;
        for (const listrecord& entry : model.sources().entries()) {
            if (joinsWholeSources(*mode)) {
                expected += entry.totalFrames;
                continue;
            }
            for (const Piece& piece :
                 piecesOf(*mode, entry, model.sources().entries().front(), model.state()))
                expected += std::max<int64_t>(0, JobRun::frameOfEntryMs(piece.end, entry) -
                                                     JobRun::frameOfEntryMs(piece.begin, entry));
        }
        const std::string problem = lossless::checkOutput(outputPath, expected);
        if (!problem.empty() && parts.notePiece)
            parts.notePiece(outputPath, problem, true);
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
