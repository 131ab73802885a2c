#pragma once
// One source list entry, at the index of its row in the source list.

#include <cstdint>
#include <string>
#include <vector>

namespace brisklet::engine {

// What a proposal (pause, cue sheet, label) said about one segment, found by
// the segment's times: a segment moved by hand loses it.
struct SegmentInfo {
    int64_t begin = 0; // segment times, as in `begins` and `ends`
    int64_t end = 0;
    std::string title;
    std::string artist;
    std::string album;
};

struct listrecord {
    int32_t segmentCount = 1; // number of segments; begins and ends hold this many
    std::string path;         // full path of the source
    // Segment i runs from begins[i] to ends[i], milliseconds from the start of
    // the file. In Custom and Unification the last segment is the open one.
    std::vector<int64_t> begins;
    std::vector<int64_t> ends;
    int32_t durationSeconds = 0; // DurationMs div 1000
    int32_t sampleRate = 0;      // frames a second of the source
    int32_t barMax = 0;          // Max of the position bar while this file is selected
    int64_t totalFrames = 0;     // exact frame count of the source

    // The whole seconds of the source in milliseconds: where a new open
    // segment ends and what the position bar spans.
    int64_t wholeMs() const { return int64_t{durationSeconds} * 1000; }

    // What the source list shows: the caption (file name or tag title, also
    // the base of the output names), the duration as time text and the size.
    std::string caption;
    std::string timeText;
    std::string sizeText;

    std::vector<SegmentInfo> segmentInfo; // of proposed segments, in no set order
};

} // namespace brisklet::engine
