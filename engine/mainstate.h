#pragma once
// The main window's window-wide state: flags, indexes and the mirrors of the
// nine general settings. One instance, owned by the main window's job model.

#include "engine/nametemplate.h"
#include "proposals/silence.h"

#include <cstdint>
#include <optional>
#include <string>

namespace brisklet::engine {

// FunctionChoice values: where the segments of a job come from.
enum class Mode { Custom = 0, ByTime = 1, ByCount = 2, Unification = 3 };

// The mode a stored FunctionChoice number stands for; nothing for an unknown one.
inline std::optional<Mode> modeOf(int functionChoice)
{
    if (functionChoice < static_cast<int>(Mode::Custom) ||
        functionChoice > static_cast<int>(Mode::Unification))
        return std::nullopt;
    return static_cast<Mode>(functionChoice);
}

struct MainState {
    bool converting = false;         // a split or join runs
    bool segmentListFocused = false; // the last click went to the segment list
    bool previewPlaying = false;
    bool positionDragging = false; // the mouse button is held on the position bar

    int selectedFileIndex = 0;
    int selectedSegmentIndex = 0;
    int previewFileIndex = 0;
    int previewSegmentIndex = 0;
    int64_t previewStartSample = 0; // frames added to the player's played count
    int barPosition = 0;            // last position read from or written to the bar

    // Mirrors of the general settings, loaded at start and saved on close.
    // Lengths are milliseconds here; the settings file keeps whole seconds.
    int FunctionChoice = 0;
    std::string OutputDirectory; // always ends in "/"
    int64_t splitMs = 60000;     // piece length by time, at least 1
    int splitCount = 6;
    bool fadeIn = false;
    bool fadeOut = false;
    int64_t fadeInMs = 5000;
    int64_t fadeOutMs = 5000;
    bool skinFlag = false;

    // Mirrors of the settings of pieces found for the user and their names.
    std::string nameTemplate = defaultNameTemplate; // names of split outputs
    bool trackNumbers = false;                      // pieces carry "3/12" in their tags
    bool writeCueSheet = false;                     // a join writes a cue sheet beside it
    proposals::SilenceSettings silence;

    std::optional<Mode> mode() const { return modeOf(FunctionChoice); }
    bool segmentsEditable() const { return mode() == Mode::Custom || mode() == Mode::Unification; }
};

} // namespace brisklet::engine
