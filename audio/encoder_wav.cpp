// PCM WAV output. Samples are turned into integers here, with the same factor
// the reader divides by (2^(bits-1)), so that a WAV read and written back keeps
// every sample. The header is written by wavHeader(): RIFF while the file is
// under 4 GiB, RF64 beyond.

#include "audio/encoders.h"
#include "audio/pcm_integer.h"
#include "audio/wavheader.h"
#include "base/output_file.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace brisklet::audio {

namespace {

static_assert(std::endian::native == std::endian::little, "samples are stored as in memory");

class WavEncoder : public Encoder {
public:
    WavEncoder(const std::string& path, int rate, int channels, int bits)
        : m_file(path), m_layout{rate, channels, bits}
    {
        m_file.append(wavHeader(m_layout, 0).data(), kWavHeaderBytes);
    }

    int sampleRate() const override { return m_layout.sampleRate; }
    int channels() const override { return m_layout.channels; }

    void write(const float* interleaved, int64_t frames) override
    {
        const size_t count = static_cast<size_t>(frames * m_layout.channels);
        const size_t width = static_cast<size_t>(m_layout.bits / 8);
        m_bytes.resize(count * width);
        unsigned char* out = m_bytes.data();
        switch (m_layout.bits) {
        case 8: // WAV has no signed 8-bit samples
            for (size_t i = 0; i < count; ++i)
                out[i] = static_cast<unsigned char>(toInteger<int>(interleaved[i], 128.0) + 128);
            break;
        case 16:
            store<int16_t>(interleaved, count, 32768.0, out);
            break;
        case 24:
            for (size_t i = 0; i < count; ++i) {
                const int32_t v = toInteger<int32_t>(interleaved[i], 8388608.0);
                out[3 * i] = static_cast<unsigned char>(v);
                out[3 * i + 1] = static_cast<unsigned char>(v >> 8);
                out[3 * i + 2] = static_cast<unsigned char>(v >> 16);
            }
            break;
        default:
            store<int32_t>(interleaved, count, 2147483648.0, out);
            break;
        }
        m_file.append(m_bytes.data(), m_bytes.size());
        m_dataBytes += m_bytes.size();
    }

    void finish() override
    {
        if (m_dataBytes & 1)
            m_file.append("", 1); // chunks end on an even byte
        const std::string header = wavHeader(m_layout, m_dataBytes);
        m_file.seek(0, SEEK_SET);
        m_file.append(header.data(), header.size());
        m_file.commit();
    }

private:
    template <typename Int>
    static void store(const float* interleaved, size_t count, double scale, unsigned char* out)
    {
        for (size_t i = 0; i < count; ++i) {
            const auto value = static_cast<Int>(toInteger<int64_t>(interleaved[i], scale));
            std::memcpy(out + i * sizeof(Int), &value, sizeof(Int));
        }
    }

    base::OutputFile m_file;
    WavLayout m_layout;
    uint64_t m_dataBytes = 0;
    std::vector<unsigned char> m_bytes;
};

} // namespace

std::unique_ptr<Encoder> openWavEncoder(const std::string& path, int rate, int channels, int bits)
{
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throwCannotCreate(path, std::to_string(bits) + "-bit WAV samples are not supported");
    if (channels != 1 && channels != 2)
        throwCannotCreate(path, std::to_string(channels) + " channels are not supported");
    if (rate < 1 || rate > 384000)
        throwCannotCreate(path,
                          "a sample rate of " + std::to_string(rate) + " Hz is not supported");
    return std::make_unique<WavEncoder>(path, rate, channels, bits);
}

} // namespace brisklet::audio
