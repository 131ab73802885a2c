// MP3 output through LAME called directly. At the end the LAME/Xing tag frame
// is written over the first frame, so decoders know the encoder delay and
// padding and give back exactly the frames that went in. Where LAME leaves
// the tag out (constant bitrates too low to hold it), the writer puts its own
// tag frame, of a larger bitrate, in front of the stream.

#include "audio/audioerror.h"
#include "audio/encoders.h"
#include "audio/lame_setup.h"
#include "audio/mp3_info_frame.h"
#include "base/output_file.h"

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
        const std::lock_guard<std::mutex> lock(lameSetupMutex());
        m_lame.reset(lame_init());
        if (!m_lame)
            throwCannotCreate(path, "the MP3 encoder cannot start");
        applyLameSettings(m_lame.get(), settings, options, m_format);
        if (lame_init_params(m_lame.get()) < 0)
            throwCannotCreate(path, "the MP3 encoder refused its settings");
        m_tagWanted = lame_get_bWriteVbrTag(m_lame.get()) != 0;
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
        if (m_ownTagBytes > 0) {
            writeAtStart(infoFrame(streamFacts()));
        } else {
            // Small CBR frames have no room for the tag: then LAME gives 0 bytes.
            size_t tagBytes = lame_get_lametag_frame(m_lame.get(), m_buffer.data(), OutputBytes);
            if (tagBytes > 0 && tagBytes <= OutputBytes)
                writeAtStart({m_buffer.begin(), m_buffer.begin() + static_cast<long>(tagBytes)});
        }
        m_file.commit();
    }

private:
    void store(int bytes)
    {
        if (bytes < 0)
            throw AudioError("cannot write " + m_file.targetPath() + ": MP3 encoder error " +
                             std::to_string(bytes));
        if (bytes == 0)
            return;
        if (!m_started) {
            m_started = true;
            if (m_tagWanted && bytes >= 4)
                reserveOwnTagIfNeeded();
        }
        if (m_ownTagBytes > 0)
            m_musicCrc = lameCrc16(m_buffer.data(), static_cast<size_t>(bytes), m_musicCrc);
        m_file.append(m_buffer.data(), static_cast<size_t>(bytes));
    }

    // LAME's first frame is its tag frame, unless that frame is too small to
    // hold the tag (LAME's own rule): then room for the writer's own tag frame
    // goes before it.
    void reserveOwnTagIfNeeded()
    {
        for (int i = 0; i < 4; ++i)
            m_firstHeader = (m_firstHeader << 8) | m_buffer[static_cast<size_t>(i)];
        if (frameHoldsInfoTag(m_firstHeader))
            return;
        m_ownTagBytes = infoFrameSize(m_firstHeader);
        const std::vector<unsigned char> room(m_ownTagBytes, 0);
        m_file.append(room.data(), room.size());
    }

    Mp3StreamFacts streamFacts()
    {
        Mp3StreamFacts facts;
        facts.header = m_firstHeader;
        facts.audioFrames = lame_get_frameNum(m_lame.get());
        facts.streamBytes = m_file.tell();
        facts.encoderDelay = lame_get_encoder_delay(m_lame.get());
        facts.padding = lame_get_encoder_padding(m_lame.get());
        facts.bitrateKbps = lame_get_brate(m_lame.get());
        facts.lowpassHz = lame_get_lowpassfreq(m_lame.get());
        facts.musicCrc = m_musicCrc;
        return facts;
    }

    void writeAtStart(const std::vector<unsigned char>& frame)
    {
        if (frame.empty())
            return;
        int64_t end = m_file.tell();
        m_file.seek(0, SEEK_SET);
        m_file.append(frame.data(), frame.size());
        m_file.seek(end, SEEK_SET);
        m_file.throwIfFailed();
    }

    base::OutputFile m_file;
    std::vector<unsigned char> m_buffer;
    LameStreamFormat m_format;
    struct LameClose {
        void operator()(lame_global_flags* lame) const { lame_close(lame); }
    };
    std::unique_ptr<lame_global_flags, LameClose> m_lame;
    bool m_tagWanted = false;
    bool m_started = false;     // LAME has given its first bytes
    uint32_t m_firstHeader = 0; // of the first audio frame, when the tag is ours
    size_t m_ownTagBytes = 0;   // 0: LAME's own tag frame, or none
    uint16_t m_musicCrc = 0;
};

} // namespace

std::unique_ptr<Encoder> openMp3Encoder(const std::string& path, const LameSettings& settings,
                                        int inputRate, int inputChannels)
{
    return std::make_unique<Mp3Encoder>(path, settings, inputRate, inputChannels);
}

} // namespace brisklet::audio
