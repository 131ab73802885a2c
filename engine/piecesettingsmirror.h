#pragma once
// The settings file's piece settings into the state's mirrors, where the
// jobs, the name template and the search for pauses read them.

#include "engine/mainstate.h"
#include "settings/piecesettings.h"

namespace brisklet::engine {

// An empty or unusable name template stands for the default one.
void mirrorPieceSettings(MainState& state, const settings::PieceSettings& settings);

} // namespace brisklet::engine
