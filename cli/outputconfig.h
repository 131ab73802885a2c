#pragma once
// Which output format brisklet-cli writes and how the writer is set up for it.

#include "audio/audiofile.h"
#include "audio/lameencoder.h"
#include "audio/outputformat.h"

#include <optional>
#include <string>

namespace brisklet::cli {

// The usage error for a --format value that names no output format.
std::string unknownFormatMessage(const std::string& value);

struct OutputSetup {
    audio::OutputFormat kind = audio::OutputFormat::Wav;
    std::string settingsFile; // --settings; empty: the defaults below
    int inputRate = 44100;
    int inputChannels = 2;
};

// Sets the writer's output format: from the encoder settings of
// setup.settingsFile when one is given (throws when it is not a file), else
// every format uses its defaults: MP3 128 kbps CBR, WAV 16-bit
// at the input's rate and channels, WMA profile 10, Ogg 128 kbps.
// `mp3Settings` must outlive the writer's output (it is attached for MP3).
void configureOutput(audio::IAudioFile2& writer, audio::LameEncoderSettings& mp3Settings,
                     const OutputSetup& setup);

} // namespace brisklet::cli
