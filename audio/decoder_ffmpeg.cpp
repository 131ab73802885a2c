// WMA (ASF) through FFmpeg. ASF time stamps are in milliseconds, too coarse for
// sample positions, so the length is counted at open (from the packets where
// the codec allows, else by one full decode) and a seek decodes forward from
// the nearest earlier point it knows (the current position, else the start).
#include "audio/audioerror.h"
#include "audio/decoder_backends.h"
#include "audio/ffmpeg_api.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace brisklet::audio {

namespace {

// One pass over the stream from its start.
class AsfStream {
public:
    explicit AsfStream(const std::string& path) : m_av(ffmpegToRead(path))
    {
        AVFormatContext* format = nullptr;
        if (m_av.avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
            throwUnsupported(path);
        m_format.reset(format);
        if (m_av.avformat_find_stream_info(format, nullptr) < 0)
            throwUnsupported(path);
        const AVCodec* codec = nullptr;
        m_stream = m_av.av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (m_stream < 0 || !codec)
            throwUnsupported(path);
        m_codec.reset(m_av.avcodec_alloc_context3(codec));
        const AVCodecParameters* parameters = format->streams[m_stream]->codecpar;
        if (!m_codec || m_av.avcodec_parameters_to_context(m_codec.get(), parameters) < 0 ||
            m_av.avcodec_open2(m_codec.get(), codec, nullptr) < 0)
            throwUnsupported(path);
        m_channels = m_codec->ch_layout.nb_channels;
        if (m_channels < 1 || m_codec->sample_rate <= 0)
            throwUnsupported(path);
        openResampler(path);
        m_packet.reset(m_av.av_packet_alloc());
        m_frame.reset(m_av.av_frame_alloc());
    }

    int sampleRate() const { return m_codec->sample_rate; }
    int channels() const { return m_channels; }

    // The number of frames a full decode gives, counted from the packets
    // alone where the codec allows it; -1 where only a full decode can tell.
    // Without the bit reservoir, WMA v1 and v2 carry exactly one codec frame
    // in each packet of block_align bytes (a shorter one, cut off, is not
    // decoded), and the decoder gives back every frame but the first. The
    // frame length is taken from the first frame decoded.
    int64_t countFramesByPackets()
    {
        if (!oneFramePerPacket())
            return -1;
        const int blockAlign = m_codec->block_align;
        int64_t packets = 0;
        int frameLength = 0;
        while (m_av.av_read_frame(m_format.get(), m_packet.get()) >= 0) {
            if (m_packet->stream_index == m_stream && m_packet->size >= blockAlign) {
                ++packets;
                if (frameLength == 0 &&
                    m_av.avcodec_send_packet(m_codec.get(), m_packet.get()) == 0 &&
                    m_av.avcodec_receive_frame(m_codec.get(), m_frame.get()) == 0) {
                    frameLength = m_frame->nb_samples;
                    m_av.av_frame_unref(m_frame.get());
                }
            }
            m_av.av_packet_unref(m_packet.get());
        }
        return frameLength > 0 ? (packets - 1) * frameLength : -1;
    }

    // Appends the next decoded frames to out; false at the end of the stream
    // or at damage that cannot be read past.
    bool decodeMore(std::vector<float>& out)
    {
        for (int attempt = 0; attempt < kMaxIdleReads; ++attempt) {
            int received = m_av.avcodec_receive_frame(m_codec.get(), m_frame.get());
            if (received == 0) {
                appendFrame(out);
                return true;
            }
            if (received == AVERROR_EOF || (received != AVERROR(EAGAIN)))
                return false;
            if (m_draining)
                return false;
            feedPacket();
        }
        return false;
    }

private:
    bool oneFramePerPacket() const
    {
        // The codec's flags word in its setup data; bit 1 is the bit reservoir.
        const AVCodecContext& c = *m_codec;
        int flagsOffset = c.codec_id == AV_CODEC_ID_WMAV1   ? 2
                          : c.codec_id == AV_CODEC_ID_WMAV2 ? 4
                                                            : -1;
        if (flagsOffset < 0 || c.block_align <= 0 || !c.extradata ||
            c.extradata_size < flagsOffset + 2)
            return false;
        const int flags = c.extradata[flagsOffset] | (c.extradata[flagsOffset + 1] << 8);
        return (flags & 0x0002) == 0;
    }

    void openResampler(const std::string& path)
    {
        // Zeroed: copying into a layout first frees what it holds.
        AVChannelLayout layout{};
        if (m_codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            m_av.av_channel_layout_default(&layout, m_channels);
        else
            m_av.av_channel_layout_copy(&layout, &m_codec->ch_layout);
        SwrContext* resampler = nullptr;
        int result =
            m_av.swr_alloc_set_opts2(&resampler, &layout, AV_SAMPLE_FMT_FLT, sampleRate(), &layout,
                                     m_codec->sample_fmt, sampleRate(), 0, nullptr);
        m_av.av_channel_layout_uninit(&layout);
        m_resampler.reset(resampler);
        if (result < 0 || m_av.swr_init(resampler) < 0)
            throw AudioError("cannot decode " + path + ": no sample conversion");
    }

    void feedPacket()
    {
        while (true) {
            if (m_av.av_read_frame(m_format.get(), m_packet.get()) < 0) {
                m_av.avcodec_send_packet(m_codec.get(), nullptr);
                m_draining = true;
                return;
            }
            bool ours = m_packet->stream_index == m_stream;
            // A damaged packet is dropped; the decoder goes on with the next.
            bool sent = ours && m_av.avcodec_send_packet(m_codec.get(), m_packet.get()) == 0;
            m_av.av_packet_unref(m_packet.get());
            if (sent)
                return;
        }
    }

    void appendFrame(std::vector<float>& out)
    {
        int count = m_frame->nb_samples;
        size_t start = out.size();
        out.resize(start + static_cast<size_t>(count * m_channels));
        auto* target = reinterpret_cast<uint8_t*>(out.data() + start);
        int converted =
            m_av.swr_convert(m_resampler.get(), &target, count,
                             const_cast<const uint8_t**>(m_frame->extended_data), count);
        out.resize(start + static_cast<size_t>(std::max(0, converted) * m_channels));
        m_av.av_frame_unref(m_frame.get());
    }

    const FfmpegApi& m_av;
    std::unique_ptr<AVFormatContext, FormatCloser> m_format;
    std::unique_ptr<AVCodecContext, CodecCloser> m_codec;
    std::unique_ptr<SwrContext, ResamplerCloser> m_resampler;
    std::unique_ptr<AVPacket, PacketCloser> m_packet;
    std::unique_ptr<AVFrame, FrameCloser> m_frame;
    int m_stream = -1;
    int m_channels = 0;
    bool m_draining = false;
};

class FfmpegDecoder : public Decoder {
public:
    explicit FfmpegDecoder(const std::string& path) : m_path(path)
    {
        m_totalFrames = AsfStream(path).countFramesByPackets();
        if (m_totalFrames < 0) {
            rewind();
            m_totalFrames = skipFrames(*this, INT64_MAX);
        }
        rewind();
    }

    int sampleRate() const override { return m_stream->sampleRate(); }
    int channels() const override { return m_stream->channels(); }
    int64_t totalFrames() const override { return m_totalFrames; }

    void seek(int64_t frame) override
    {
        if (frame < m_position)
            rewind();
        skipFrames(*this, frame - m_position);
    }

    int64_t read(float* out, int64_t frames) override
    {
        const int ch = channels();
        int64_t got = 0;
        while (got < frames) {
            if (m_pendingStart >= m_pending.size()) {
                m_pending.clear();
                m_pendingStart = 0;
                if (m_ended || !m_stream->decodeMore(m_pending)) {
                    m_ended = true;
                    break;
                }
            }
            int64_t available = static_cast<int64_t>(m_pending.size() - m_pendingStart) / ch;
            int64_t take = std::min(available, frames - got);
            std::memcpy(out + got * ch, m_pending.data() + m_pendingStart,
                        static_cast<size_t>(take * ch) * sizeof(float));
            m_pendingStart += static_cast<size_t>(take * ch);
            got += take;
        }
        m_position += got;
        // A damaged packet of full size is counted at open but not decoded:
        // the end of the stream tells the true length.
        if (m_ended && got < frames)
            m_totalFrames = m_position;
        return got;
    }

private:
    void rewind()
    {
        m_stream.reset();
        m_stream = std::make_unique<AsfStream>(m_path);
        m_pending.clear();
        m_pendingStart = 0;
        m_position = 0;
        m_ended = false;
    }

    std::string m_path;
    std::unique_ptr<AsfStream> m_stream;
    std::vector<float> m_pending; // decoded, not yet read
    size_t m_pendingStart = 0;
    int64_t m_position = 0;
    int64_t m_totalFrames = 0;
    bool m_ended = false;
};

} // namespace

std::unique_ptr<Decoder> openFfmpegDecoder(const std::string& path)
{
    return std::make_unique<FfmpegDecoder>(path);
}

} // namespace brisklet::audio
