// Opus output through libopusenc, always at 48 kHz (the writer converts the
// blocks with the component's own resampler). libopusenc sets the pre-skip to
// the encoder's look-ahead and the last page's granule position to the frames
// written, so the output decodes to exactly what was written.

#include "audio/encoders.h"
#include "base/output_file.h"

#include <opus/opusenc.h>

#include <algorithm>

namespace brisklet::audio {

namespace {

constexpr int64_t ChunkFrames = 4096;

int writeBytes(void* user, const unsigned char* data, opus_int32 length)
{
    return static_cast<base::OutputFile*>(user)->write(data, static_cast<size_t>(length)) ? 0 : 1;
}

int closeStream(void*)
{
    return 0; // the output file is committed or dropped by its owner
}

class OpusEncoder : public Encoder {
public:
    OpusEncoder(const std::string& path, int channels, int bitrate, int complexity)
        : m_file(path), m_channels(channels)
    {
        if (!checkOpusFormat(channels, bitrate, complexity))
            throwCannotCreate(path, "this Opus format is not supported (" +
                                        std::to_string(channels) + " channels, " +
                                        std::to_string(bitrate) + " kbps, complexity " +
                                        std::to_string(complexity) + ")");
        m_comments = ope_comments_create();
        if (!m_comments)
            throwCannotCreate(path, "out of memory");
        const OpusEncCallbacks callbacks{writeBytes, closeStream};
        int error = OPE_OK;
        // Mapping family 1 (the Vorbis channel order) for more than two channels.
        m_encoder = ope_encoder_create_callbacks(&callbacks, &m_file, m_comments, OpusRate,
                                                 channels, channels > 2 ? 1 : 0, &error);
        if (!m_encoder || error != OPE_OK ||
            ope_encoder_ctl(m_encoder, OPUS_SET_BITRATE(bitrate * 1000)) != OPE_OK ||
            ope_encoder_ctl(m_encoder, OPUS_SET_COMPLEXITY(complexity)) != OPE_OK) {
            const std::string reason = ope_strerror(error != OPE_OK ? error : OPE_BAD_ARG);
            clear();
            throwCannotCreate(path, reason);
        }
    }

    ~OpusEncoder() override { clear(); }
    OpusEncoder(const OpusEncoder&) = delete;
    OpusEncoder& operator=(const OpusEncoder&) = delete;

    int sampleRate() const override { return OpusRate; }
    int channels() const override { return m_channels; }

    void write(const float* interleaved, int64_t frames) override
    {
        while (frames > 0) {
            const int n = static_cast<int>(std::min(frames, ChunkFrames));
            const int result = ope_encoder_write_float(m_encoder, interleaved, n);
            m_file.throwIfFailed();
            if (result != OPE_OK)
                throwCannotCreate(m_file.targetPath(), ope_strerror(result));
            interleaved += static_cast<int64_t>(n) * m_channels;
            frames -= n;
        }
    }

    void finish() override
    {
        const int result = ope_encoder_drain(m_encoder);
        clear();
        m_file.throwIfFailed();
        if (result != OPE_OK)
            throwCannotCreate(m_file.targetPath(), ope_strerror(result));
        m_file.commit();
    }

private:
    static constexpr int OpusRate = 48000;

    void clear()
    {
        if (m_encoder)
            ope_encoder_destroy(m_encoder);
        m_encoder = nullptr;
        if (m_comments)
            ope_comments_destroy(m_comments);
        m_comments = nullptr;
    }

    base::OutputFile m_file;
    int m_channels;
    OggOpusComments* m_comments = nullptr;
    OggOpusEnc* m_encoder = nullptr;
};

} // namespace

bool checkOpusFormat(int channels, int bitrate, int complexity)
{
    return channels >= 1 && channels <= 8 && bitrate >= 6 && bitrate <= 510 && complexity >= 0 &&
           complexity <= 10;
}

std::unique_ptr<Encoder> openOpusEncoder(const std::string& path, int channels, int bitrate,
                                         int complexity)
{
    return std::make_unique<OpusEncoder>(path, channels, bitrate, complexity);
}

} // namespace brisklet::audio
