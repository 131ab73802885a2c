// WAV output through libsndfile. Samples are turned into integers here, with the
// same factor the reader divides by (2^(bits-1)), so that a WAV read and written
// back keeps every sample; libsndfile's own float conversion uses 2^(bits-1)-1.

#include "audio/encoders.h"
#include "audio/output_file.h"
#include "audio/pcm_integer.h"

#include <cmath>
#include <sndfile.h>
#include <vector>

namespace brisklet::audio {

namespace {

sf_count_t virtualLength(void* user)
{
    return static_cast<OutputFile*>(user)->size();
}

sf_count_t virtualSeek(sf_count_t offset, int whence, void* user)
{
    auto* file = static_cast<OutputFile*>(user);
    return file->seek(offset, whence) ? file->tell() : -1;
}

sf_count_t virtualRead(void* data, sf_count_t count, void* user)
{
    return static_cast<sf_count_t>(
        static_cast<OutputFile*>(user)->read(data, static_cast<size_t>(count)));
}

sf_count_t virtualWrite(const void* data, sf_count_t count, void* user)
{
    return static_cast<OutputFile*>(user)->write(data, static_cast<size_t>(count)) ? count : 0;
}

sf_count_t virtualTell(void* user)
{
    return static_cast<OutputFile*>(user)->tell();
}

class WavEncoder : public Encoder {
public:
    WavEncoder(const std::string& path, int rate, int channels, int bits)
        : m_file(path), m_rate(rate), m_channels(channels), m_bits(bits)
    {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = SF_FORMAT_WAV | subformat(bits);
        SF_VIRTUAL_IO io{virtualLength, virtualSeek, virtualRead, virtualWrite, virtualTell};
        m_sound = sf_open_virtual(&io, SFM_WRITE, &info, &m_file);
        if (!m_sound) {
            m_file.throwIfFailed();
            throwCannotCreate(path, sf_strerror(nullptr));
        }
    }

    ~WavEncoder() override
    {
        if (m_sound)
            sf_close(m_sound);
    }

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }

    void write(const float* interleaved, int64_t frames) override
    {
        const size_t count = static_cast<size_t>(frames * m_channels);
        sf_count_t written = 0;
        if (m_bits <= 16) {
            // 8-bit goes through 16-bit values that libsndfile shifts down exactly.
            const double scale = m_bits == 8 ? 128.0 : 32768.0;
            const int shift = m_bits == 8 ? 8 : 0;
            m_shorts.resize(count);
            for (size_t i = 0; i < count; ++i)
                m_shorts[i] =
                    static_cast<short>(toInteger<int>(interleaved[i], scale) * (1 << shift));
            written = sf_write_short(m_sound, m_shorts.data(), static_cast<sf_count_t>(count));
        } else {
            const double scale = m_bits == 24 ? 8388608.0 : 2147483648.0;
            const int64_t factor = m_bits == 24 ? 256 : 1;
            m_ints.resize(count);
            for (size_t i = 0; i < count; ++i)
                m_ints[i] = static_cast<int>(toInteger<int64_t>(interleaved[i], scale) * factor);
            written = sf_write_int(m_sound, m_ints.data(), static_cast<sf_count_t>(count));
        }
        m_file.throwIfFailed();
        if (written != static_cast<sf_count_t>(count))
            throwCannotCreate(m_file.targetPath(), sf_strerror(m_sound));
    }

    void finish() override
    {
        // sf_close writes the final chunk sizes into the header.
        int closed = sf_close(m_sound);
        m_sound = nullptr;
        m_file.throwIfFailed();
        if (closed != 0)
            throwCannotCreate(m_file.targetPath(), sf_error_number(closed));
        m_file.commit();
    }

private:
    static int subformat(int bits)
    {
        switch (bits) {
        case 8:
            return SF_FORMAT_PCM_U8; // WAV has no signed 8-bit samples
        case 16:
            return SF_FORMAT_PCM_16;
        case 24:
            return SF_FORMAT_PCM_24;
        default:
            return SF_FORMAT_PCM_32;
        }
    }

    OutputFile m_file;
    SNDFILE* m_sound = nullptr;
    int m_rate;
    int m_channels;
    int m_bits;
    std::vector<short> m_shorts;
    std::vector<int> m_ints;
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
