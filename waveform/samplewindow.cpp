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

} // namespace brisklet::waveform
