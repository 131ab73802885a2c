#pragma once
// What the main window keeps about the preview that plays: the span of the
// source handed to the player and how the bar maps onto it. Positions and
// lengths are frames of the played source.

#include <cstdint>
#include <string>

namespace brisklet::app {

// Frames asked from the reader for each block handed to the player.
inline constexpr int64_t previewBlockFrames = 441000;

struct PreviewPlayback {
    // A segment preview maps the bar onto the segment, a file preview onto the
    // whole file; fixed when the preview starts, whatever is clicked later.
    bool segment = false;
    int64_t totalFrames = 0; // the reader's TotalFrames
    int64_t durationMs = 0;  // the reader's DurationMs
    int channels = 1;
    int sampleRate = 0;

    int64_t beginFrame = 0;    // where a segment starts (0 for a file)
    int64_t endFrame = 0;      // no frame from here on is handed to the player
    int64_t segmentFrames = 0; // the segment's length, as its bar maps it
    int64_t segmentMs = 0;
    int64_t readFrame = 0; // the next frame the reader gives

    std::string savedStatus; // the played segment row's status before "Playing"
};

// How far "hou" and "qian" move the bar: about one second of a file of
// `durationSeconds` on a bar of `usableRange` positions, never a single
// position; 0 when the file is shorter than a second.
int previewBarStep(int usableRange, int32_t durationSeconds);

} // namespace brisklet::app
