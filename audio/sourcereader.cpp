#include "audio/sourcereader.h"

#include "audio/samplestorage.h"

#include <algorithm>
#include <cstring>

namespace brisklet::audio {

namespace {
// Larger requests are answered in parts ("at most count frames").
constexpr int64_t kMaxBlockFrames = int64_t(1) << 24;
constexpr int64_t kMinInputChunk = 1024;
constexpr int64_t kMaxInputChunk = 1 << 16;
} // namespace

SourceReader::SourceReader(std::unique_ptr<Decoder> decoder, int blockRate, int blockChannels)
    : m_decoder(std::move(decoder))
{
    setBlockFormat(blockRate, blockChannels);
}

void SourceReader::setBlockFormat(int blockRate, int blockChannels)
{
    m_blockRate = blockRate > 0 ? blockRate : m_decoder->sampleRate();
    m_blockChannels = blockChannels > 0 ? blockChannels : m_decoder->channels();
    m_converter.reset();
    if (m_blockRate != m_decoder->sampleRate() || m_blockChannels != m_decoder->channels())
        m_converter = std::make_unique<BlockConverter>(
            m_decoder->sampleRate(), m_decoder->channels(), m_blockRate, m_blockChannels);
    m_pending.clear();
    m_pendingStart = 0;
    m_inputEnded = false;
}

void SourceReader::seek(int64_t frame)
{
    m_decoder->seek(std::clamp<int64_t>(frame, 0, m_decoder->totalFrames()));
    if (m_converter)
        m_converter->reset();
    m_pending.clear();
    m_pendingStart = 0;
    m_inputEnded = false;
}

SampleBlock SourceReader::read(int64_t count)
{
    count = std::min(count, kMaxBlockFrames);
    if (count < 1)
        return SampleBlock(m_blockChannels, {});
    if (!m_converter) {
        const int channels = m_blockChannels;
        std::vector<float> samples = samplestorage::take(static_cast<size_t>(count * channels));
        // A decoder never gets to claim more frames than the buffer holds.
        int64_t got = std::clamp<int64_t>(m_decoder->read(samples.data(), count), 0, count);
        samples.resize(static_cast<size_t>(got * channels));
        return SampleBlock(channels, std::move(samples));
    }
    const Decoder& source = *m_decoder;
    while (pendingFrames() < count && !m_inputEnded) {
        // Ask the decoder for about what the missing output frames stand for.
        // The smallest chunk shrinks with the rate ratio, so that a source of
        // a very low rate (a damaged header) cannot turn one read into an
        // output of millions of frames.
        const int64_t smallest = std::clamp<int64_t>(
            kMinInputChunk * source.sampleRate() / m_blockRate, 1, kMinInputChunk);
        int64_t wanted = (count - pendingFrames()) * source.sampleRate() / m_blockRate +
                         std::min<int64_t>(16, smallest);
        wanted = std::clamp(wanted, smallest, kMaxInputChunk);
        m_input.resize(static_cast<size_t>(wanted * source.channels()));
        int64_t got = std::min(m_decoder->read(m_input.data(), wanted), wanted);
        if (got <= 0) {
            m_converter->flush(m_pending);
            m_inputEnded = true;
        } else {
            m_converter->process(m_input.data(), got, m_pending);
        }
    }
    return takePending(count);
}

int64_t SourceReader::pendingFrames() const
{
    return static_cast<int64_t>(m_pending.size() - m_pendingStart) / m_blockChannels;
}

SampleBlock SourceReader::takePending(int64_t count)
{
    int64_t take = std::min(count, pendingFrames());
    auto first = m_pending.begin() + static_cast<std::ptrdiff_t>(m_pendingStart);
    std::vector<float> samples = samplestorage::take(static_cast<size_t>(take * m_blockChannels));
    std::copy(first, first + static_cast<std::ptrdiff_t>(samples.size()), samples.begin());
    m_pendingStart += samples.size();
    if (m_pendingStart == m_pending.size()) {
        m_pending.clear();
        m_pendingStart = 0;
    } else if (m_pendingStart > m_pending.size() / 2) {
        m_pending.erase(m_pending.begin(),
                        m_pending.begin() + static_cast<std::ptrdiff_t>(m_pendingStart));
        m_pendingStart = 0;
    }
    return SampleBlock(m_blockChannels, std::move(samples));
}

} // namespace brisklet::audio
