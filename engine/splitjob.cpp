#include "engine/splitjob.h"

#include "audio/audioerror.h"
#include "audio/units.h"
#include "engine/leftovers.h"
#include "engine/outputnaming.h"

#include <algorithm>

namespace brisklet::engine {

namespace {

struct PieceTimes {
    int64_t start = 0; // seconds
    int64_t end = 0;
};

// The pieces source `entry` gives in `mode`; `shared` holds the segments of
// Custom (the entry itself) and Unification (entry 0).
std::vector<PieceTimes> piecesOf(Mode mode, const listrecord& entry, const listrecord& shared,
                                 const MainState& state)
{
    const int64_t d = entry.durationSeconds;
    std::vector<PieceTimes> pieces;
    switch (mode) {
    case Mode::Custom:
        for (int32_t k = 0; k < entry.segmentCount; ++k)
            pieces.push_back({entry.begins.at(k), entry.ends.at(k)});
        break;
    case Mode::ByTime: {
        const int64_t n = std::max(1, state.splitSeconds);
        for (int64_t k = 0; k <= d / n; ++k)
            pieces.push_back({k * n, std::min((k + 1) * n, d)});
        break;
    }
    case Mode::ByCount: {
        const int64_t m = std::max(1, state.splitCount);
        const int64_t length = d / m;
        for (int64_t k = 0; k < m; ++k)
            pieces.push_back({k * length, std::min((k + 1) * length, d)});
        break;
    }
    case Mode::Unification:
        for (int32_t k = 0; k < shared.segmentCount; ++k) {
            if (shared.begins.at(k) > d)
                break;
            pieces.push_back({shared.begins.at(k), std::min<int64_t>(shared.ends.at(k), d)});
        }
        break;
    }
    return pieces;
}

// A source that ends inside a piece has changed since it was added (or is
// damaged there): the piece would be silently short.
std::string endedEarly(const std::string& path, int64_t written, int64_t length)
{
    return "cannot read " + path + ": it ended " + std::to_string(length - written) +
           " frames before the end of a piece; has it changed since it was added?";
}

class SplitRun : public JobRun {
public:
    SplitRun(JobModel& model, JobParts& parts, int outputFormat)
        : JobRun(model, parts), m_format(outputFormat), m_mode(state().mode())
    {
    }

    std::vector<std::string> run()
    {
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
        const std::vector<PieceTimes> pieces = piecesOf(m_mode, entry, entries().front(), state());
        for (int k = 0; k < static_cast<int>(pieces.size()); ++k) {
            if (!keepGoing())
                break;
            cutPiece(i, k, pieces[k]);
        }
        reader().Close();
    }

    // Frame of a time in whole seconds, by the reader's own length.
    int64_t frameAt(int64_t seconds)
    {
        return scaled(seconds * 1000, reader().TotalFrames(), reader().DurationMs());
    }

    void cutPiece(int i, int k, const PieceTimes& times)
    {
        const listrecord& entry = entries()[i];
        const int64_t start = std::max<int64_t>(0, frameAt(times.start));
        reader().Seek(start, audio::SeekMode::Exact);
        const int64_t length = std::max<int64_t>(0, frameAt(times.end) - start);
        audio::IAudioFile2& writer = parts().writer;

        closeIfOpen(writer);
        parts().configureWriter(m_format);
        if (std::string extension = extensionForFormat(m_format); !extension.empty())
            m_extension = extension;
        const std::string& folder = state().OutputDirectory;
        std::string path = claimedOutputPath(
            [&](const PathExists& exists) {
                return pieceOutputPath(folder, entry.caption, m_extension, exists);
            },
            m_claim);
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
            path = claimedOutputPath(
                [&](const PathExists& exists) {
                    return fallbackOutputPath(folder, entry.path, m_extension, exists);
                },
                m_claim);
            writer.OpenWrite(path);
        }
        model().setSegmentStatus(k, segmentstatus::Converting);
        writer.SetBlockFormat(rate, channels);

        const int64_t written =
            copyPiece(reader(), writer, parts().transform, length, fadesFor(entry), *this);
        if (written < length && state().converting)
            throw audio::AudioError(endedEarly(entry.path, written, length));

        const tags::AudioFileinfo& record = model().sources().TagList().at(i);
        if (m_mode == Mode::ByCount)
            model().setSegmentStatus(k, segmentstatus::Finish);
        writer.Close();
        m_outputs.push_back(path);
        if (parts().carryTags)
            parts().carryTags(path, record);
        if (m_mode != Mode::ByCount)
            model().setSegmentStatus(k, segmentstatus::Finish);
    }

    const int m_format;
    const Mode m_mode;
    std::string m_extension;
    std::vector<std::string> m_outputs;
    NameReservation m_claim; // the name of the piece being written
};

} // namespace

std::vector<std::string> runSplit(JobModel& model, JobParts& parts, int outputFormat)
{
    MainState& state = model.state();
    if (state.converting || model.sources().empty())
        return {};
    if (state.FunctionChoice < 0 || state.FunctionChoice > 3)
        return {};
    removeOldLeftovers(state.OutputDirectory);
    SplitRun run(model, parts, outputFormat);
    try {
        return run.run();
    } catch (...) {
        run.abandon();
        throw;
    }
}

} // namespace brisklet::engine
