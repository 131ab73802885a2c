#pragma once
// The settings of the general page for pieces found for the user and their
// names and numbers, in the section "Pieces". Read from the file whenever a
// split, a join or a search for pauses starts, as the format settings are.

#include "settings/settingkeys.h"

#include <string>

namespace brisklet::settings {

namespace keys {
inline constexpr SettingKey nameTemplate = textKey("Pieces", "Name");
inline constexpr SettingKey trackNumbers = booleanKey("Pieces", "Track", false);
inline constexpr SettingKey writeCue = booleanKey("Pieces", "Cue", false);
inline constexpr SettingKey silenceDb = integerKey("Pieces", "SilenceDb", -40);
inline constexpr SettingKey silencePauseMs = integerKey("Pieces", "SilencePause", 500);
inline constexpr SettingKey silencePieceMs = integerKey("Pieces", "SilencePiece", 5000);
inline constexpr SettingKey silenceTrim = booleanKey("Pieces", "SilenceTrim", false);
} // namespace keys

struct PieceSettings {
    std::string nameTemplate; // empty: the names the program always gave
    bool trackNumbers = false;
    bool writeCue = false;
    int silenceDb = -40;       // threshold, dB below full scale (-100 to -1)
    int silencePauseMs = 500;  // minimum pause (at least 10)
    int silencePieceMs = 5000; // minimum piece (0 or more)
    bool silenceTrim = false;  // pieces trimmed to the sound, not cut mid-pause

    bool operator==(const PieceSettings&) const = default;
};

// Values out of range read as their defaults.
PieceSettings loadPieceSettings(const ProfileFile& file);
// Throws SettingsWriteError.
void savePieceSettings(ProfileFile& file, const PieceSettings& settings);

} // namespace brisklet::settings
