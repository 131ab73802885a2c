#include "cli/outputconfig.h"

#include "settings/encoderconfig.h"

#include <filesystem>
#include <stdexcept>

namespace brisklet::cli {

namespace {
constexpr int kDefaultWmaProfile = 10;
constexpr int kDefaultOggKbps = 128;
} // namespace

std::string unknownFormatMessage(const std::string& value)
{
    std::string names;
    for (size_t i = 0; i < audio::allOutputFormats.size(); ++i) {
        if (i > 0)
            names += i + 1 == audio::allOutputFormats.size() ? " or " : ", ";
        names += audio::extensionOf(audio::allOutputFormats[i]).substr(1);
    }
    return "unknown format " + value + " (" + names + ")";
}

void configureOutput(audio::IAudioFile2& writer, audio::LameEncoderSettings& mp3Settings,
                     const OutputSetup& setup)
{
    if (!setup.settingsFile.empty()) {
        std::error_code ignored;
        if (!std::filesystem::is_regular_file(setup.settingsFile, ignored))
            throw std::runtime_error(setup.settingsFile + " is not a settings file");
        settings::configureWriterFromFile(setup.settingsFile, setup.kind, writer, mp3Settings);
        return;
    }
    // Without a settings file every format uses its defaults.
    switch (setup.kind) {
    case audio::OutputFormat::Mp3:
        mp3Settings = audio::LameEncoderSettings();
        writer.AttachMp3Encoder(mp3Settings);
        break;
    case audio::OutputFormat::Wav:
        writer.SetPcmFormat(setup.inputRate, setup.inputChannels, 16);
        break;
    case audio::OutputFormat::Wma:
        writer.SetWmaProfile(kDefaultWmaProfile);
        break;
    case audio::OutputFormat::Ogg: {
        // Vorbis cannot encode 128 kbps at every rate (8 kHz VOX, say): then
        // the output is 44.1 kHz stereo.
        bool asInput =
            writer.CheckOggFormat(setup.inputRate, setup.inputChannels, kDefaultOggKbps, 0, 0);
        writer.SetOggFormat(asInput ? setup.inputRate : 44100, asInput ? setup.inputChannels : 2,
                            kDefaultOggKbps, 0, 0, -1);
        break;
    }
    }
}

} // namespace brisklet::cli
