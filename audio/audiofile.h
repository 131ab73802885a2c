#pragma once
// The audio file object: one instance reads a source or writes an output.
// Positions and lengths are in frames (one sample per channel). Every failing
// operation throws AudioError with a message naming the file and the reason.

#include "audio/lameencoder.h"
#include "audio/sampleblock.h"

#include <cstdint>
#include <memory>
#include <string>

namespace brisklet::audio {

enum class SeekMode { Fast = 0, Exact = 3 };

class IAudioFile2 {
public:
    virtual ~IAudioFile2() = default;

    // Opens a source (MP3, MP2, OGG, Opus, WAV, RAW, VOX, WMA, FLAC,
    // M4A) for reading.
    virtual void OpenRead(const std::string& fileName) = 0;
    // Creates an output in the format configured last (SetPcmFormat, SetWmaProfile,
    // SetOggFormat, SetFlacFormat, SetOpusFormat or AttachMp3Encoder). Never overwrites the file's
    // old content in place: the output is written beside it and renamed over it at Close.
    virtual void OpenWrite(const std::string& fileName) = 0;
    // Closes the file; an output is complete after it. Harmless when not open.
    virtual void Close() = 0;
    // Closes without completing an output: what was written is dropped and a
    // file of the output's name keeps its old content. A reader just closes.
    virtual void Discard() = 0;
    virtual bool IsOpen() const = 0;

    // Exact number of frames a full decode of the source yields.
    virtual int64_t TotalFrames() const = 0;
    // Length in milliseconds, derived from TotalFrames and SampleRate.
    virtual int64_t DurationMs() const = 0;
    virtual int Channels() const = 0;
    virtual int SampleRate() const = 0;
    // Frames of the source lost to damage since it was opened (the reader
    // went on after it): a piece read over them is not whole.
    virtual int64_t DamagedFrames() const = 0;

    // The next ReadFrames starts at this frame of the source; Exact is
    // sample-accurate for every format but VOX (read forward from the start).
    virtual void Seek(int64_t frame, SeekMode mode = SeekMode::Exact) = 0;
    // At most `count` frames in the block format (SetBlockFormat, else the
    // file's own); an empty block means the end. A count below 1 gives an empty block.
    virtual SampleBlock ReadFrames(int64_t count) = 0;
    // Appends the block (in the declared block format) to the output.
    virtual void WriteFrames(const SampleBlock& block) = 0;

    // Reader: blocks are converted to this rate and channel count.
    // Writer: blocks written will come in this format and are converted to the
    // output's when it differs.
    virtual void SetBlockFormat(int sampleRate, int channels) = 0;

    virtual void SetPcmFormat(int sampleRate, int channels, int bits) = 0;
    virtual void SetWmaProfile(int profile) = 0; // 1-47
    // quality: 0-1000 for quality mode, -1 for bitrate mode; bitrates in kbps,
    // minimum and maximum 0 for constant bitrate.
    virtual void SetOggFormat(int sampleRate, int channels, int bitrate, int minimum, int maximum,
                              int16_t quality) = 0;
    // FLAC at the blocks' rate and channel count; bits 16 or 24, level 0-8.
    virtual void SetFlacFormat(int bits, int level) = 0;
    // Opus at 48000 Hz with the blocks' channel count; bitrate in kbps (6-510),
    // complexity 0-10.
    virtual void SetOpusFormat(int bitrate, int complexity) = 0;
    // MP3 output with the encoder settings held by `encoder`, read when the
    // output is opened. The object must outlive the writer's use of it.
    virtual void AttachMp3Encoder(const IAudioFile2LameEnc& encoder) = 0;

    // channelMode: 1 mono, 2 stereo, 3 joint, 4 forced joint, 5 dual channels.
    virtual bool CheckMp3Format(int sampleRate, int bitrate, int channelMode) const = 0;
    virtual bool CheckOggFormat(int sampleRate, int channels, int bitrate, int minimum,
                                int maximum) const = 0;

    virtual void SetActive(bool active) = 0;
};

std::unique_ptr<IAudioFile2> createAudioFile();

} // namespace brisklet::audio
