#include "engine/splitjob.h"

#include "audio/audioerror.h"
#include "audio/units.h"
#include "engine/outputnaming.h"
#include "engine/pieceplan.h"

#include <algorithm>
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
        const std::vector<Piece>& pieces = m_pieces.at(i);
        for (int k = 0; k < static_cast<int>(pieces.size()); ++k) {
            if (!keepGoing())
                break;
            cutPiece({i, k, static_cast<int>(pieces.size()), pieces[k]});
        }
        reader().Close();
    }

    // Frame of a time in whole seconds, by the reader's own length.
    int64_t frameAt(int64_t seconds)
    {
        return scaled(seconds * 1000, reader().TotalFrames(), reader().DurationMs());
    }

    void cutPiece(const PieceOfSource& of)
    {
        const int i = of.source;
        const int k = of.k;
        const Piece& piece = of.piece;
        const listrecord& entry = entries()[i];
        const int64_t start = std::max<int64_t>(0, frameAt(piece.begin));
        reader().Seek(start, audio::SeekMode::Exact);
        const int64_t length = std::max<int64_t>(0, frameAt(piece.end) - start);
        audio::IAudioFile2& writer = parts().writer;

        closeIfOpen(writer);
        parts().configureWriter(m_format);
        const std::string extension = audio::extensionOf(m_format);
        std::string path = pieceOutputPathFor(model(), of, extension);
        const int rate = reader().SampleRate();
        const int channels = reader().Channels();
        writer.SetBlockFormat(rate, channels);
        closeIfOpen(writer);
        try {
            writer.OpenWrite(path);
        } catch (const audio::AudioError&) {
            // The caption's name could not be created: try the source's own
            // name, numbered so that it replaces nothing.
            closeIfOpen(writer);
            path = fallbackOutputPath(state().OutputDirectory, entry.path, extension);
            writer.OpenWrite(path);
        }
        model().setSegmentStatus(k, segmentstatus::Converting);
        writer.SetBlockFormat(rate, channels);

        copyPiece(reader(), writer, parts().transform, length, fadesFor(entry), *this);

        const tags::AudioFileinfo record = pieceTagRecord(model(), of);
        if (m_mode == Mode::ByCount)
            model().setSegmentStatus(k, segmentstatus::Finish);
        writer.Close();
        m_outputs.push_back(path);
        if (parts().carryTags)
            parts().carryTags(path, record);
        if (m_mode != Mode::ByCount)
            model().setSegmentStatus(k, segmentstatus::Finish);
    }

    const audio::OutputFormat m_format;
    const Mode m_mode;
    std::vector<std::vector<Piece>> m_pieces; // per source
    std::vector<std::string> m_outputs;
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
    SplitRun run(model, parts, outputFormat, *mode);
    try {
        return run.run();
    } catch (...) {
        run.abandon();
        throw;
    }
}

} // namespace brisklet::engine
