// Ogg Opus through libopusfile: always 48 kHz; the length and positions leave
// out the pre-skip and end at the last granule position, so a piece written
// with its trimming decodes to exactly its length. Seeks give what a full
// decode gives there: decoding starts a second before the position, which
// leaves the decoder's state as a decode from the start does (libopusfile's
// own 80 ms pre-roll leaves the level off by up to a tenth).
#include "audio/audioerror.h"
#include "audio/decoder_backends.h"
#include "audio/ogg_slim.h"

#include <opus/opusfile.h>

#include <algorithm>
#include <vector>

namespace brisklet::audio {

namespace {

constexpr int kOpusRate = 48000;
constexpr int kReadChunk = 5760;            // 120 ms, the longest Opus packet
constexpr int64_t kSeekPreroll = kOpusRate; // one second

class OpusDecoder : public Decoder {
public:
    explicit OpusDecoder(const std::string& path) : m_path(path)
    {
        int error = 0;
        m_source = std::make_unique<OggSlimFile>(path);
        m_file = op_open_callbacks(m_source.get(), &slimCallbacks, nullptr, 0, &error);
        if (!m_file)
            throwUnsupported(path);
        m_totalFrames = op_pcm_total(m_file, -1);
        m_channels = op_channel_count(m_file, 0);
        // Links of a chained stream with other channel counts are read as stereo.
        for (int link = 1; link < op_link_count(m_file); ++link) {
            if (op_channel_count(m_file, link) != m_channels)
                m_stereo = true;
        }
        if (m_stereo)
            m_channels = 2;
        if (m_totalFrames < 0 || m_channels < 1) {
            op_free(m_file);
            throwUnsupported(path);
        }
    }
    ~OpusDecoder() override { op_free(m_file); }
    OpusDecoder(const OpusDecoder&) = delete;
    OpusDecoder& operator=(const OpusDecoder&) = delete;

    int sampleRate() const override { return kOpusRate; }
    int channels() const override { return m_channels; }
    int64_t totalFrames() const override { return m_totalFrames; }

    void seek(int64_t frame) override
    {
        frame = std::clamp<int64_t>(frame, 0, m_totalFrames);
        // Decoding from well before the position settles the decoder's state
        // the way a decode from the start leaves it.
        const int64_t from = std::max<int64_t>(0, frame - kSeekPreroll);
        if (op_pcm_seek(m_file, from) != 0)
            throw AudioError("cannot seek in " + m_path);
        m_ended = false;
        skipFrames(*this, frame - from);
    }

    int64_t read(float* out, int64_t frames) override
    {
        int64_t got = 0;
        int idle = 0;
        while (got < frames && !m_ended && idle < kMaxIdleReads) {
            const int want = static_cast<int>(std::min<int64_t>(kReadChunk, frames - got));
            float* target = out + got * m_channels;
            const int n = m_stereo ? op_read_float_stereo(m_file, target, want * 2)
                                   : op_read_float(m_file, target, want * m_channels, nullptr);
            if (n == OP_HOLE) { // a gap in the data: go on after it
                ++idle;
                continue;
            }
            if (n <= 0) {
                m_ended = true; // the end, or damage that cannot be read past
                break;
            }
            got += n;
            idle = 0;
        }
        return got;
    }

private:
    static constexpr OpusFileCallbacks slimCallbacks{
        [](void* source, unsigned char* buffer, int bytes) {
            return static_cast<int>(
                static_cast<OggSlimFile*>(source)->read(buffer, static_cast<size_t>(bytes)));
        },
        [](void* source, opus_int64 offset, int whence) {
            return static_cast<OggSlimFile*>(source)->seek(offset, whence);
        },
        [](void* source) -> opus_int64 { return static_cast<OggSlimFile*>(source)->tell(); },
        nullptr, // the source outlives the decoder's file
    };

    std::string m_path;
    std::unique_ptr<OggSlimFile> m_source; // read through m_file
    OggOpusFile* m_file = nullptr;
    int m_channels = 0;
    bool m_stereo = false;
    int64_t m_totalFrames = 0;
    bool m_ended = false;
};

} // namespace

std::unique_ptr<Decoder> openOpusDecoder(const std::string& path)
{
    return std::make_unique<OpusDecoder>(path);
}

} // namespace brisklet::audio
