#include "cli/outputconfig.h"

#include "settings/encoderconfig.h"
#include "settings/settingkeys.h"

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

std::string commandLineSettingsPath(const std::string& name)
{
    namespace fs = std::filesystem;
    const std::string path = fs::path(name).has_parent_path() ? name : "./" + name;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    std::string reason;
    if (error)
        reason = error.message();
    else if (fs::is_directory(status))
        reason = "is a folder";
    else if (!fs::is_regular_file(status))
        reason = "is not a regular file";
    if (!reason.empty())
        throw std::runtime_error("cannot read settings file " + name + ": " + reason);
    return path;
}

void configureOutput(audio::IAudioFile2& writer, audio::LameEncoderSettings& mp3Settings,
                     const OutputSetup& setup)
{
    if (!setup.settingsFile.empty()) {
        settings::configureWriterFromFile(commandLineSettingsPath(setup.settingsFile), setup.kind,
                                          writer, mp3Settings);
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
    case audio::OutputFormat::Flac:
        writer.SetFlacFormat(16, settings::keys::flacLevel.defaultValue);
        break;
    case audio::OutputFormat::Opus:
        writer.SetOpusFormat(settings::keys::opusBitrate.defaultValue,
                             settings::keys::opusComplexity.defaultValue);
        break;
    }
}

} // namespace brisklet::cli
