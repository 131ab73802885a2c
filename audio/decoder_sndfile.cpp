// WAV, FLAC (and the other formats with a header libsndfile knows), headerless
// RAW and Dialogic VOX through libsndfile.
#include "audio/audioerror.h"
#include "audio/decoder_backends.h"

#include <algorithm>
#include <sndfile.h>
#include <vector>

namespace brisklet::audio {

namespace {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

class SndfileDecoder : public Decoder {
public:
    SndfileDecoder(const std::string& path, SndfileLayout layout) : m_path(path), m_layout(layout)
    {
        reopen();
        if (m_info.frames < 0 || m_info.channels < 1 || m_info.samplerate <= 0)
            throwUnsupported(path);
        m_totalFrames = m_info.frames;
        if (!lastFrameReadable())
            m_totalFrames = countFramesFromStart();
    }

    int sampleRate() const override { return m_info.samplerate; }
    int channels() const override { return m_info.channels; }
    int64_t totalFrames() const override { return m_totalFrames; }

    void seek(int64_t frame) override
    {
        m_carry.clear();
        if (m_info.seekable) {
            if (sf_seek(m_file.get(), frame, SEEK_SET) < 0)
                throw AudioError("cannot seek in " + m_path + ": " + sf_strerror(m_file.get()));
            return;
        }
        // VOX cannot seek: start again and read forward to the frame.
        reopen();
        skipFrames(*this, frame);
    }

    int64_t read(float* out, int64_t frames) override
    {
        // 16-bit samples come out divided by 32768, the factor the WAV writer
        // multiplies by, so a WAV piece keeps its samples bit for bit.
        if (!isVox())
            return std::max<sf_count_t>(0, sf_readf_float(m_file.get(), out, frames));
        return readVox(out, frames);
    }

private:
    // By the codec, not the layout: libsndfile takes a file named ".vox" whose
    // header it cannot parse (a damaged RIFF) for VOX, with the same fault.
    bool isVox() const { return (m_info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_VOX_ADPCM; }

    // libsndfile decodes VOX a byte (two samples) at a time and drops the
    // second sample of a read of odd length, so reads are made even and the
    // sample left over is kept for the next read.
    int64_t readVox(float* out, int64_t frames)
    {
        int64_t got = 0;
        if (!m_carry.empty() && frames > 0) {
            out[got++] = m_carry.back();
            m_carry.clear();
        }
        const int64_t even = (frames - got) & ~int64_t(1);
        const int64_t n = std::max<sf_count_t>(0, sf_readf_float(m_file.get(), out + got, even));
        got += n;
        if (n == even && frames - got == 1) {
            float pair[2];
            const sf_count_t paired = sf_readf_float(m_file.get(), pair, 2);
            if (paired > 0)
                out[got++] = pair[0];
            if (paired > 1)
                m_carry.push_back(pair[1]);
        }
        return got;
    }

    // A file cut off after its header was written (a FLAC stream header tells
    // the length) reads less than the header says: then the length is counted.
    bool lastFrameReadable()
    {
        if (m_info.frames == 0 || !m_info.seekable)
            return true;
        std::vector<float> frame(static_cast<size_t>(m_info.channels));
        bool readable = sf_seek(m_file.get(), m_info.frames - 1, SEEK_SET) >= 0 &&
                        sf_readf_float(m_file.get(), frame.data(), 1) == 1;
        seekToStart();
        return readable;
    }

    int64_t countFramesFromStart()
    {
        int64_t count = skipFrames(*this, INT64_MAX);
        seekToStart();
        return count;
    }

    void seekToStart()
    {
        if (sf_seek(m_file.get(), 0, SEEK_SET) < 0)
            reopen();
        m_carry.clear();
    }

    void reopen()
    {
        m_file.reset();
        m_carry.clear();
        m_info = SF_INFO{};
        if (m_layout == SndfileLayout::Raw) {
            m_info.format = SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
            m_info.samplerate = 44100;
            m_info.channels = 2;
        } else if (m_layout == SndfileLayout::Vox) {
            m_info.format = SF_FORMAT_RAW | SF_FORMAT_VOX_ADPCM;
            m_info.samplerate = 8000;
            m_info.channels = 1;
        }
        m_file.reset(sf_open(m_path.c_str(), SFM_READ, &m_info));
        if (!m_file)
            throwUnsupported(m_path);
    }

    std::string m_path;
    SndfileLayout m_layout;
    SF_INFO m_info{};
    SndfileHandle m_file;
    int64_t m_totalFrames = 0;
    std::vector<float> m_carry; // VOX: the sample read beyond the last request
};

} // namespace

std::unique_ptr<Decoder> openSndfileDecoder(const std::string& path, SndfileLayout layout)
{
    return std::make_unique<SndfileDecoder>(path, layout);
}

} // namespace brisklet::audio
