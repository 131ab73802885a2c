// MP3 and MP2 through libmpg123: gapless (encoder delay and padding removed
// where the LAME tag tells them), exact length from the Xing/LAME header or a
// full scan, and sample-exact seeks with the default number of pre-decoded
// frames.
#include "audio/audioerror.h"
#include "audio/decoder_backends.h"
#include "audio/sourceprobe.h"

#include <cstdint>
#include <memory>
#include <mpg123.h>

namespace brisklet::audio {

namespace {

struct HandleDeleter {
    void operator()(mpg123_handle* handle) const
    {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};

class MpegDecoder : public Decoder {
public:
    explicit MpegDecoder(const std::string& path) : m_path(path)
    {
        int error = MPG123_OK;
        m_handle.reset(mpg123_new(nullptr, &error));
        if (!m_handle)
            throw AudioError("cannot open " + path + ": " + mpg123_plain_strerror(error));
        // The tags are read elsewhere: a tag (and its pictures) is skipped unread.
        mpg123_param(m_handle.get(), MPG123_ADD_FLAGS,
                     MPG123_GAPLESS | MPG123_QUIET | MPG123_SKIP_ID3V2, 0);
        // Junk between frames, however long, is skipped to the next frame.
        mpg123_param(m_handle.get(), MPG123_RESYNC_LIMIT, -1, 0);
        acceptFloatOutput(0, MPG123_MONO | MPG123_STEREO);
        if (mpg123_open(m_handle.get(), path.c_str()) != MPG123_OK)
            throwUnsupported(path);
        long rate = 0;
        int encoding = 0;
        if (mpg123_getformat(m_handle.get(), &rate, &m_channels, &encoding) != MPG123_OK ||
            rate <= 0)
            throwUnsupported(path);
        m_rate = static_cast<int>(rate);
        // Keep the first frame's layout for the whole stream, so that a stream
        // that switches between mono and stereo still reads as one format.
        acceptFloatOutput(rate, m_channels);
        // A whole stream with a Xing/LAME header tells its exact length, and a
        // stream without one is scanned frame by frame. A stream cut short
        // ends in a cut frame the scan does not count, and streams joined at
        // another rate are counted at their own rate, not as decoded: the
        // decode tells the length of both.
        const MpegHeaderLength header = mpegHeaderLength(path);
        if (header == MpegHeaderLength::CutShort || header == MpegHeaderLength::Continued) {
            m_totalFrames = INT64_MAX;
            m_totalFrames = skipFrames(*this, INT64_MAX);
            seek(0);
        } else {
            if (header == MpegHeaderLength::Absent && mpg123_scan(m_handle.get()) != MPG123_OK)
                throwUnsupported(path);
            const off_t length = mpg123_length(m_handle.get());
            if (length <= 0)
                throwUnsupported(path);
            m_totalFrames = length;
        }
        if (m_totalFrames <= 0)
            throwUnsupported(path);
    }
    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    int64_t totalFrames() const override { return m_totalFrames; }

    void seek(int64_t frame) override
    {
        off_t reached = mpg123_seek(m_handle.get(), static_cast<off_t>(frame), SEEK_SET);
        if (reached < 0)
            throw AudioError("cannot seek in " + m_path + ": " + mpg123_strerror(m_handle.get()));
        m_position = reached;
        m_ended = false;
    }

    int64_t read(float* out, int64_t frames) override
    {
        const size_t frameBytes = sizeof(float) * static_cast<size_t>(m_channels);
        int64_t got = 0;
        int idle = 0;
        while (got < frames && !m_ended && idle < kMaxIdleReads) {
            size_t done = 0;
            int result = mpg123_read(m_handle.get(),
                                     reinterpret_cast<unsigned char*>(out + got * m_channels),
                                     static_cast<size_t>(frames - got) * frameBytes, &done);
            got += static_cast<int64_t>(done / frameBytes);
            if (result == MPG123_DONE || result == MPG123_ERR)
                m_ended = true; // the end, or damage that cannot be read past
            idle = done == 0 ? idle + 1 : 0;
        }
        m_position += got;
        // Damage the header did not know of: the end of the stream tells the
        // true length.
        if (m_ended && m_position < m_totalFrames)
            m_totalFrames = m_position;
        return got;
    }

private:
    void acceptFloatOutput(long rate, int channels)
    {
        mpg123_format_none(m_handle.get());
        if (rate > 0) {
            mpg123_format(m_handle.get(), rate, channels, MPG123_ENC_FLOAT_32);
            return;
        }
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(m_handle.get(), rates[i], channels, MPG123_ENC_FLOAT_32);
    }

    std::string m_path;
    std::unique_ptr<mpg123_handle, HandleDeleter> m_handle;
    int m_rate = 0;
    int m_channels = 0;
    int64_t m_totalFrames = 0;
    int64_t m_position = 0; // the frame the next read starts at
    bool m_ended = false;
};

} // namespace

std::unique_ptr<Decoder> openMpegDecoder(const std::string& path)
{
    return std::make_unique<MpegDecoder>(path);
}

} // namespace brisklet::audio
