#include "engine/piecesettingsmirror.h"

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

} // namespace brisklet::engine
