#pragma once
// Internal: one output being written in its final format. The AudioFile facade
// converts blocks to the encoder's rate and channels before write().

#include "audio/lameencoder.h"
#include "audio/outputformat.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace brisklet::audio {

struct EncoderFormat {
    std::optional<OutputFormat> kind; // nothing until a format setter ran
    // Wav (SetPcmFormat)
    int pcmRate = 44100;
    int pcmChannels = 2;
    int pcmBits = 16;
    // Wma (SetWmaProfile, 1-47)
    int wmaProfile = 10;
    // Ogg (SetOggFormat); quality -1 for bitrate modes
    int oggRate = 44100;
    int oggChannels = 2;
    int oggBitrate = 128;
    int oggMinimum = 0;
    int oggMaximum = 0;
    int oggQuality = -1;
    // Mp3 (AttachMp3Encoder): the settings as they were when the output opened
    LameSettings lame;
};

class Encoder {
public:
    virtual ~Encoder() = default;
    // The rate and channel count write() expects.
    virtual int sampleRate() const = 0;
    virtual int channels() const = 0;
    virtual void write(const float* interleaved, int64_t frames) = 0;
    // Completes the output (trailer, LAME tag, padding) and renames the file
    // written beside the target over it. Without finish() the target is untouched.
    virtual void finish() = 0;
};

// inputRate/inputChannels: what the caller will deliver before conversion; an
// MP3 output with sample rate 0 keeps the input rate, for example.
// Throws AudioError ("cannot create <path>: <reason>").
std::unique_ptr<Encoder> openEncoder(const EncoderFormat& format, const std::string& path,
                                     int inputRate, int inputChannels);

// By the encoders' own rules. channelMode: 1 mono, 2 stereo, 3 joint, 4 forced
// joint, 5 dual. Bitrates in kbps.
bool checkMp3Format(int sampleRate, int bitrate, int channelMode);
bool checkOggFormat(int sampleRate, int channels, int bitrate, int minimum, int maximum);

} // namespace brisklet::audio
