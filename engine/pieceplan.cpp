#include "engine/pieceplan.h"

#include "engine/proposedsegments.h"

#include <set>

namespace brisklet::engine {

namespace {

int64_t startMsOf(const Piece& piece)
{
    return msOfSegmentTime(piece.begin);
}

} // namespace

const SegmentInfo* pieceInfo(const JobModel& model, const PieceOfSource& p)
{
    const std::vector<listrecord>& entries = model.sources().entries();
    const std::optional<Mode> mode = model.state().mode();
    if (mode != Mode::Custom && mode != Mode::Unification)
        return nullptr;
    const listrecord& segments = mode == Mode::Unification ? entries.front() : entries.at(p.source);
    if (p.k >= static_cast<int>(segments.begins.size()) ||
        p.k >= static_cast<int>(segments.ends.size()))
        return nullptr;
    return proposedInfo(segments, segments.begins[p.k], segments.ends[p.k]);
}

std::string pieceOutputPathFor(const JobModel& model, const PieceOfSource& p,
                               const std::string& extension, const PathExists& exists)
{
    const listrecord& entry = model.sources().entries().at(p.source);
    const tags::AudioFileinfo& record = model.sources().TagList().at(p.source);
    const SegmentInfo* info = pieceInfo(model, p);
    NameFields fields;
    fields.displayName = entry.caption;
    fields.number = p.k + 1;
    fields.count = p.count;
    fields.title = info ? info->title : "";
    fields.artist = info && !info->artist.empty() ? info->artist : record.Artist;
    fields.album = info && !info->album.empty() ? info->album : record.Album;
    fields.startMs = startMsOf(p.piece);
    return templatedOutputPath(model.state().OutputDirectory, model.state().nameTemplate, fields,
                               extension, exists);
}

tags::AudioFileinfo pieceTagRecord(const JobModel& model, const PieceOfSource& p)
{
    tags::AudioFileinfo record = model.sources().TagList().at(p.source);
    if (const SegmentInfo* info = pieceInfo(model, p)) {
        if (!info->title.empty())
            record.Title = info->title;
        if (!info->artist.empty())
            record.Artist = info->artist;
        if (!info->album.empty())
            record.Album = info->album;
    }
    if (model.state().trackNumbers)
        record.Track = std::to_string(p.k + 1) + "/" + std::to_string(p.count);
    return record;
}

std::vector<PlannedPiece> planSplit(const JobModel& model, audio::OutputFormat format)
{
    const std::optional<Mode> mode = model.state().mode();
    if (!mode)
        return {};
    const std::vector<listrecord>& entries = model.sources().entries();
    std::set<std::string> planned;
    const PathExists exists = [&](const std::string& path) {
        return planned.count(path) > 0 || pathExists(path);
    };
    std::vector<PlannedPiece> out;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        const std::vector<Piece> pieces =
            piecesOf(*mode, entries[i], entries.front(), model.state());
        for (int k = 0; k < static_cast<int>(pieces.size()); ++k) {
            PlannedPiece piece{{i, k, static_cast<int>(pieces.size()), pieces[k]}, {}};
            piece.outputPath =
                pieceOutputPathFor(model, piece.of, audio::extensionOf(format), exists);
            planned.insert(piece.outputPath);
            out.push_back(piece);
        }
    }
    return out;
}

std::vector<proposals::Proposal> joinedTracks(const JobModel& model)
{
    const std::optional<Mode> mode = model.state().mode();
    if (!mode)
        return {};
    const std::vector<listrecord>& entries = model.sources().entries();
    std::vector<proposals::Proposal> tracks;
    int64_t at = 0;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        std::vector<Piece> pieces = piecesOf(*mode, entries[i], entries.front(), model.state());
        if (joinsWholeSources(*mode))
            pieces = {{0, entries[i].sampleRate > 0
                              ? entries[i].totalFrames * 1000 / entries[i].sampleRate
                              : entries[i].wholeMs()}};
        for (int k = 0; k < static_cast<int>(pieces.size()); ++k) {
            const PieceOfSource p{i, k, static_cast<int>(pieces.size()), pieces[k]};
            const tags::AudioFileinfo record = pieceTagRecord(model, p);
            const SegmentInfo* info = joinsWholeSources(*mode) ? nullptr : pieceInfo(model, p);
            proposals::Proposal track;
            track.beginMs = at;
            at += std::max<int64_t>(0, msOfSegmentTime(pieces[k].end) - startMsOf(pieces[k]));
            track.endMs = at;
            track.title = info && !info->title.empty() ? info->title
                          : !record.Title.empty()      ? record.Title
                                                       : entries[i].caption;
            track.artist = record.Artist;
            tracks.push_back(track);
        }
    }
    proposals::numberProposals(tracks);
    return tracks;
}

} // namespace brisklet::engine
