#pragma once
// The formats Brisklet writes, in the order of the main window's format list:
// the one place that knows each format's extension, name and spelling.

#include <array>
#include <optional>
#include <string>

namespace brisklet::audio {

enum class OutputFormat { Mp3, Wav, Wma, Ogg };

inline constexpr std::array allOutputFormats{OutputFormat::Mp3, OutputFormat::Wav,
                                             OutputFormat::Wma, OutputFormat::Ogg};

// ".mp3", ".wav", ".wma", ".ogg".
std::string extensionOf(OutputFormat format);
// "MP3", "WAV", "WMA", "OGG": the format list's and the save dialog's name.
std::string displayNameOf(OutputFormat format);

// From "mp3", "wav", "wma", "ogg" in any case.
std::optional<OutputFormat> outputFormatFromName(const std::string& name);
// By the extension of the path's last component.
std::optional<OutputFormat> outputFormatFromPath(const std::string& path);

// The position in the format list (cb_format) and back; the save dialog's file
// type is the position plus one.
int listIndexOf(OutputFormat format);
std::optional<OutputFormat> outputFormatAt(int listIndex);

} // namespace brisklet::audio
