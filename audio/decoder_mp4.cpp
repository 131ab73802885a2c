// M4A (AAC and the other codecs of the MP4 container) through FFmpeg. The
// demuxer takes the encoder delay from the file's gapless information (the
// edit list, or iTunes' priming count) and the decoder drops it; the end is cut
// here at the length the edit list or iTunes' sample count gives, since the
// last codec frame is padded. Frame 0 is the first sample after the delay:
// without an edit list the demuxer keeps the delay in the time stamps.
// Positions are sample-accurate: a seek starts decoding a few codec frames
// before the position (their overlap settles the decoder) and drops what comes
// before it, by the frames' time stamps. The samples then equal a full
// decode's, but for bands coded as noise (AAC's noise substitution): their
// noise comes from the decoder's random generator, which a seek does not
// bring back to the state a full decode has at that point.
#include "audio/audioerror.h"
#include "audio/decoder_backends.h"
#include "audio/ffmpeg_api.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace brisklet::audio {

namespace {

// How far before a seek position decoding starts: four AAC frames, more than
// the overlap of every AAC profile needs.
constexpr int64_t kSeekPreroll = 4096;
// How far before the stated end the length check at open starts decoding.
constexpr int64_t kTailFrames = 3 * 48000;

class Mp4Decoder : public Decoder {
public:
    explicit Mp4Decoder(const std::string& path) : m_av(ffmpegToRead(path)), m_path(path)
    {
        open();
        const AVStream* stream = m_format->streams[m_stream];
        if (stream->start_time != AV_NOPTS_VALUE)
            m_origin = toFrames(stream->start_time);
        // The stated length, when the container gives one; the decoded end
        // (after the padding of the last frame) may only shorten it.
        int64_t stated = stream->duration > 0
                             ? std::max<int64_t>(0, toFrames(stream->duration) - m_origin)
                             : INT64_MAX;
        stated = std::min(stated, itunesSampleCount());
        m_totalFrames = INT64_MAX;
        int64_t end =
            decodedEnd(stated == INT64_MAX ? 0 : std::max<int64_t>(0, stated - kTailFrames));
        if (end < 0) // cut off before the tail: only a full decode tells
            end = decodedEnd(0);
        m_totalFrames = std::min(stated, std::max<int64_t>(0, end));
        seek(0);
    }

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    int64_t totalFrames() const override { return m_totalFrames; }

    void seek(int64_t frame) override { seekDecoder(std::clamp<int64_t>(frame, 0, m_totalFrames)); }

    int64_t read(float* out, int64_t frames) override
    {
        frames = std::min(frames, m_totalFrames - readPosition());
        int64_t got = 0;
        while (got < frames) {
            if (m_pendingStart >= m_pending.size()) {
                m_pending.clear();
                m_pendingStart = 0;
                if (!decodeMore())
                    break;
                continue;
            }
            const int64_t available =
                static_cast<int64_t>(m_pending.size() - m_pendingStart) / m_channels;
            const int64_t take = std::min(available, frames - got);
            std::memcpy(out + got * m_channels, m_pending.data() + m_pendingStart,
                        static_cast<size_t>(take * m_channels) * sizeof(float));
            m_pendingStart += static_cast<size_t>(take * m_channels);
            got += take;
        }
        return got;
    }

private:
    int64_t toFrames(int64_t timestamp) const
    {
        return m_av.av_rescale_q(timestamp, m_format->streams[m_stream]->time_base,
                                 AVRational{1, m_rate});
    }

    // The length iTunes' gapless information states (" 0 delay padding
    // samples ..." in hexadecimal); the largest length when there is none.
    int64_t itunesSampleCount() const
    {
        const AVDictionaryEntry* entry =
            m_av.av_dict_get(m_format->metadata, "iTunSMPB", nullptr, AV_DICT_MATCH_CASE);
        if (!entry)
            return INT64_MAX;
        const char* at = entry->value;
        char* end = nullptr;
        unsigned long long field = 0;
        for (int k = 0; k < 4; ++k, at = end) {
            field = std::strtoull(at, &end, 16);
            if (end == at)
                return INT64_MAX;
        }
        return field > 0 && field < static_cast<unsigned long long>(INT64_MAX)
                   ? static_cast<int64_t>(field)
                   : INT64_MAX;
    }

    void open()
    {
        m_format.reset();
        m_codec.reset();
        AVFormatContext* format = nullptr;
        if (m_av.avformat_open_input(&format, m_path.c_str(), nullptr, nullptr) < 0)
            throwUnsupported(m_path);
        m_format.reset(format);
        if (m_av.avformat_find_stream_info(format, nullptr) < 0)
            throwUnsupported(m_path);
        const AVCodec* codec = nullptr;
        m_stream = m_av.av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (m_stream < 0 || !codec)
            throwUnsupported(m_path);
        // Only the audio stream is read; cover pictures and other tracks are skipped.
        for (unsigned i = 0; i < format->nb_streams; ++i)
            format->streams[i]->discard =
                static_cast<int>(i) == m_stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        const AVStream* stream = format->streams[m_stream];
        m_codec.reset(m_av.avcodec_alloc_context3(codec));
        if (!m_codec || m_av.avcodec_parameters_to_context(m_codec.get(), stream->codecpar) < 0)
            throwUnsupported(m_path);
        // The decoder moves the time stamps past the delay it drops only with this set.
        m_codec->pkt_timebase = stream->time_base;
        if (m_av.avcodec_open2(m_codec.get(), codec, nullptr) < 0)
            throwUnsupported(m_path);
        m_channels = m_codec->ch_layout.nb_channels;
        m_rate = m_codec->sample_rate;
        if (m_channels < 1 || m_rate <= 0)
            throwUnsupported(m_path);
        openResampler();
        m_packet.reset(m_av.av_packet_alloc());
        m_frame.reset(m_av.av_frame_alloc());
    }

    void openResampler()
    {
        AVChannelLayout layout{}; // the copy below frees what it holds first
        if (m_codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            m_av.av_channel_layout_default(&layout, m_channels);
        else
            m_av.av_channel_layout_copy(&layout, &m_codec->ch_layout);
        SwrContext* resampler = nullptr;
        const int result =
            m_av.swr_alloc_set_opts2(&resampler, &layout, AV_SAMPLE_FMT_FLT, m_rate, &layout,
                                     m_codec->sample_fmt, m_rate, 0, nullptr);
        m_av.av_channel_layout_uninit(&layout);
        m_resampler.reset(resampler);
        if (result < 0 || m_av.swr_init(resampler) < 0)
            throw AudioError("cannot decode " + m_path + ": no sample conversion");
    }

    // Where decoding from `frame` on ends; -1 when nothing decodes there.
    int64_t decodedEnd(int64_t frame)
    {
        if (!seekDecoder(frame))
            return -1;
        while (decodeMore()) {
            m_pending.clear();
            m_pendingStart = 0;
        }
        return m_position;
    }

    // The frame the next read returns.
    int64_t readPosition() const
    {
        return m_position - static_cast<int64_t>(m_pending.size() - m_pendingStart) / m_channels;
    }

    // False when nothing decodes at or after `frame`.
    bool seekDecoder(int64_t frame)
    {
        const int64_t from = std::max<int64_t>(0, frame - kSeekPreroll);
        if (from == 0) {
            open(); // the start, with the delay the demuxer marks on the first packet
        } else {
            const AVStream* stream = m_format->streams[m_stream];
            const int64_t timestamp =
                m_av.av_rescale_q(from + m_origin, AVRational{1, m_rate}, stream->time_base);
            if (m_av.av_seek_frame(m_format.get(), m_stream, timestamp, AVSEEK_FLAG_BACKWARD) < 0)
                throw AudioError("cannot seek in " + m_path);
            m_av.avcodec_flush_buffers(m_codec.get());
        }
        m_pending.clear();
        m_pendingStart = 0;
        m_position = -1; // taken from the first frame decoded
        m_draining = false;
        // Decode up to the position; the frames before it only settle the decoder.
        while (m_position < frame || m_position == -1) {
            m_pending.clear();
            m_pendingStart = 0;
            if (!decodeMore()) {
                m_pending.clear();
                m_pendingStart = 0;
                if (m_position != -1)
                    return true; // the stream ends before `frame`
                m_position = frame;
                return false;
            }
        }
        const int64_t keep = m_position - frame;
        const int64_t decoded = static_cast<int64_t>(m_pending.size()) / m_channels;
        m_pendingStart = static_cast<size_t>(std::max<int64_t>(0, decoded - keep) * m_channels);
        return true;
    }

    // Appends the next decoded frame to m_pending and moves m_position to its
    // end; false at the end of the stream or at damage that cannot be read past.
    bool decodeMore()
    {
        for (int attempt = 0; attempt < kMaxIdleReads; ++attempt) {
            const int received = m_av.avcodec_receive_frame(m_codec.get(), m_frame.get());
            if (received == 0) {
                appendFrame();
                return true;
            }
            if (received != AVERROR(EAGAIN) || m_draining)
                return false;
            feedPacket();
        }
        return false;
    }

    void feedPacket()
    {
        while (true) {
            if (m_av.av_read_frame(m_format.get(), m_packet.get()) < 0) {
                m_av.avcodec_send_packet(m_codec.get(), nullptr);
                m_draining = true;
                return;
            }
            const bool ours = m_packet->stream_index == m_stream;
            // A damaged packet is dropped; the decoder goes on with the next.
            const bool sent = ours && m_av.avcodec_send_packet(m_codec.get(), m_packet.get()) == 0;
            m_av.av_packet_unref(m_packet.get());
            if (sent)
                return;
        }
    }

    void appendFrame()
    {
        const int count = m_frame->nb_samples;
        const int64_t pts = m_frame->best_effort_timestamp;
        if (m_position == -1 && pts != AV_NOPTS_VALUE)
            m_position = toFrames(pts) - m_origin;
        else if (m_position == -1)
            m_position = 0;
        const size_t start = m_pending.size();
        m_pending.resize(start + static_cast<size_t>(count * m_channels));
        auto* target = reinterpret_cast<uint8_t*>(m_pending.data() + start);
        const int converted =
            m_av.swr_convert(m_resampler.get(), &target, count,
                             const_cast<const uint8_t**>(m_frame->extended_data), count);
        m_pending.resize(start + static_cast<size_t>(std::max(0, converted) * m_channels));
        m_position += std::max(0, converted);
        m_av.av_frame_unref(m_frame.get());
    }

    const FfmpegApi& m_av;
    std::string m_path;
    std::unique_ptr<AVFormatContext, FormatCloser> m_format;
    std::unique_ptr<AVCodecContext, CodecCloser> m_codec;
    std::unique_ptr<SwrContext, ResamplerCloser> m_resampler;
    std::unique_ptr<AVPacket, PacketCloser> m_packet;
    std::unique_ptr<AVFrame, FrameCloser> m_frame;
    int m_stream = -1;
    int m_channels = 0;
    int m_rate = 0;
    bool m_draining = false;
    std::vector<float> m_pending; // decoded, not yet read
    size_t m_pendingStart = 0;
    int64_t m_origin = 0;   // the time stamp of frame 0, in frames
    int64_t m_position = 0; // the frame after the last one decoded
    int64_t m_totalFrames = 0;
};

} // namespace

std::unique_ptr<Decoder> openMp4Decoder(const std::string& path)
{
    return std::make_unique<Mp4Decoder>(path);
}

} // namespace brisklet::audio
