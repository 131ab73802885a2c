// Ogg Vorbis through libvorbisfile: exact length from the last granule
// position and sample-exact seeks.
#include "audio/audioerror.h"
#include "audio/decoder_backends.h"
#include "audio/ogg_slim.h"

#include <cstdint>

#include <algorithm>
#include <vector>
#include <vorbis/vorbisfile.h>

namespace brisklet::audio {

namespace {

constexpr int kReadChunk = 4096;

class VorbisDecoder : public Decoder {
public:
    explicit VorbisDecoder(const std::string& path)
        : m_path(path), m_source(std::make_unique<OggSlimFile>(path))
    {
        if (ov_open_callbacks(m_source.get(), &m_file, nullptr, 0, slimCallbacks) != 0)
            throwUnsupported(path);
        const vorbis_info* info = ov_info(&m_file, -1);
        m_totalFrames = ov_pcm_total(&m_file, -1);
        if (!info || info->channels < 1 || info->rate <= 0 || m_totalFrames < 0) {
            ov_clear(&m_file);
            throwUnsupported(path);
        }
        m_channels = info->channels;
        m_rate = static_cast<int>(info->rate);
        refuseRateChanges();
        if (m_totalFrames > mostFramesHeld(*info)) {
            // A damaged granule position: the decode tells the true length.
            m_totalFrames = skipFrames(*this, INT64_MAX);
            m_ended = false;
            if (ov_raw_seek(&m_file, 0) != 0) {
                ov_clear(&m_file);
                throwUnsupported(path);
            }
        }
    }
    ~VorbisDecoder() override { ov_clear(&m_file); }
    VorbisDecoder(const VorbisDecoder&) = delete;
    VorbisDecoder& operator=(const VorbisDecoder&) = delete;

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    int64_t totalFrames() const override { return m_totalFrames; }

    void seek(int64_t frame) override
    {
        frame = std::clamp<int64_t>(frame, 0, m_totalFrames);
        if (ov_pcm_seek(&m_file, frame) != 0)
            throw AudioError("cannot seek in " + m_path);
        m_ended = false;
    }

    int64_t read(float* out, int64_t frames) override
    {
        int64_t got = 0;
        int idle = 0;
        while (got < frames && !m_ended && idle < kMaxIdleReads) {
            float** pcm = nullptr;
            int link = 0;
            int want = static_cast<int>(std::min<int64_t>(kReadChunk, frames - got));
            long n = ov_read_float(&m_file, &pcm, want, &link);
            if (n == OV_HOLE) { // a gap in the data: go on after it
                ++idle;
                continue;
            }
            if (n <= 0) {
                m_ended = true; // the end, or damage that cannot be read past
                break;
            }
            interleave(pcm, n, ov_info(&m_file, link)->channels, out + got * m_channels);
            got += n;
            idle = 0;
        }
        return got;
    }

private:
    static constexpr ov_callbacks slimCallbacks{
        [](void* buffer, size_t size, size_t count, void* source) -> size_t {
            return size == 0 ? 0
                             : static_cast<OggSlimFile*>(source)->read(buffer, size * count) / size;
        },
        [](void* source, ogg_int64_t offset, int whence) {
            return static_cast<OggSlimFile*>(source)->seek(offset, whence);
        },
        nullptr, // the source outlives the decoder's file
        [](void* source) { return static_cast<long>(static_cast<OggSlimFile*>(source)->tell()); },
    };

    // Links of a chained stream at another rate would play at the wrong speed.
    void refuseRateChanges()
    {
        for (long link = 1; link < ov_streams(&m_file); ++link) {
            const vorbis_info* info = ov_info(&m_file, static_cast<int>(link));
            if (!info || info->rate != m_rate) {
                ov_clear(&m_file);
                throw AudioError("cannot read " + m_path +
                                 ": its chained streams differ in sample rate");
            }
        }
    }

    // The most frames a stream of this size can hold: every packet takes at
    // least a byte and gives at most half a long block.
    int64_t mostFramesHeld(const vorbis_info& info)
    {
        const int64_t bytes = ov_raw_total(&m_file, -1);
        const int64_t perPacket =
            std::max<int64_t>(1, vorbis_info_blocksize(const_cast<vorbis_info*>(&info), 1)) / 2;
        return bytes < 0 ? 0 : bytes * std::max<int64_t>(1, perPacket);
    }

    // A chained stream may change its channel count between links; every link
    // is read as the first link's layout. Frame by frame, so that each part of
    // the block is written once.
    void interleave(float** pcm, long frames, int linkChannels, float* out)
    {
        m_sources.resize(static_cast<size_t>(m_channels));
        for (int c = 0; c < m_channels; ++c)
            m_sources[static_cast<size_t>(c)] = pcm[std::min(c, linkChannels - 1)];
        if (m_channels == 2) {
            const float* left = m_sources[0];
            const float* right = m_sources[1];
            for (long i = 0; i < frames; ++i) {
                out[2 * i] = left[i];
                out[2 * i + 1] = right[i];
            }
            return;
        }
        for (long i = 0; i < frames; ++i) {
            for (int c = 0; c < m_channels; ++c)
                out[i * m_channels + c] = m_sources[static_cast<size_t>(c)][i];
        }
    }

    std::string m_path;
    std::unique_ptr<OggSlimFile> m_source; // read through m_file
    OggVorbis_File m_file{};
    int m_rate = 0;
    int m_channels = 0;
    int64_t m_totalFrames = 0;
    bool m_ended = false;
    std::vector<const float*> m_sources; // per output channel, for interleave()
};

} // namespace

std::unique_ptr<Decoder> openVorbisDecoder(const std::string& path)
{
    return std::make_unique<VorbisDecoder>(path);
}

} // namespace brisklet::audio
