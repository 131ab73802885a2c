// WMA output through FFmpeg's wmav2 encoder and ASF muxer, writing through an
// OutputFile by a custom I/O context.
//
// wmav2 frames are a fixed number of samples (2048 at 44.1 kHz); decoders give
// back one frame less than the encoder was sent, starting with the second, and
// the encoder does not take a partial last frame, and each frame overlaps the
// next. So one frame of silence goes before the audio, the last frame is
// completed with silence and one more silent frame follows it: every input
// sample is decoded at its own position and level, and the decoded length is
// the input rounded up to whole frames, plus one frame.

#include "audio/audioerror.h"
#include "audio/encoders.h"
#include "audio/ffmpeg_api.h"
#include "audio/wma_profiles.h"
#include "base/output_file.h"

#include <algorithm>
#include <vector>

namespace brisklet::audio {

namespace {

constexpr int IoBufferBytes = 1 << 16;

int writePacket(void* opaque, uint8_t* data, int size)
{
    return static_cast<base::OutputFile*>(opaque)->write(data, static_cast<size_t>(size))
               ? size
               : AVERROR(EIO);
}

int64_t seekPacket(void* opaque, int64_t offset, int whence)
{
    auto* file = static_cast<base::OutputFile*>(opaque);
    if (whence & AVSEEK_SIZE)
        return file->size();
    return file->seek(offset, whence & ~AVSEEK_FORCE) ? file->tell() : AVERROR(EIO);
}

class WmaEncoder : public Encoder {
public:
    WmaEncoder(const FfmpegApi& av, const std::string& path, const WmaProfile& profile)
        : m_av(av), m_file(path), m_rate(profile.sampleRate), m_channels(profile.channels)
    {
        try {
            open(profile);
        } catch (...) {
            release();
            throw;
        }
    }

    ~WmaEncoder() override { release(); }

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }

    void write(const float* interleaved, int64_t frames) override
    {
        while (frames > 0) {
            int n = static_cast<int>(std::min<int64_t>(frames, m_frameSize - m_filled));
            for (int c = 0; c < m_channels; ++c) {
                float* out = plane(c);
                for (int f = 0; f < n; ++f)
                    out[f] = interleaved[f * m_channels + c];
            }
            m_filled += n;
            interleaved += static_cast<int64_t>(n) * m_channels;
            frames -= n;
            if (m_filled == m_frameSize)
                sendFrame();
        }
    }

    void finish() override
    {
        if (m_filled > 0)
            sendSilence(m_frameSize - m_filled);
        // A frame's audio is complete only with the overlap of the next one:
        // without this frame the last frame would fade out.
        sendSilence(m_frameSize);
        check(m_av.avcodec_send_frame(m_codec, nullptr));
        writePackets();
        check(m_av.av_write_trailer(m_format));
        m_av.avio_flush(m_format->pb);
        m_file.throwIfFailed();
        release();
        m_file.commit();
    }

private:
    void open(const WmaProfile& profile)
    {
        const AVCodec* codec = m_av.avcodec_find_encoder(AV_CODEC_ID_WMAV2);
        if (!codec)
            throwCannotCreate(m_file.targetPath(), "there is no WMA encoder");
        check(m_av.avformat_alloc_output_context2(&m_format, nullptr, "asf", nullptr));
        auto* buffer = static_cast<unsigned char*>(m_av.av_malloc(IoBufferBytes));
        m_format->pb = m_av.avio_alloc_context(buffer, IoBufferBytes, 1, &m_file, nullptr,
                                               writePacket, seekPacket);
        if (!m_format->pb) {
            m_av.av_free(buffer);
            throwCannotCreate(m_file.targetPath(), "out of memory");
        }
        m_format->flags |= AVFMT_FLAG_CUSTOM_IO;

        m_codec = m_av.avcodec_alloc_context3(codec);
        m_codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
        m_codec->sample_rate = profile.sampleRate;
        m_codec->bit_rate = static_cast<int64_t>(profile.bitrate) * 1000;
        m_av.av_channel_layout_default(&m_codec->ch_layout, profile.channels);
        m_codec->time_base = AVRational{1, profile.sampleRate};
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
            m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        check(m_av.avcodec_open2(m_codec, codec, nullptr));
        m_frameSize = m_codec->frame_size;

        m_stream = m_av.avformat_new_stream(m_format, nullptr);
        if (!m_stream)
            throwCannotCreate(m_file.targetPath(), "out of memory");
        m_stream->time_base = m_codec->time_base;
        check(m_av.avcodec_parameters_from_context(m_stream->codecpar, m_codec));
        check(m_av.avformat_write_header(m_format, nullptr));

        m_frame = m_av.av_frame_alloc();
        m_packet = m_av.av_packet_alloc();
        if (!m_frame || !m_packet)
            throwCannotCreate(m_file.targetPath(), "out of memory");
        m_frame->nb_samples = m_frameSize;
        m_frame->format = m_codec->sample_fmt;
        m_frame->sample_rate = m_codec->sample_rate;
        check(m_av.av_channel_layout_copy(&m_frame->ch_layout, &m_codec->ch_layout));
        check(m_av.av_frame_get_buffer(m_frame, 0));
        sendSilence(m_frameSize); // the frame the decoder will not give back
    }

    void sendSilence(int frames)
    {
        for (int c = 0; c < m_channels; ++c)
            std::fill_n(plane(c), frames, 0.0f);
        m_filled += frames;
        sendFrame();
    }

    // Where the next sample of channel c goes. A new frame may still be shared
    // with the encoder, so it is made writable first.
    float* plane(int c)
    {
        if (m_filled == 0 && c == 0)
            check(m_av.av_frame_make_writable(m_frame));
        return reinterpret_cast<float*>(m_frame->data[c]) + m_filled;
    }

    void sendFrame()
    {
        m_frame->pts = m_pts;
        m_pts += m_frameSize;
        check(m_av.avcodec_send_frame(m_codec, m_frame));
        m_filled = 0;
        writePackets();
    }

    void writePackets()
    {
        for (;;) {
            int result = m_av.avcodec_receive_packet(m_codec, m_packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return;
            check(result);
            m_av.av_packet_rescale_ts(m_packet, m_codec->time_base, m_stream->time_base);
            m_packet->stream_index = m_stream->index;
            check(m_av.av_write_frame(m_format, m_packet));
        }
    }

    // A failure while writing to the file is reported as such; other FFmpeg
    // failures with FFmpeg's reason.
    void check(int result)
    {
        if (result >= 0)
            return;
        m_file.throwIfFailed();
        char reason[AV_ERROR_MAX_STRING_SIZE] = {};
        m_av.av_strerror(result, reason, sizeof(reason));
        throwCannotCreate(m_file.targetPath(), std::string("WMA encoder: ") + reason);
    }

    void release()
    {
        m_av.av_packet_free(&m_packet);
        m_av.av_frame_free(&m_frame);
        m_av.avcodec_free_context(&m_codec);
        if (m_format) {
            if (m_format->pb) {
                m_av.av_freep(&m_format->pb->buffer);
                m_av.avio_context_free(&m_format->pb);
            }
            m_av.avformat_free_context(m_format);
            m_format = nullptr;
        }
    }

    const FfmpegApi& m_av;
    base::OutputFile m_file;
    int m_rate;
    int m_channels;
    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVStream* m_stream = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    int m_frameSize = 0;
    int m_filled = 0;
    int64_t m_pts = 0;
};

} // namespace

std::unique_ptr<Encoder> openWmaEncoder(const std::string& path, int profile)
{
    const WmaProfile* entry = wmaProfile(profile);
    if (!entry)
        throwCannotCreate(path, "there is no WMA profile " + std::to_string(profile));
    const FfmpegApi& av = ffmpegToWrite(path); // before the file is begun
    return std::make_unique<WmaEncoder>(av, path, *entry);
}

} // namespace brisklet::audio
