#pragma once
// Internal: converts interleaved float frames between rates (libsoxr) and
// channel counts (mono to stereo copies at the same level; stereo to mono
// averages). Used by readers (to the block format) and writers (to the output's).

#include <cstdint>
#include <memory>
#include <vector>

namespace brisklet::audio {

class BlockConverter {
public:
    BlockConverter(int inRate, int inChannels, int outRate, int outChannels);
    ~BlockConverter();
    BlockConverter(const BlockConverter&) = delete;
    BlockConverter& operator=(const BlockConverter&) = delete;

    bool isIdentity() const;
    // Appends the converted frames of `frames` input frames to out.
    void process(const float* in, int64_t frames, std::vector<float>& out);
    // Appends what the resampler still holds (call once at the end of a stream).
    void flush(std::vector<float>& out);
    // Forgets buffered state (after a seek).
    void reset();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace brisklet::audio
