#pragma once
// An audio file object that hands every call to a real one, and on the way
// refuses to create the files a test names (as a full disk or a name the file
// system rejects would) and notes what it was asked for.

#include "audio/audioerror.h"
#include "audio/audiofile.h"

#include <algorithm>
#include <memory>
#include <set>
#include <string>

namespace brisklet::test {

class ForwardingAudioFile : public audio::IAudioFile2 {
public:
    // Over a real object of its own.
    ForwardingAudioFile() : m_owned(audio::createAudioFile()), m_inner(*m_owned) {}
    // Over `inner`, which outlives this one.
    explicit ForwardingAudioFile(audio::IAudioFile2& inner) : m_inner(inner) {}

    std::set<std::string> refusedWrites; // paths OpenWrite throws for
    std::set<std::string> writesAsked;   // every path OpenWrite was asked for
    int64_t largestRead = 0;             // the largest count ReadFrames was asked for

    void OpenRead(const std::string& f) override { m_inner.OpenRead(f); }
    void OpenWrite(const std::string& f) override
    {
        writesAsked.insert(f);
        if (refusedWrites.count(f))
            throw audio::AudioError("cannot create " + f + ": refused");
        m_inner.OpenWrite(f);
    }
    void Close() override { m_inner.Close(); }
    void Discard() override { m_inner.Discard(); }
    bool IsOpen() const override { return m_inner.IsOpen(); }
    int64_t TotalFrames() const override { return m_inner.TotalFrames(); }
    int64_t DurationMs() const override { return m_inner.DurationMs(); }
    int Channels() const override { return m_inner.Channels(); }
    int SampleRate() const override { return m_inner.SampleRate(); }
    int64_t DamagedFrames() const override { return m_inner.DamagedFrames(); }
    void Seek(int64_t frame, audio::SeekMode mode) override { m_inner.Seek(frame, mode); }
    audio::SampleBlock ReadFrames(int64_t count) override
    {
        largestRead = std::max(largestRead, count);
        return m_inner.ReadFrames(count);
    }
    void WriteFrames(const audio::SampleBlock& block) override { m_inner.WriteFrames(block); }
    void SetBlockFormat(int rate, int channels) override { m_inner.SetBlockFormat(rate, channels); }
    void SetPcmFormat(int rate, int channels, int bits) override
    {
        m_inner.SetPcmFormat(rate, channels, bits);
    }
    void SetWmaProfile(int profile) override { m_inner.SetWmaProfile(profile); }
    void SetOggFormat(int rate, int channels, int bitrate, int minimum, int maximum,
                      int16_t quality) override
    {
        m_inner.SetOggFormat(rate, channels, bitrate, minimum, maximum, quality);
    }
    void SetFlacFormat(int bits, int level) override { m_inner.SetFlacFormat(bits, level); }
    void SetOpusFormat(int bitrate, int complexity) override
    {
        m_inner.SetOpusFormat(bitrate, complexity);
    }
    void AttachMp3Encoder(const audio::IAudioFile2LameEnc& encoder) override
    {
        m_inner.AttachMp3Encoder(encoder);
    }
    bool CheckMp3Format(int rate, int bitrate, int channelMode) const override
    {
        return m_inner.CheckMp3Format(rate, bitrate, channelMode);
    }
    bool CheckOggFormat(int rate, int channels, int bitrate, int minimum,
                        int maximum) const override
    {
        return m_inner.CheckOggFormat(rate, channels, bitrate, minimum, maximum);
    }
    void SetActive(bool active) override { m_inner.SetActive(active); }

private:
    std::unique_ptr<audio::IAudioFile2> m_owned;
    audio::IAudioFile2& m_inner;
};

} // namespace brisklet::test
