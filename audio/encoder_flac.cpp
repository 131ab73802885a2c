// FLAC output through libFLAC's stream encoder. Samples become integers by the
// factor the readers divide by, so a 16- or 24-bit source is kept bit for bit.
// The stream information block (length, MD5) is rewritten when the output
// completes, through the seek the output file allows.

#include "audio/encoders.h"
#include "audio/pcm_integer.h"
#include "base/output_file.h"

#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <vector>

namespace brisklet::audio {

namespace {

constexpr int64_t ChunkFrames = 4096;

FLAC__StreamEncoderWriteStatus writeBytes(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                          size_t bytes, uint32_t, uint32_t, void* user)
{
    return static_cast<base::OutputFile*>(user)->write(buffer, bytes)
               ? FLAC__STREAM_ENCODER_WRITE_STATUS_OK
               : FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
}

FLAC__StreamEncoderSeekStatus seekTo(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* user)
{
    return static_cast<base::OutputFile*>(user)->seek(static_cast<int64_t>(offset), SEEK_SET)
               ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
               : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
}

FLAC__StreamEncoderTellStatus tellAt(const FLAC__StreamEncoder*, FLAC__uint64* offset, void* user)
{
    const int64_t at = static_cast<base::OutputFile*>(user)->tell();
    if (at < 0)
        return FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
    *offset = static_cast<FLAC__uint64>(at);
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

class FlacEncoder : public Encoder {
public:
    FlacEncoder(const std::string& path, int rate, int channels, int bits, int level)
        : m_file(path), m_rate(rate), m_channels(channels),
          m_scale(bits == 24 ? 8388608.0 : 32768.0)
    {
        if (!checkFlacFormat(rate, channels, bits, level))
            throwCannotCreate(path, "this FLAC format is not supported (" + std::to_string(rate) +
                                        " Hz, " + std::to_string(channels) + " channels, " +
                                        std::to_string(bits) + " bits, level " +
                                        std::to_string(level) + ")");
        m_encoder = FLAC__stream_encoder_new();
        if (!m_encoder)
            throwCannotCreate(path, "out of memory");
        FLAC__stream_encoder_set_channels(m_encoder, static_cast<uint32_t>(channels));
        FLAC__stream_encoder_set_bits_per_sample(m_encoder, static_cast<uint32_t>(bits));
        FLAC__stream_encoder_set_sample_rate(m_encoder, static_cast<uint32_t>(rate));
        FLAC__stream_encoder_set_compression_level(m_encoder, static_cast<uint32_t>(level));
        const FLAC__StreamEncoderInitStatus status = FLAC__stream_encoder_init_stream(
            m_encoder, writeBytes, seekTo, tellAt, nullptr, &m_file);
        if (status != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
            FLAC__stream_encoder_delete(m_encoder);
            m_file.throwIfFailed();
            throwCannotCreate(path, FLAC__StreamEncoderInitStatusString[status]);
        }
    }

    ~FlacEncoder() override
    {
        if (m_encoder) {
            // Unfinished: the temporary file is dropped with m_file anyway.
            FLAC__stream_encoder_finish(m_encoder);
            FLAC__stream_encoder_delete(m_encoder);
        }
    }
    FlacEncoder(const FlacEncoder&) = delete;
    FlacEncoder& operator=(const FlacEncoder&) = delete;

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }

    void write(const float* interleaved, int64_t frames) override
    {
        while (frames > 0) {
            const int64_t n = std::min(frames, ChunkFrames);
            const size_t count = static_cast<size_t>(n * m_channels);
            m_ints.resize(count);
            for (size_t i = 0; i < count; ++i)
                m_ints[i] = toInteger<FLAC__int32>(interleaved[i], m_scale);
            const bool ok = FLAC__stream_encoder_process_interleaved(m_encoder, m_ints.data(),
                                                                     static_cast<uint32_t>(n));
            m_file.throwIfFailed();
            if (!ok)
                throwCannotCreate(m_file.targetPath(), stateText());
            interleaved += count;
            frames -= n;
        }
    }

    void finish() override
    {
        const bool ok = FLAC__stream_encoder_finish(m_encoder);
        const std::string reason = ok ? std::string() : stateText();
        FLAC__stream_encoder_delete(m_encoder);
        m_encoder = nullptr;
        m_file.throwIfFailed();
        if (!ok)
            throwCannotCreate(m_file.targetPath(), reason);
        m_file.commit();
    }

private:
    std::string stateText() const
    {
        return FLAC__StreamEncoderStateString[FLAC__stream_encoder_get_state(m_encoder)];
    }

    base::OutputFile m_file;
    int m_rate;
    int m_channels;
    double m_scale;
    FLAC__StreamEncoder* m_encoder = nullptr;
    std::vector<FLAC__int32> m_ints;
};

} // namespace

bool checkFlacFormat(int sampleRate, int channels, int bits, int level)
{
    return sampleRate >= 1 && sampleRate <= 655350 && channels >= 1 && channels <= 8 &&
           (bits == 16 || bits == 24) && level >= 0 && level <= 8;
}

std::unique_ptr<Encoder> openFlacEncoder(const std::string& path, int rate, int channels, int bits,
                                         int level)
{
    return std::make_unique<FlacEncoder>(path, rate, channels, bits, level);
}

} // namespace brisklet::audio
