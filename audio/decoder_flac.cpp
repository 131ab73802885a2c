// Native FLAC through libFLAC's stream decoder. Every frame carries the number
// of its first sample, so damage is placed exactly: a frame that fails its
// check comes out as silence (libFLAC zeroes it), and frames lost to damage
// are read as silence as well, so every frame after the damage keeps its place.
// Samples come out divided by 2^(bits-1), as the WAV writer multiplies them
// back, so a FLAC source converts to WAV bit for bit.
#include "audio/audioerror.h"
#include "audio/decoder_backends.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace brisklet::audio {

namespace {

class FlacDecoder : public Decoder {
public:
    explicit FlacDecoder(const std::string& path) : m_path(path)
    {
        m_decoder = FLAC__stream_decoder_new();
        if (!m_decoder)
            throw AudioError("cannot read " + path + ": out of memory");
        FLAC__stream_decoder_set_md5_checking(m_decoder, false);
        if (FLAC__stream_decoder_init_file(m_decoder, path.c_str(), &FlacDecoder::onFrame,
                                           &FlacDecoder::onMetadata, &FlacDecoder::onError,
                                           this) != FLAC__STREAM_DECODER_INIT_STATUS_OK ||
            !FLAC__stream_decoder_process_until_end_of_metadata(m_decoder) || m_rate <= 0 ||
            m_channels < 1) {
            FLAC__stream_decoder_delete(m_decoder);
            throwUnsupported(path);
        }
        // A header without a length, or one promising more than a file cut
        // short holds: the decode tells the true length.
        m_totalFrames = m_headerFrames;
        m_lastSample = m_headerFrames > 0 ? m_headerFrames : INT64_MAX;
        if (m_totalFrames == 0 || !lastFrameReadable())
            m_totalFrames = countFrames();
        m_lastSample = m_totalFrames;
        m_damaged = 0; // counted again when the damage is read
        seek(0);
    }
    ~FlacDecoder() override { FLAC__stream_decoder_delete(m_decoder); }
    FlacDecoder(const FlacDecoder&) = delete;
    FlacDecoder& operator=(const FlacDecoder&) = delete;

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    int64_t totalFrames() const override { return m_totalFrames; }
    int64_t damagedFrames() const override { return m_damaged; }

    void seek(int64_t frame) override
    {
        frame = std::clamp<int64_t>(frame, 0, m_totalFrames);
        dropPending();
        m_ended = false;
        m_next = frame;
        if (frame < m_totalFrames &&
            FLAC__stream_decoder_seek_absolute(m_decoder, static_cast<FLAC__uint64>(frame)))
            return;
        // At the very end, or in damage that a seek cannot land in: decode
        // forward from the start.
        rewind();
        int64_t skip = frame;
        while (skip > 0 && decodeMore()) {
            const int64_t silent = std::min(skip, m_silence);
            m_silence -= silent;
            skip -= silent;
            const int64_t dropped = std::min(skip, bufferedFrames());
            m_bufferFrame += dropped;
            skip -= dropped;
        }
    }

    int64_t read(float* out, int64_t frames) override
    {
        int64_t got = 0;
        while (got < frames) {
            if (m_silence > 0) {
                const int64_t n = std::min(m_silence, frames - got);
                std::fill_n(out + got * m_channels, n * m_channels, 0.0f);
                m_silence -= n;
                got += n;
                continue;
            }
            if (const int64_t buffered = bufferedFrames(); buffered > 0) {
                const int64_t n = std::min(buffered, frames - got);
                std::copy_n(m_buffer.begin() + m_bufferFrame * m_channels, n * m_channels,
                            out + got * m_channels);
                m_bufferFrame += n;
                got += n;
                continue;
            }
            if (!decodeMore())
                break;
        }
        return got;
    }

private:
    int64_t bufferedFrames() const
    {
        return static_cast<int64_t>(m_buffer.size()) / m_channels - m_bufferFrame;
    }

    void dropPending()
    {
        m_buffer.clear();
        m_bufferFrame = 0;
        m_silence = 0;
    }

    // Decodes the next frame into the buffer (after the silence of frames lost
    // before it); false at the end of the stream.
    bool decodeMore()
    {
        dropPending();
        for (int idle = 0; !m_ended && idle < kMaxIdleReads; ++idle) {
            const int64_t before = m_framesTaken;
            const bool ok = FLAC__stream_decoder_process_single(m_decoder);
            const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(m_decoder);
            if (state == FLAC__STREAM_DECODER_END_OF_STREAM || !ok)
                m_ended = true;
            if (m_framesTaken != before)
                return true;
        }
        return false;
    }

    void rewind()
    {
        dropPending();
        m_ended = false;
        m_next = 0;
        FLAC__stream_decoder_reset(m_decoder);
        FLAC__stream_decoder_process_until_end_of_metadata(m_decoder);
    }

    bool lastFrameReadable()
    {
        dropPending();
        m_next = m_totalFrames - 1;
        return FLAC__stream_decoder_seek_absolute(m_decoder,
                                                  static_cast<FLAC__uint64>(m_totalFrames - 1)) &&
               bufferedFrames() == 1;
    }

    int64_t countFrames()
    {
        rewind();
        m_counting = true;
        while (decodeMore()) {
        }
        m_counting = false;
        return m_next;
    }

    static FLAC__StreamDecoderWriteStatus onFrame(const FLAC__StreamDecoder* /*decoder*/,
                                                  const FLAC__Frame* frame,
                                                  const FLAC__int32* const buffer[], void* self)
    {
        static_cast<FlacDecoder*>(self)->take(*frame, buffer);
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    static void onMetadata(const FLAC__StreamDecoder* /*decoder*/,
                           const FLAC__StreamMetadata* metadata, void* self)
    {
        if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO)
            return;
        auto* decoder = static_cast<FlacDecoder*>(self);
        const FLAC__StreamMetadata_StreamInfo& info = metadata->data.stream_info;
        decoder->m_rate = static_cast<int>(info.sample_rate);
        decoder->m_channels = static_cast<int>(info.channels);
        decoder->m_headerFrames = static_cast<int64_t>(info.total_samples);
    }

    static void onError(const FLAC__StreamDecoder* /*decoder*/,
                        FLAC__StreamDecoderErrorStatus /*status*/, void* self)
    {
        // libFLAC goes on by itself: a frame that fails its check comes
        // zeroed, and frames lost with the sync come as silence in their
        // place once the next whole frame is found.
        static_cast<FlacDecoder*>(self)->m_afterError = true;
    }

    static bool isSilent(const FLAC__Frame& frame, const FLAC__int32* const samples[])
    {
        for (unsigned c = 0; c < frame.header.channels; ++c) {
            const FLAC__int32* channel = samples[c];
            if (std::any_of(channel, channel + frame.header.blocksize,
                            [](FLAC__int32 sample) { return sample != 0; }))
                return false;
        }
        return true;
    }

    // One decoded frame, placed by its first sample's number.
    void take(const FLAC__Frame& frame, const FLAC__int32* const samples[])
    {
        ++m_framesTaken;
        const int64_t first = static_cast<int64_t>(frame.header.number.sample_number);
        const int64_t count = frame.header.blocksize;
        // The silent frames after an error are what libFLAC put in place of
        // the damage; the first frame with sound is past it.
        if (m_afterError) {
            if (isSilent(frame, samples))
                m_damaged += count;
            else
                m_afterError = false;
        }
        if (first + count <= m_next)
            return; // a frame again (a damaged number): what it holds was given
        if (first > m_lastSample - count) {
            m_damaged += count; // a number past the end: a damaged header
            return;
        }
        if (first > m_next) {
            m_silence += first - m_next;
            m_damaged += first - m_next;
        }
        const int64_t from = std::max<int64_t>(0, m_next - first);
        m_next = first + count;
        if (m_counting)
            return;
        const int frameChannels = static_cast<int>(frame.header.channels);
        const float scale = std::ldexp(1.0f, -static_cast<int>(frame.header.bits_per_sample - 1));
        const size_t at = m_buffer.size();
        m_buffer.resize(at + static_cast<size_t>((count - from) * m_channels));
        float* out = m_buffer.data() + at;
        for (int64_t i = from; i < count; ++i) {
            for (int c = 0; c < m_channels; ++c)
                *out++ = static_cast<float>(samples[std::min(c, frameChannels - 1)][i]) * scale;
        }
    }

    std::string m_path;
    FLAC__StreamDecoder* m_decoder = nullptr;
    int m_rate = 0;
    int m_channels = 0;
    int64_t m_headerFrames = 0;
    int64_t m_totalFrames = 0;
    int64_t m_lastSample = INT64_MAX; // no frame of the stream ends after it
    std::vector<float> m_buffer;      // the decoded frame, interleaved
    int64_t m_bufferFrame = 0;        // the first frame of the buffer not yet read
    int64_t m_silence = 0;            // frames lost to damage, read before the buffer
    int64_t m_next = 0;               // the sample number the next frame should begin at
    int64_t m_damaged = 0;
    int64_t m_framesTaken = 0; // frames the decoder has handed over, whole or not
    bool m_ended = false;
    bool m_counting = false;
    bool m_afterError = false; // since the last error, only silent frames
};

} // namespace

std::unique_ptr<Decoder> openFlacDecoder(const std::string& path)
{
    return std::make_unique<FlacDecoder>(path);
}

} // namespace brisklet::audio
