// MP3 output through LAME called directly. At the end the LAME/Xing tag frame
// is written over the first frame, so decoders know the encoder delay and
// padding and give back exactly the frames that went in.

#include "audio/audioerror.h"
#include "audio/encoders.h"
#include "audio/lame_setup.h"
#include "audio/output_file.h"

#include <algorithm>
#include <vector>

namespace brisklet::audio {

namespace {

constexpr int64_t ChunkFrames = 8192;
// LAME's worst case for n frames is 1.25 n + 7200 bytes.
constexpr size_t OutputBytes = ChunkFrames * 5 / 4 + 7200;

class Mp3Encoder : public Encoder {
public:
    Mp3Encoder(const std::string& path, const LameSettings& settings, int inputRate,
               int inputChannels)
        : m_file(path), m_buffer(OutputBytes)
    {
        LameCommandLine options = parseLameCommandLine(settings.commandLine);
        m_format = lameStreamFormat(settings, options, inputRate, inputChannels);
        if (!isMpegSampleRate(m_format.sampleRate))
            throwCannotCreate(path, "MP3 cannot have a sample rate of " +
                                        std::to_string(m_format.sampleRate) + " Hz");
        m_lame.reset(lame_init());
        if (!m_lame)
            throwCannotCreate(path, "the MP3 encoder cannot start");
        applyLameSettings(m_lame.get(), settings, options, m_format);
        if (lame_init_params(m_lame.get()) < 0)
            throwCannotCreate(path, "the MP3 encoder refused its settings");
    }

    int sampleRate() const override { return m_format.sampleRate; }
    int channels() const override { return m_format.channels; }

    void write(const float* interleaved, int64_t frames) override
    {
        while (frames > 0) {
            int n = static_cast<int>(std::min(frames, ChunkFrames));
            int bytes =
                m_format.channels == 1
                    ? lame_encode_buffer_ieee_float(m_lame.get(), interleaved, interleaved, n,
                                                    m_buffer.data(), static_cast<int>(OutputBytes))
                    : lame_encode_buffer_interleaved_ieee_float(m_lame.get(), interleaved, n,
                                                                m_buffer.data(),
                                                                static_cast<int>(OutputBytes));
            store(bytes);
            interleaved += static_cast<int64_t>(n) * m_format.channels;
            frames -= n;
        }
    }

    void finish() override
    {
        store(lame_encode_flush(m_lame.get(), m_buffer.data(), static_cast<int>(OutputBytes)));
        // Small CBR frames have no room for the tag: then LAME gives 0 bytes.
        size_t tagBytes = lame_get_lametag_frame(m_lame.get(), m_buffer.data(), OutputBytes);
        if (tagBytes > 0 && tagBytes <= OutputBytes) {
            int64_t end = m_file.tell();
            m_file.seek(0, SEEK_SET);
            m_file.append(m_buffer.data(), tagBytes);
            m_file.seek(end, SEEK_SET);
            m_file.throwIfFailed();
        }
        m_file.commit();
    }

private:
    void store(int bytes)
    {
        if (bytes < 0)
            throw AudioError("cannot write " + m_file.targetPath() + ": MP3 encoder error " +
                             std::to_string(bytes));
        m_file.append(m_buffer.data(), static_cast<size_t>(bytes));
    }

    OutputFile m_file;
    std::vector<unsigned char> m_buffer;
    LameStreamFormat m_format;
    struct LameClose {
        void operator()(lame_global_flags* lame) const { lame_close(lame); }
    };
    std::unique_ptr<lame_global_flags, LameClose> m_lame;
};

} // namespace

std::unique_ptr<Encoder> openMp3Encoder(const std::string& path, const LameSettings& settings,
                                        int inputRate, int inputChannels)
{
    return std::make_unique<Mp3Encoder>(path, settings, inputRate, inputChannels);
}

} // namespace brisklet::audio
