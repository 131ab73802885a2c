#pragma once
// The settings file's general and piece settings into the state's mirrors,
// where the jobs, the name template and the search for pauses read them.

#include "engine/mainstate.h"
#include "settings/generalsettings.h"
#include "settings/piecesettings.h"

namespace brisklet::engine {

// An empty or unusable name template stands for the default one.
void mirrorPieceSettings(MainState& state, const settings::PieceSettings& settings);

// The nine general settings into the mirrors, whole seconds into milliseconds.
void mirrorGeneralSettings(MainState& state, const settings::GeneralSettings& settings);
// The mirrors as the settings file keeps them: lengths rounded to whole
// seconds, a length above zero to at least one second.
settings::GeneralSettings generalSettingsOf(const MainState& state);

} // namespace brisklet::engine
