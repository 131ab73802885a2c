#pragma once
// Internal: the encoders behind openEncoder(). Each writes through an
// OutputFile and throws AudioError naming the target.

#include "audio/encoder.h"

namespace brisklet::audio {

// rate 0: as the input. bits 8, 16, 24 or 32.
std::unique_ptr<Encoder> openWavEncoder(const std::string& path, int rate, int channels, int bits);
std::unique_ptr<Encoder> openMp3Encoder(const std::string& path, const LameSettings& settings,
                                        int inputRate, int inputChannels);
// rate 0: as the input.
std::unique_ptr<Encoder> openOggEncoder(const std::string& path, int rate, int channels,
                                        int bitrate, int minimum, int maximum, int quality);
std::unique_ptr<Encoder> openWmaEncoder(const std::string& path, int profile);
std::unique_ptr<Encoder> openFlacEncoder(const std::string& path, int rate, int channels, int bits,
                                         int level);
// Always 48000 Hz.
std::unique_ptr<Encoder> openOpusEncoder(const std::string& path, int channels, int bitrate,
                                         int complexity);

// "cannot create <path>: <reason>"
[[noreturn]] void throwCannotCreate(const std::string& path, const std::string& reason);

} // namespace brisklet::audio
