#pragma once
// Test doubles of the writer and the MP3 encoder settings object that record
// every call with its arguments, in order, into one shared log, so that a test
// can compare the exact call sequence across both objects.

#include "audio/audiofile.h"
#include "audio/lameencoder.h"

#include <string>
#include <vector>

namespace brisklet::test {

using CallLog = std::vector<std::string>;

namespace detail {
inline std::string argumentList()
{
    return {};
}
inline std::string argumentText(int value)
{
    return std::to_string(value);
}
inline std::string argumentText(int64_t value)
{
    return std::to_string(value);
}
inline std::string argumentText(const std::string& value)
{
    return "\"" + value + "\"";
}
template <typename First, typename... Rest>
std::string argumentList(const First& first, const Rest&... rest)
{
    std::string text = argumentText(first);
    ((text += "," + argumentText(rest)), ...);
    return text;
}
} // namespace detail

// "Name(arg,arg)" as the log holds it.
template <typename... Args> std::string call(const std::string& name, const Args&... args)
{
    return name + "(" + detail::argumentList(args...) + ")";
}

class RecordingLameEncoder : public audio::IAudioFile2LameEnc {
public:
    explicit RecordingLameEncoder(CallLog& log) : m_log(log) {}

    void SetCommandLine(const std::string& v) override
    {
        m_log.push_back(call("SetCommandLine", v));
    }
    void SetPreset(int v) override { m_log.push_back(call("SetPreset", v)); }
    void SetAltPreset(int v) override { m_log.push_back(call("SetAltPreset", v)); }
    void SetVbrBitrate(int v) override { m_log.push_back(call("SetVbrBitrate", v)); }
    void SetVbrQuality(int v) override { m_log.push_back(call("SetVbrQuality", v)); }
    void SetVbrMethod(int v) override { m_log.push_back(call("SetVbrMethod", v)); }
    void SetChannelMode(int v) override { m_log.push_back(call("SetChannelMode", v)); }
    void SetQuality(int v) override { m_log.push_back(call("SetQuality", v)); }
    void SetWriteVbrHeader(int v) override { m_log.push_back(call("SetWriteVbrHeader", v)); }
    void SetBitReservoir(int v) override { m_log.push_back(call("SetBitReservoir", v)); }
    void SetAllowDiffBlockTypes(int v) override
    {
        m_log.push_back(call("SetAllowDiffBlockTypes", v));
    }
    void SetShortBlocks(int v) override { m_log.push_back(call("SetShortBlocks", v)); }
    void SetDeEmphasis(int v) override { m_log.push_back(call("SetDeEmphasis", v)); }
    void SetStrictIso(int v) override { m_log.push_back(call("SetStrictIso", v)); }
    void SetEnforceMinBitrate(int v) override { m_log.push_back(call("SetEnforceMinBitrate", v)); }
    void SetAthMode(int v) override { m_log.push_back(call("SetAthMode", v)); }
    void SetLowpassFrequency(int v) override { m_log.push_back(call("SetLowpassFrequency", v)); }
    void SetHighpassFrequency(int v) override { m_log.push_back(call("SetHighpassFrequency", v)); }
    void SetLowpassWidth(int v) override { m_log.push_back(call("SetLowpassWidth", v)); }
    void SetHighpassWidth(int v) override { m_log.push_back(call("SetHighpassWidth", v)); }
    void SetCrc(int v) override { m_log.push_back(call("SetCrc", v)); }
    void SetSampleRate(int v) override { m_log.push_back(call("SetSampleRate", v)); }
    void SetChannelCount(int v) override { m_log.push_back(call("SetChannelCount", v)); }
    void SetBitrate(int v) override { m_log.push_back(call("SetBitrate", v)); }

private:
    CallLog& m_log;
};

// The writer. IsOpen and the two format checks answer what the test sets.
class RecordingAudioFile : public audio::IAudioFile2 {
public:
    explicit RecordingAudioFile(CallLog& log) : m_log(log) {}

    bool open = false;
    bool mp3FormatAccepted = true;
    bool oggFormatAccepted = true;

    void OpenRead(const std::string& fileName) override
    {
        m_log.push_back(call("OpenRead", fileName));
    }
    void OpenWrite(const std::string& fileName) override
    {
        m_log.push_back(call("OpenWrite", fileName));
    }
    void Close() override
    {
        m_log.push_back(call("Close"));
        open = false;
    }
    void Discard() override
    {
        m_log.push_back(call("Discard"));
        open = false;
    }
    bool IsOpen() const override
    {
        m_log.push_back(call("IsOpen"));
        return open;
    }
    int64_t TotalFrames() const override { return 0; }
    int64_t DurationMs() const override { return 0; }
    int Channels() const override { return 0; }
    int SampleRate() const override { return 0; }
    int64_t DamagedFrames() const override { return 0; }
    void Seek(int64_t frame, audio::SeekMode mode) override
    {
        m_log.push_back(call("Seek", frame, static_cast<int>(mode)));
    }
    audio::SampleBlock ReadFrames(int64_t count) override
    {
        m_log.push_back(call("ReadFrames", count));
        return {};
    }
    void WriteFrames(const audio::SampleBlock&) override { m_log.push_back(call("WriteFrames")); }
    void SetBlockFormat(int sampleRate, int channels) override
    {
        m_log.push_back(call("SetBlockFormat", sampleRate, channels));
    }
    void SetPcmFormat(int sampleRate, int channels, int bits) override
    {
        m_log.push_back(call("SetPcmFormat", sampleRate, channels, bits));
    }
    void SetWmaProfile(int profile) override { m_log.push_back(call("SetWmaProfile", profile)); }
    void SetOggFormat(int sampleRate, int channels, int bitrate, int minimum, int maximum,
                      int16_t quality) override
    {
        m_log.push_back(call("SetOggFormat", sampleRate, channels, bitrate, minimum, maximum,
                             static_cast<int>(quality)));
    }
    void SetFlacFormat(int bits, int level) override
    {
        m_log.push_back(call("SetFlacFormat", bits, level));
    }
    void SetOpusFormat(int bitrate, int complexity) override
    {
        m_log.push_back(call("SetOpusFormat", bitrate, complexity));
    }
    void AttachMp3Encoder(const audio::IAudioFile2LameEnc&) override
    {
        m_log.push_back(call("AttachMp3Encoder"));
    }
    bool CheckMp3Format(int sampleRate, int bitrate, int channelMode) const override
    {
        m_log.push_back(call("CheckMp3Format", sampleRate, bitrate, channelMode));
        return mp3FormatAccepted;
    }
    bool CheckOggFormat(int sampleRate, int channels, int bitrate, int minimum,
                        int maximum) const override
    {
        m_log.push_back(call("CheckOggFormat", sampleRate, channels, bitrate, minimum, maximum));
        return oggFormatAccepted;
    }
    void SetActive(bool active) override { m_log.push_back(call("SetActive", active ? 1 : 0)); }

private:
    CallLog& m_log;
};

} // namespace brisklet::test
