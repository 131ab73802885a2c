#pragma once
// Proposed pieces (from pauses, a cue sheet or a label file) as the segments
// of a source, and those segments back as pieces (for a label file or a cue
// sheet). Each proposed segment keeps its title, performer and album for the
// names and tags of the piece cut from it.

#include "engine/listrecord.h"
#include "proposals/proposal.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brisklet::engine {

// Milliseconds as a segment time, and back: the one place that knows the
// unit of `begins` and `ends` (milliseconds).
int64_t segmentTimeOfMs(int64_t ms);
int64_t msOfSegmentTime(int64_t time);

// The pieces become the entry's committed segments, followed by the open
// segment over the whole file; each remembers its title, artist and `album`.
void proposeSegments(listrecord& entry, const std::vector<proposals::Proposal>& pieces,
                     const std::string& album = {});

// What a proposal said about the segment from `begin` to `end` (segment
// times) of the entry; null when the segment was not proposed as it stands
// (set by hand, or moved since).
const SegmentInfo* proposedInfo(const listrecord& entry, int64_t begin, int64_t end);

// The committed segments of an entry (its only one when it has no other), in
// milliseconds, with the titles proposed for them.
std::vector<proposals::Proposal> committedPieces(const listrecord& entry);

} // namespace brisklet::engine
