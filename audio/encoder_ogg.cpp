// OGG Vorbis output through libvorbisenc and libogg. The comment header is
// written empty (libvorbis's vendor string only); tags are added afterwards.

#include "audio/encoders.h"
#include "audio/vorbis_setup.h"
#include "base/output_file.h"

#include <algorithm>
#include <ogg/ogg.h>
#include <random>
#include <vorbis/vorbisenc.h>

namespace brisklet::audio {

namespace {

constexpr int64_t ChunkFrames = 4096;

class OggEncoder : public Encoder {
public:
    OggEncoder(const std::string& path, int rate, int channels, int bitrate, int minimum,
               int maximum, int quality)
        : m_file(path), m_rate(rate), m_channels(channels)
    {
        vorbis_info_init(&m_info);
        vorbis_comment_init(&m_comment);
        if (initVorbisEncoder(&m_info, rate, channels, bitrate, minimum, maximum, quality) != 0) {
            clear();
            throwCannotCreate(path, "this OGG format is not supported (" + std::to_string(rate) +
                                        " Hz, " + std::to_string(channels) + " channels, " +
                                        std::to_string(bitrate) + " kbps)");
        }
        vorbis_analysis_init(&m_dsp, &m_info);
        vorbis_block_init(&m_dsp, &m_block);
        ogg_stream_init(&m_stream, static_cast<int>(std::random_device{}() & 0x7fffffff));
        m_started = true;

        try {
            writeHeaders();
        } catch (...) {
            clear();
            throw;
        }
    }

    ~OggEncoder() override { clear(); }

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }

    void write(const float* interleaved, int64_t frames) override
    {
        while (frames > 0) {
            int n = static_cast<int>(std::min(frames, ChunkFrames));
            float** buffer = vorbis_analysis_buffer(&m_dsp, n);
            for (int f = 0; f < n; ++f) {
                for (int c = 0; c < m_channels; ++c)
                    buffer[c][f] = interleaved[f * m_channels + c];
            }
            vorbis_analysis_wrote(&m_dsp, n);
            drain();
            interleaved += static_cast<int64_t>(n) * m_channels;
            frames -= n;
        }
    }

    void finish() override
    {
        vorbis_analysis_wrote(&m_dsp, 0); // end of stream
        drain();
        ogg_page page;
        while (ogg_stream_flush(&m_stream, &page) != 0)
            writePage(page);
        m_file.commit();
    }

private:
    void writeHeaders()
    {
        ogg_packet identification, comments, codebooks;
        vorbis_analysis_headerout(&m_dsp, &m_comment, &identification, &comments, &codebooks);
        ogg_stream_packetin(&m_stream, &identification);
        ogg_stream_packetin(&m_stream, &comments);
        ogg_stream_packetin(&m_stream, &codebooks);
        // The audio starts on a fresh page, as decoders and comment editors expect.
        ogg_page page;
        while (ogg_stream_flush(&m_stream, &page) != 0)
            writePage(page);
    }

    void drain()
    {
        ogg_packet packet;
        ogg_page page;
        while (vorbis_analysis_blockout(&m_dsp, &m_block) == 1) {
            vorbis_analysis(&m_block, nullptr);
            vorbis_bitrate_addblock(&m_block);
            while (vorbis_bitrate_flushpacket(&m_dsp, &packet) == 1) {
                ogg_stream_packetin(&m_stream, &packet);
                while (ogg_stream_pageout(&m_stream, &page) != 0)
                    writePage(page);
            }
        }
    }

    void writePage(const ogg_page& page)
    {
        m_file.append(page.header, static_cast<size_t>(page.header_len));
        m_file.append(page.body, static_cast<size_t>(page.body_len));
    }

    void clear()
    {
        if (m_started) {
            ogg_stream_clear(&m_stream);
            vorbis_block_clear(&m_block);
            vorbis_dsp_clear(&m_dsp);
            m_started = false;
        }
        vorbis_comment_clear(&m_comment);
        vorbis_info_clear(&m_info);
    }

    base::OutputFile m_file;
    int m_rate;
    int m_channels;
    bool m_started = false;
    vorbis_info m_info{};
    vorbis_comment m_comment{};
    vorbis_dsp_state m_dsp{};
    vorbis_block m_block{};
    ogg_stream_state m_stream{};
};

} // namespace

std::unique_ptr<Encoder> openOggEncoder(const std::string& path, int rate, int channels,
                                        int bitrate, int minimum, int maximum, int quality)
{
    return std::make_unique<OggEncoder>(path, rate, channels, bitrate, minimum, maximum, quality);
}

} // namespace brisklet::audio
