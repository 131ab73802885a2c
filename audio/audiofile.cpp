// The audio file object: a reader (SourceReader) or a writer (OutputWriter),
// with the output format recorded by the last format setter called.
#include "audio/audiofile.h"

#include "audio/audioerror.h"
#include "audio/encoder.h"
#include "audio/outputwriter.h"
#include "audio/sourcereader.h"

namespace brisklet::audio {

namespace {

class AudioFile : public IAudioFile2 {
public:
    void OpenRead(const std::string& fileName) override
    {
        Close();
        m_reader =
            std::make_unique<SourceReader>(openDecoder(fileName), m_blockRate, m_blockChannels);
        m_path = fileName;
    }

    void OpenWrite(const std::string& fileName) override
    {
        Close();
        EncoderFormat format = m_format;
        if (!format.kind)
            throw AudioError("cannot create " + fileName + ": no output format was set");
        if (format.kind == OutputFormat::Mp3 && m_mp3Settings)
            format.lame = m_mp3Settings->settings();
        const RateAndChannels native = nativeFormat(format);
        int inputRate = m_blockRate > 0 ? m_blockRate : native.rate;
        int inputChannels = m_blockChannels > 0 ? m_blockChannels : native.channels;
        m_writer = std::make_unique<OutputWriter>(
            openEncoder(format, fileName, inputRate, inputChannels), m_blockRate, m_blockChannels);
        m_path = fileName;
    }

    void Close() override
    {
        m_reader.reset();
        // Dropped before finish() so that a failing finish leaves the object closed.
        std::unique_ptr<OutputWriter> writer = std::move(m_writer);
        if (writer)
            writer->finish();
    }

    void Discard() override
    {
        m_reader.reset();
        m_writer.reset(); // an encoder never finished removes its temporary file
    }

    bool IsOpen() const override { return m_reader || m_writer; }

    int64_t TotalFrames() const override
    {
        return m_reader ? m_reader->decoder().totalFrames() : 0;
    }
    int64_t DurationMs() const override
    {
        int rate = SampleRate();
        return rate > 0 ? (TotalFrames() * 1000 + rate / 2) / rate : 0;
    }
    int Channels() const override { return m_reader ? m_reader->decoder().channels() : 0; }
    int SampleRate() const override { return m_reader ? m_reader->decoder().sampleRate() : 0; }
    int64_t DamagedFrames() const override
    {
        return m_reader ? m_reader->decoder().damagedFrames() : 0;
    }

    void Seek(int64_t frame, SeekMode /*mode: every seek is exact*/) override
    {
        requireReader("seek in")->seek(frame);
    }

    SampleBlock ReadFrames(int64_t count) override { return requireReader("read")->read(count); }

    void WriteFrames(const SampleBlock& block) override
    {
        if (!m_writer)
            throw AudioError("cannot write " + pathOrNothing() + ": no output is open");
        m_writer->write(block);
    }

    void SetBlockFormat(int sampleRate, int channels) override
    {
        m_blockRate = sampleRate;
        m_blockChannels = channels;
        if (m_reader)
            m_reader->setBlockFormat(sampleRate, channels);
    }

    void SetPcmFormat(int sampleRate, int channels, int bits) override
    {
        m_format.kind = OutputFormat::Wav;
        m_format.pcmRate = sampleRate;
        m_format.pcmChannels = channels;
        m_format.pcmBits = bits;
    }

    void SetWmaProfile(int profile) override
    {
        m_format.kind = OutputFormat::Wma;
        m_format.wmaProfile = profile;
    }

    void SetOggFormat(int sampleRate, int channels, int bitrate, int minimum, int maximum,
                      int16_t quality) override
    {
        m_format.kind = OutputFormat::Ogg;
        m_format.oggRate = sampleRate;
        m_format.oggChannels = channels;
        m_format.oggBitrate = bitrate;
        m_format.oggMinimum = minimum;
        m_format.oggMaximum = maximum;
        m_format.oggQuality = quality;
    }

    void SetFlacFormat(int bits, int level) override
    {
        m_format.kind = OutputFormat::Flac;
        m_format.flacBits = bits;
        m_format.flacLevel = level;
    }

    void SetOpusFormat(int bitrate, int complexity) override
    {
        m_format.kind = OutputFormat::Opus;
        m_format.opusBitrate = bitrate;
        m_format.opusComplexity = complexity;
    }

    void AttachMp3Encoder(const IAudioFile2LameEnc& encoder) override
    {
        m_format.kind = OutputFormat::Mp3;
        // Only the component's own settings object can be attached; its values
        // are copied when the output opens.
        m_mp3Settings = dynamic_cast<const LameEncoderSettings*>(&encoder);
    }

    bool CheckMp3Format(int sampleRate, int bitrate, int channelMode) const override
    {
        return checkMp3Format(sampleRate, bitrate, channelMode);
    }
    bool CheckOggFormat(int sampleRate, int channels, int bitrate, int minimum,
                        int maximum) const override
    {
        return checkOggFormat(sampleRate, channels, bitrate, minimum, maximum);
    }

    void SetActive(bool active) override { m_active = active; }

private:
    SourceReader* requireReader(const char* action)
    {
        if (!m_reader)
            throw AudioError("cannot " + std::string(action) + " " + pathOrNothing() +
                             ": no source is open");
        return m_reader.get();
    }

    std::string pathOrNothing() const { return m_path.empty() ? "the audio file" : m_path; }

    // The rate and channel count blocks are taken to have when no block format
    // was declared: the output's own.
    struct RateAndChannels {
        int rate;
        int channels;
    };
    static RateAndChannels nativeFormat(const EncoderFormat& f)
    {
        switch (f.kind.value_or(OutputFormat::Wma)) {
        case OutputFormat::Wav:
            return {f.pcmRate, f.pcmChannels};
        case OutputFormat::Ogg:
            return {f.oggRate, f.oggChannels};
        case OutputFormat::Mp3:
            return {f.lame.sampleRate > 0 ? f.lame.sampleRate : 44100, f.lame.channelCount};
        case OutputFormat::Opus:
            return {48000, 2};
        case OutputFormat::Wma:
        case OutputFormat::Flac:
            break;
        }
        return {44100, 2};
    }

    std::unique_ptr<SourceReader> m_reader;
    std::unique_ptr<OutputWriter> m_writer;
    std::string m_path;
    int m_blockRate = 0;
    int m_blockChannels = 0;
    EncoderFormat m_format;
    const LameEncoderSettings* m_mp3Settings = nullptr;
    bool m_active = true;
};

} // namespace

std::unique_ptr<IAudioFile2> createAudioFile()
{
    return std::make_unique<AudioFile>();
}

} // namespace brisklet::audio
