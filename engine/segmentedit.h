#pragma once
// The segments of one source as the segment editor holds them while it is
// open: the committed ones and the open one, in milliseconds. They go back
// into the entry through the job model, by the rules of "Begin", "End" and "Ok".

#include <cstdint>
#include <string>
#include <vector>

namespace brisklet::engine {

struct EditedSegment {
    int64_t beginMs = 0;
    int64_t endMs = 0;

    bool operator==(const EditedSegment&) const = default;
};

struct SegmentEdit {
    std::vector<EditedSegment> committed;
    EditedSegment open;     // what "Begin" and "End" change; its end may lie before its begin
    int64_t durationMs = 0; // of the source the segments belong to

    bool operator==(const SegmentEdit&) const = default;
};

// "Ok" on the open segment: refused with its message when it ends before it
// begins; otherwise it is committed and a new open segment covers the file.
std::string commitOpenSegment(SegmentEdit& edit);

} // namespace brisklet::engine
