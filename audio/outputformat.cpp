#include "audio/outputformat.h"

#include <algorithm>
#include <cctype>

namespace brisklet::audio {

std::string extensionOf(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Mp3:
        return ".mp3";
    case OutputFormat::Wav:
        return ".wav";
    case OutputFormat::Wma:
        return ".wma";
    case OutputFormat::Ogg:
        return ".ogg";
    }
    return {};
}

std::string displayNameOf(OutputFormat format)
{
    std::string name = extensionOf(format).substr(1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

std::optional<OutputFormat> outputFormatFromName(const std::string& name)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (OutputFormat format : allOutputFormats) {
        if (extensionOf(format) == "." + lower)
            return format;
    }
    return std::nullopt;
}

std::optional<OutputFormat> outputFormatFromPath(const std::string& path)
{
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    return outputFormatFromName(path.substr(dot + 1));
}

int listIndexOf(OutputFormat format)
{
    return static_cast<int>(format);
}

std::optional<OutputFormat> outputFormatAt(int listIndex)
{
    if (listIndex < 0 || listIndex >= static_cast<int>(allOutputFormats.size()))
        return std::nullopt;
    return allOutputFormats[static_cast<size_t>(listIndex)];
}

} // namespace brisklet::audio
