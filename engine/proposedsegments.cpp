#include "engine/proposedsegments.h"

#include <algorithm>

namespace brisklet::engine {

int64_t segmentTimeOfMs(int64_t ms)
{
    return std::max<int64_t>(ms, 0);
}

int64_t msOfSegmentTime(int64_t time)
{
    return time;
}

void proposeSegments(listrecord& entry, const std::vector<proposals::Proposal>& pieces,
                     const std::string& album)
{
    entry.begins.clear();
    entry.ends.clear();
    entry.segmentInfo.clear();
    for (const proposals::Proposal& piece : pieces) {
        const int64_t begin = std::min(segmentTimeOfMs(piece.beginMs), entry.wholeMs());
        const int64_t end = std::min(segmentTimeOfMs(piece.endMs), entry.wholeMs());
        entry.begins.push_back(begin);
        entry.ends.push_back(end);
        entry.segmentInfo.push_back({begin, end, piece.title, piece.artist, album});
    }
    entry.begins.push_back(0);
    entry.ends.push_back(entry.wholeMs());
    entry.segmentCount = static_cast<int32_t>(entry.begins.size());
}

const SegmentInfo* proposedInfo(const listrecord& entry, int64_t begin, int64_t end)
{
    auto found =
        std::find_if(entry.segmentInfo.begin(), entry.segmentInfo.end(),
                     [&](const SegmentInfo& s) { return s.begin == begin && s.end == end; });
    return found == entry.segmentInfo.end() ? nullptr : &*found;
}

std::vector<proposals::Proposal> committedPieces(const listrecord& entry)
{
    const int32_t count = entry.segmentCount == 1 ? 1 : entry.segmentCount - 1;
    std::vector<proposals::Proposal> pieces;
    for (int32_t k = 0; k < count && k < static_cast<int32_t>(entry.begins.size()); ++k) {
        proposals::Proposal piece;
        piece.beginMs = msOfSegmentTime(entry.begins[k]);
        piece.endMs = msOfSegmentTime(entry.ends[k]);
        if (const SegmentInfo* info = proposedInfo(entry, entry.begins[k], entry.ends[k])) {
            piece.title = info->title;
            piece.artist = info->artist;
        }
        pieces.push_back(piece);
    }
    proposals::numberProposals(pieces);
    return pieces;
}

} // namespace brisklet::engine
