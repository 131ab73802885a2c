#pragma once
// A block of interleaved 32-bit float samples, indexed from 0. The caller owns it;
// it is freed when it goes out of scope.

#include "audio/samplestorage.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace brisklet::audio {

class SampleBlock {
public:
    SampleBlock() = default;
    SampleBlock(int channels, std::vector<float> samples)
        : m_channels(channels > 0 ? channels : 1), m_samples(std::move(samples))
    {
    }
    // The storage goes back to the component, which reuses it for the next
    // block it reads.
    ~SampleBlock() { samplestorage::giveBack(std::move(m_samples)); }
    SampleBlock(const SampleBlock&) = default;
    SampleBlock(SampleBlock&&) noexcept = default;
    SampleBlock& operator=(const SampleBlock&) = default;
    SampleBlock& operator=(SampleBlock&&) noexcept = default;

    int channels() const { return m_channels; }
    // Number of samples over all channels.
    int64_t sampleCount() const { return static_cast<int64_t>(m_samples.size()); }
    // Number of whole frames (one sample per channel) the block holds.
    int64_t frameCount() const { return sampleCount() / m_channels; }
    // Highest valid sample index; -1 for an empty block.
    int64_t upperBound() const { return sampleCount() - 1; }
    bool empty() const { return m_samples.empty(); }

    float* data() { return m_samples.data(); }
    const float* data() const { return m_samples.data(); }
    float& operator[](int64_t i) { return m_samples[static_cast<size_t>(i)]; }
    float operator[](int64_t i) const { return m_samples[static_cast<size_t>(i)]; }
    std::vector<float>& samples() { return m_samples; }
    const std::vector<float>& samples() const { return m_samples; }

private:
    int m_channels = 1;
    std::vector<float> m_samples;
};

} // namespace brisklet::audio
