#include "engine/splitjob.h"

#include "audio/audioerror.h"
#include "base/units.h"
#include "engine/leftovers.h"
#include "engine/outputnaming.h"
#include "engine/parallelsplit.h"
#include "engine/pieceplan.h"
#include "engine/pieces.h"
#include "engine/progress.h"
#include "engine/splitpiece.h"
#include "lossless/piece_copier.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace brisklet::engine {

namespace {

class SplitRun : public JobRun {
public:
    SplitRun(JobModel& model, JobParts& parts, audio::OutputFormat outputFormat, Mode mode)
        : JobRun(model, parts), m_format(outputFormat), m_mode(mode)
    {
    }

    std::vector<std::string> run()
    {
        // Every source's pieces as the lists stand before the job trims them.
        for (const listrecord& entry : entries())
            m_pieces.push_back(piecesOf(m_mode, entry, entries().front(), state()));
        if (m_mode == Mode::Unification)
            trimSegmentList(0);
        for (int i = 0; i < static_cast<int>(entries().size()); ++i) {
            if (!keepGoing())
                break;
            splitSource(i);
        }
        finish();
        state().converting = false;
        if (stopped())
            model().view().showJobStopped(splitStoppedLine(m_outputs.size()));
        return m_outputs;
    }

private:
    void splitSource(int i)
    {
        selectSource(i, m_mode != Mode::Unification);
        if (m_mode == Mode::Custom)
            trimSegmentList(i);
        const listrecord& entry = entries()[i];
        closeIfOpen(reader());
        reader().OpenRead(entry.path);
        // Blocks in the source's own format, whatever an earlier job asked for.
        reader().SetBlockFormat(reader().SampleRate(), reader().Channels());
        if (parts().options.lossless)
            m_copier = std::make_unique<lossless::PieceCopier>(entry.path, reader().TotalFrames());
        const std::vector<Piece>& pieces = m_pieces.at(i);
        for (int k = 0; k < static_cast<int>(pieces.size()); ++k) {
            if (!keepGoing())
                break;
            cutPiece({i, k, static_cast<int>(pieces.size()), pieces[k]});
        }
        reader().Close();
    }

    // Frame of a time in milliseconds, limited to the reader's own length.
    int64_t frameAt(int64_t ms)
    {
        return frameOfMs(ms, reader().SampleRate(), reader().TotalFrames());
    }

    void cutPiece(const PieceOfSource& of)
    {
        m_of = of;
        const int i = of.source;
        const int k = of.k;
        const Piece& piece = of.piece;
        const int64_t start = std::max<int64_t>(0, frameAt(piece.begin));
        const int64_t length = std::max<int64_t>(0, frameAt(piece.end) - start);
        if (!m_copier) {
            encodePiece(i, k, start, length, m_format, {});
            return;
        }
        const Fades fades = fadesFor(entries()[i]);
        std::string reason =
            fades.hasFadeIn() || fades.hasFadeOut() ? "a fade" : m_copier->refusal();
        if (reason.empty()) {
            model().setSegmentStatus(k, segmentstatus::Converting);
            std::string path = outputPath(i, m_copier->extension(), false);
            const int64_t damagedBefore = m_copier->damagedFrames();
            try {
                reason = m_copier->writePiece(start, start + length, path);
            } catch (const audio::AudioError&) {
                path = outputPath(i, m_copier->extension(), true);
                reason = m_copier->writePiece(start, start + length, path);
            }
            showProgress(10000);
            if (reason.empty()) {
                const int64_t lost = m_copier->damagedFrames() - damagedBefore;
                noteShortRead(i, lost);
                if (m_mode == Mode::ByCount)
                    model().setSegmentStatus(k, segmentstatus::Finish);
                finishPiece(k, path, start, length, true, {}, lost);
                return;
            }
        }
        encodePiece(i, k, start, length, m_copier->nearestFormat(), reason);
    }

    // The caption's name, or (`fallback`) the source's own name, numbered so
    // that it replaces nothing.
    std::string outputPath(int i, const std::string& extension, bool fallback)
    {
        const listrecord& entry = entries()[i];
        const std::string& folder = state().OutputDirectory;
        return claimedOutputPath(
            [&](const PathExists& exists) {
                return fallback ? fallbackOutputPath(folder, entry.path, extension, exists)
                                : pieceOutputPathFor(model(), m_of, extension, exists);
            },
            m_claim);
    }

    // Decodes and encodes the piece; `reason` tells why a lossless piece is
    // encoded instead (empty for an encoding split).
    void encodePiece(int i, int k, int64_t start, int64_t length, audio::OutputFormat format,
                     const std::string& reason)
    {
        const listrecord& entry = entries()[i];
        reader().Seek(start, audio::SeekMode::Exact);
        audio::IAudioFile2& writer = parts().writer;

        closeIfOpen(writer);
        parts().configureWriter(format);
        const std::string extension = audio::extensionOf(format);
        std::string path = outputPath(i, extension, false);
        const int rate = reader().SampleRate();
        const int channels = reader().Channels();
        writer.SetBlockFormat(rate, channels);
        closeIfOpen(writer);
        try {
            writer.OpenWrite(path);
        } catch (const audio::AudioError&) {
            closeIfOpen(writer);
            path = outputPath(i, extension, true);
            writer.OpenWrite(path);
        }
        model().setSegmentStatus(k, segmentstatus::Converting);
        writer.SetBlockFormat(rate, channels);

        const int64_t damagedBefore = reader().DamagedFrames();
        const int64_t written =
            copyPiece(reader(), writer, parts().transform, length, fadesFor(entry), *this);
        const int64_t lost = lostFrames(reader(), damagedBefore, length, written);
        if (written < length && stopped()) {
            // A piece cut short by Stop is not a piece: it goes.
            writer.Discard();
            model().setSegmentStatus(k, segmentstatus::Unconvert);
            return;
        }
        // The source gave less than the piece asks: what was read is kept,
        // and the loss is told when the job ends.
        noteShortRead(i, lost);
        if (written == 0 && length > 0) {
            writer.Discard();
            model().setSegmentStatus(k, shortPieceStatus(length));
            return;
        }

        if (m_mode == Mode::ByCount)
            model().setSegmentStatus(k, segmentstatus::Finish);
        writer.Close();
        std::string note;
        if (!reason.empty())
            note = "encoded as " + audio::displayNameOf(format) + ": " + reason;
        finishPiece(k, path, start, written, false, note, lost);
    }

    // Tags, the row's status, the note of a piece not copied, and the check;
    // a piece `lost` frames short says so on its row.
    void finishPiece(int k, const std::string& path, int64_t start, int64_t length, bool copied,
                     const std::string& note, int64_t lost = 0)
    {
        m_outputs.push_back(path);
        std::string status =
            finishWrittenPiece(model(), parts(), m_of, path, start, length, copied, note);
        if (lost > 0)
            status = shortPieceStatus(lost);
        if (m_mode != Mode::ByCount || status != segmentstatus::Finish)
            model().setSegmentStatus(k, status);
    }

    const audio::OutputFormat m_format;
    const Mode m_mode;
    std::unique_ptr<lossless::PieceCopier> m_copier; // the current source's, when lossless
    std::vector<std::vector<Piece>> m_pieces;        // per source
    std::vector<std::string> m_outputs;
    NameReservation m_claim; // the name of the piece being written
    PieceOfSource m_of;      // the piece being written
};

} // namespace

std::vector<std::string> runSplit(JobModel& model, JobParts& parts,
                                  audio::OutputFormat outputFormat)
{
    MainState& state = model.state();
    if (state.converting || model.sources().empty())
        return {};
    const std::optional<Mode> mode = state.mode();
    if (!mode)
        return {};
    removeOldLeftovers(state.OutputDirectory);
    if (parts.options.workers > 1 && !parts.options.lossless && parts.configureWorkerWriter)
        return runParallelSplit(model, parts, outputFormat, *mode);
    SplitRun run(model, parts, outputFormat, *mode);
    return runOrAbandon(run, [&] { return run.run(); });
}

} // namespace brisklet::engine
