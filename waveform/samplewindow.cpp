#include "waveform/samplewindow.h"

#include <algorithm>

namespace brisklet::waveform {

SampleWindow::SampleWindow(std::string path) : m_path(std::move(path))
{
}

void SampleWindow::cover(int64_t first, int64_t count)
{
    if (!m_reader) {
        m_reader = audio::createAudioFile();
        m_reader->OpenRead(m_path);
        m_channels = m_reader->Channels();
        m_total = m_reader->TotalFrames();
    }
    first = std::clamp<int64_t>(first, 0, m_total);
    const int64_t end = std::clamp<int64_t>(first + count, first, m_total);
    if (first >= m_first && end <= m_first + frameCount())
        return;
    const int64_t from = std::max<int64_t>(0, first - count);
    const int64_t to = std::min(m_total, end + count);
    m_reader->Seek(from, audio::SeekMode::Exact);
    m_samples.clear();
    m_first = from;
    while (frameCount() < to - from) {
        const audio::SampleBlock block = m_reader->ReadFrames(to - from - frameCount());
        if (block.empty())
            break;
        m_samples.insert(m_samples.end(), block.samples().begin(), block.samples().end());
    }
}

float SampleWindow::sampleAt(int64_t frame, int channel) const
{
    const int64_t at = frame - m_first;
    if (channel < 0 || channel >= m_channels || at < 0 || at >= frameCount())
        return 0.0f;
    return m_samples[static_cast<size_t>(at * m_channels + channel)];
}

float SampleWindow::mean(int64_t frame) const
{
    float sum = 0.0f;
    for (int c = 0; c < m_channels; ++c)
        sum += sampleAt(frame, c);
    return m_channels ? sum / static_cast<float>(m_channels) : 0.0f;
}

int64_t SampleWindow::nearestZeroCrossing(int64_t frame, int64_t radius)
{
    cover(frame - radius - 1, 2 * radius + 2);
    auto crossesAt = [this](int64_t f) {
        if (f - 1 < m_first || f >= m_first + frameCount())
            return false;
        const float before = mean(f - 1);
        const float here = mean(f);
        return here == 0.0f || (before < 0.0f) != (here < 0.0f);
    };
    for (int64_t distance = 0; distance <= radius; ++distance) {
        if (crossesAt(frame - distance))
            return frame - distance;
        if (crossesAt(frame + distance))
            return frame + distance;
    }
    return frame;
}

} // namespace brisklet::waveform
