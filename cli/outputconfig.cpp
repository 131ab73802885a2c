#include "cli/outputconfig.h"

#include "settings/encoderconfig.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>

namespace brisklet::cli {

namespace {
constexpr int kDefaultWmaProfile = 10;
constexpr int kDefaultOggKbps = 128;
} // namespace

std::optional<OutputKind> outputKindFromName(const std::string& name)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "mp3")
        return OutputKind::Mp3;
    if (lower == "wav")
        return OutputKind::Wav;
    if (lower == "wma")
        return OutputKind::Wma;
    if (lower == "ogg")
        return OutputKind::Ogg;
    return std::nullopt;
}

std::optional<OutputKind> outputKindFromPath(const std::string& path)
{
    auto dot = path.find_last_of('.');
    auto slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    return outputKindFromName(path.substr(dot + 1));
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
        // As the program does before each output: OutputKind follows the format list's order.
        settings::configureWriterFromFile(commandLineSettingsPath(setup.settingsFile),
                                          static_cast<int>(setup.kind), writer, mp3Settings);
        return;
    }
    // Without a settings file every format uses its defaults.
    switch (setup.kind) {
    case OutputKind::Mp3:
        mp3Settings = audio::LameEncoderSettings();
        writer.AttachMp3Encoder(mp3Settings);
        break;
    case OutputKind::Wav:
        writer.SetPcmFormat(setup.inputRate, setup.inputChannels, 16);
        break;
    case OutputKind::Wma:
        writer.SetWmaProfile(kDefaultWmaProfile);
        break;
    case OutputKind::Ogg: {
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
