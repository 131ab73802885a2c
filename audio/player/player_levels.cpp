#include "audio/player/player_levels.h"

#include <algorithm>
#include <cmath>

namespace brisklet::audio {

namespace {

int percent(float peak)
{
    return static_cast<int>(std::lround(std::clamp(peak, 0.0f, 1.0f) * 100.0f));
}

} // namespace

void PlayedSamples::reset(int channels)
{
    m_chunks.clear();
    m_channels = channels > 0 ? channels : 1;
    m_endFrame = 0;
}

void PlayedSamples::append(const float* samples, int64_t frames)
{
    if (frames <= 0)
        return;
    Chunk chunk;
    chunk.firstFrame = m_endFrame;
    chunk.samples.assign(samples, samples + frames * m_channels);
    m_chunks.push_back(std::move(chunk));
    m_endFrame += frames;
}

StereoLevels PlayedSamples::levels(int64_t from, int64_t to) const
{
    const int rightChannel = m_channels > 1 ? 1 : 0;
    float left = 0.0f;
    float right = 0.0f;
    for (const Chunk& chunk : m_chunks) {
        const int64_t chunkFrames = static_cast<int64_t>(chunk.samples.size()) / m_channels;
        const int64_t begin = std::max(from, chunk.firstFrame) - chunk.firstFrame;
        const int64_t end = std::min(to, chunk.firstFrame + chunkFrames) - chunk.firstFrame;
        for (int64_t f = begin; f < end; ++f) {
            const float* frame = chunk.samples.data() + f * m_channels;
            left = std::max(left, std::fabs(frame[0]));
            right = std::max(right, std::fabs(frame[rightChannel]));
        }
    }
    return {percent(left), percent(right)};
}

void PlayedSamples::dropBefore(int64_t frame)
{
    while (!m_chunks.empty()) {
        const Chunk& first = m_chunks.front();
        const int64_t chunkFrames = static_cast<int64_t>(first.samples.size()) / m_channels;
        if (first.firstFrame + chunkFrames > frame)
            break;
        m_chunks.pop_front();
    }
}

} // namespace brisklet::audio
