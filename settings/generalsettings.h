#pragma once
// The nine general settings: read once at start-up into the main window's
// mirrors and written back when it closes.

#include <string>

namespace brisklet::settings {

class ProfileFile;

// The mirrors keep the names the rest of the program knows them by.
struct GeneralSettings {
    int FunctionChoice = 0;      // the way of cutting: a number of engine::Mode
    std::string OutputDirectory; // always ends in "/"
    int splitSeconds = 60;       // piece length for ByTime, at least 1
    int splitCount = 6;          // number of pieces for ByCount, at least 1
    bool fadeIn = false;
    bool fadeOut = false;
    int fadeInSeconds = 5;
    int fadeOutSeconds = 5;
    bool skinFlag = false;
};

// The user's music folder, which stands for an absent or empty "Output"/"Dir".
std::string musicFolder();

// Reads the nine keys in table order. Creates the output folder when it is
// missing (one level; a failure is not reported) and appends the final "/".
// A split length or count below 1 (only a hand-edited file holds one) is used as 1.
GeneralSettings loadGeneralSettings(const ProfileFile& file);

// Writes the nine keys in table order, the output folder with its final "/".
// Throws SettingsWriteError; the keys written before the failure stay written.
void saveGeneralSettings(ProfileFile& file, const GeneralSettings& settings);

// `folder` with a "/" appended when it does not end in one.
std::string withFinalSlash(std::string folder);

} // namespace brisklet::settings
