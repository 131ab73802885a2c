#include "audio/outputwriter.h"

namespace brisklet::audio {

OutputWriter::OutputWriter(std::unique_ptr<Encoder> encoder, int blockRate, int blockChannels)
    : m_encoder(std::move(encoder))
{
    int rate = blockRate > 0 ? blockRate : m_encoder->sampleRate();
    m_blockChannels = blockChannels > 0 ? blockChannels : m_encoder->channels();
    if (rate != m_encoder->sampleRate() || m_blockChannels != m_encoder->channels())
        m_converter = std::make_unique<BlockConverter>(
            rate, m_blockChannels, m_encoder->sampleRate(), m_encoder->channels());
}

void OutputWriter::write(const SampleBlock& block)
{
    // The block is taken as holding the declared channel count, whatever it says.
    const int64_t frames = block.sampleCount() / m_blockChannels;
    if (frames <= 0)
        return;
    if (!m_converter) {
        m_encoder->write(block.data(), frames);
        return;
    }
    m_converter->process(block.data(), frames, m_converted);
    encodeConverted();
}

void OutputWriter::finish()
{
    if (m_converter) {
        m_converter->flush(m_converted);
        encodeConverted();
    }
    m_encoder->finish();
}

void OutputWriter::encodeConverted()
{
    const int64_t frames = static_cast<int64_t>(m_converted.size()) / m_encoder->channels();
    if (frames > 0)
        m_encoder->write(m_converted.data(), frames);
    m_converted.clear();
}

} // namespace brisklet::audio
