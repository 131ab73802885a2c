#include "engine/piecesettingsmirror.h"

#include <algorithm>
#include <cstdint>

namespace brisklet::engine {

void mirrorPieceSettings(MainState& state, const settings::PieceSettings& settings)
{
    state.nameTemplate =
        settings.nameTemplate.empty() || !checkNameTemplate(settings.nameTemplate).empty()
            ? defaultNameTemplate
            : settings.nameTemplate;
    state.trackNumbers = settings.trackNumbers;
    state.writeCueSheet = settings.writeCue;
    state.silence.thresholdDb = settings.silenceDb;
    state.silence.minPauseMs = settings.silencePauseMs;
    state.silence.minPieceMs = settings.silencePieceMs;
    state.silence.trimToSound = settings.silenceTrim;
}

void mirrorGeneralSettings(MainState& state, const settings::GeneralSettings& settings)
{
    state.FunctionChoice = settings.FunctionChoice;
    state.OutputDirectory = settings.OutputDirectory;
    state.splitMs = int64_t{settings.splitSeconds} * 1000;
    state.splitCount = settings.splitCount;
    state.fadeIn = settings.fadeIn;
    state.fadeOut = settings.fadeOut;
    state.fadeInMs = int64_t{settings.fadeInSeconds} * 1000;
    state.fadeOutMs = int64_t{settings.fadeOutSeconds} * 1000;
    state.skinFlag = settings.skinFlag;
}

namespace {

int wholeSeconds(int64_t ms)
{
    if (ms <= 0)
        return static_cast<int>(ms / 1000);
    return static_cast<int>(std::clamp<int64_t>((ms + 500) / 1000, 1, INT32_MAX));
}

} // namespace

settings::GeneralSettings generalSettingsOf(const MainState& state)
{
    return {state.FunctionChoice,
            state.OutputDirectory,
            wholeSeconds(state.splitMs),
            state.splitCount,
            state.fadeIn,
            state.fadeOut,
            wholeSeconds(state.fadeInMs),
            wholeSeconds(state.fadeOutMs),
            state.skinFlag};
}

} // namespace brisklet::engine
