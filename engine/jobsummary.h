#pragma once
// The job settings in two short lines for the main window: how the pieces are
// made ("Pieces of 60 s") and the fades ("Fade in 5 s, out 3 s").

#include "engine/mainstate.h"

#include <string>

namespace brisklet::engine {

std::string modeSummary(const MainState& state);
std::string fadeSummary(const MainState& state);

} // namespace brisklet::engine
