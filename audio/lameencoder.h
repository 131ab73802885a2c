#pragma once
// MP3 encoder settings object. Each setter stores one LAME setting; the writer
// applies all of them to a fresh LAME encoder when an attached output is opened.
// Values stay in force until set again (the object is never reset).

#include <memory>
#include <string>

namespace brisklet::audio {

// Booleans are passed as -1 (true) and 0 (false), as the callers store them.
class IAudioFile2LameEnc {
public:
    virtual ~IAudioFile2LameEnc() = default;

    // Extra LAME options as typed by the user (UTF-8), e.g. "-q 2 --lowpass 16".
    virtual void SetCommandLine(const std::string& options) = 0;
    virtual void SetPreset(int preset) = 0;       // 1-11: Phone ... R3Mix, 0 none
    virtual void SetAltPreset(int altPreset) = 0; // 1-5: Fast Standard ... Insane, 0 none
    virtual void SetVbrBitrate(int kbps) = 0;
    virtual void SetVbrQuality(int quality) = 0; // 0 best - 9
    virtual void SetVbrMethod(int method) = 0;   // -1 none (CBR), 0 default, 1 old, 2 new, 3 mtrh
    virtual void SetChannelMode(int mode) = 0;   // 1 stereo, 2 joint, 3 forced joint, 4 dual
    virtual void SetQuality(int quality) = 0;    // 0 best - 9
    virtual void SetWriteVbrHeader(int on) = 0;
    virtual void SetBitReservoir(int on) = 0;
    virtual void SetAllowDiffBlockTypes(int on) = 0;
    virtual void SetShortBlocks(int on) = 0;
    virtual void SetDeEmphasis(int mode) = 0; // 0 none, 1 50/15 us, 2 CCITT J.17
    virtual void SetStrictIso(int on) = 0;
    virtual void SetEnforceMinBitrate(int on) = 0;
    virtual void SetAthMode(int mode) = 0; // 0 default, 1 only, 2 disabled, 3 short blocks only
    virtual void SetLowpassFrequency(int hz) = 0;  // -1: no low-pass filter
    virtual void SetHighpassFrequency(int hz) = 0; // -1: no high-pass filter
    virtual void SetLowpassWidth(int hz) = 0;
    virtual void SetHighpassWidth(int hz) = 0;
    virtual void SetCrc(int on) = 0;
    virtual void SetSampleRate(int hz) = 0; // output rate, 0: as the input
    virtual void SetChannelCount(int channels) = 0;
    virtual void SetBitrate(int kbps) = 0;
};

// All values an IAudioFile2LameEnc holds; 0 or -1 mean "not set" where noted.
struct LameSettings {
    std::string commandLine;
    int preset = 0;
    int altPreset = 0;
    int vbrBitrate = 128;
    int vbrQuality = 4;
    int vbrMethod = -1;
    int channelMode = 2;
    int quality = 5;
    int writeVbrHeader = -1;
    int bitReservoir = -1;
    int allowDiffBlockTypes = 0;
    int shortBlocks = -1;
    int deEmphasis = 0;
    int strictIso = 0;
    int enforceMinBitrate = 0;
    int athMode = 0;
    int lowpassFrequency = -1;
    int highpassFrequency = -1;
    int lowpassWidth = -1;
    int highpassWidth = -1;
    int crc = 0;
    int sampleRate = 0;
    int channelCount = 2;
    int bitrate = 128;
};

// The component's settings object: stores every setter's value.
class LameEncoderSettings : public IAudioFile2LameEnc {
public:
    void SetCommandLine(const std::string& options) override { m_s.commandLine = options; }
    void SetPreset(int v) override { m_s.preset = v; }
    void SetAltPreset(int v) override { m_s.altPreset = v; }
    void SetVbrBitrate(int v) override { m_s.vbrBitrate = v; }
    void SetVbrQuality(int v) override { m_s.vbrQuality = v; }
    void SetVbrMethod(int v) override { m_s.vbrMethod = v; }
    void SetChannelMode(int v) override { m_s.channelMode = v; }
    void SetQuality(int v) override { m_s.quality = v; }
    void SetWriteVbrHeader(int v) override { m_s.writeVbrHeader = v; }
    void SetBitReservoir(int v) override { m_s.bitReservoir = v; }
    void SetAllowDiffBlockTypes(int v) override { m_s.allowDiffBlockTypes = v; }
    void SetShortBlocks(int v) override { m_s.shortBlocks = v; }
    void SetDeEmphasis(int v) override { m_s.deEmphasis = v; }
    void SetStrictIso(int v) override { m_s.strictIso = v; }
    void SetEnforceMinBitrate(int v) override { m_s.enforceMinBitrate = v; }
    void SetAthMode(int v) override { m_s.athMode = v; }
    void SetLowpassFrequency(int v) override { m_s.lowpassFrequency = v; }
    void SetHighpassFrequency(int v) override { m_s.highpassFrequency = v; }
    void SetLowpassWidth(int v) override { m_s.lowpassWidth = v; }
    void SetHighpassWidth(int v) override { m_s.highpassWidth = v; }
    void SetCrc(int v) override { m_s.crc = v; }
    void SetSampleRate(int v) override { m_s.sampleRate = v; }
    void SetChannelCount(int v) override { m_s.channelCount = v; }
    void SetBitrate(int v) override { m_s.bitrate = v; }

    const LameSettings& settings() const { return m_s; }

private:
    LameSettings m_s;
};

} // namespace brisklet::audio
