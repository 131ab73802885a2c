#pragma once
// A copy of the queued samples, kept until they are played, so that the player can
// tell the level of what sounds now. Frames are counted from the last reset.

#include <cstdint>
#include <deque>
#include <vector>

namespace brisklet::audio {

struct StereoLevels {
    int left = 0;  // peak of the first channel, 0-100
    int right = 0; // peak of the second channel (the first for mono), 0-100
};

class PlayedSamples {
public:
    void reset(int channels);
    // Appends whole frames of interleaved samples after those already held.
    void append(const float* samples, int64_t frames);
    // Peaks over the frames [from, to); frames no longer or not yet held count as silence.
    StereoLevels levels(int64_t from, int64_t to) const;
    // Forgets the chunks that end at or before `frame`.
    void dropBefore(int64_t frame);

private:
    struct Chunk {
        int64_t firstFrame = 0;
        std::vector<float> samples;
    };
    std::deque<Chunk> m_chunks;
    int m_channels = 1;
    int64_t m_endFrame = 0;
};

} // namespace brisklet::audio
