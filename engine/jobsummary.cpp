#include "engine/jobsummary.h"

#include "base/units.h"

#include <optional>

namespace brisklet::engine {

namespace {

std::string seconds(int64_t ms)
{
    return secondsText(ms);
}

} // namespace

std::string modeSummary(const MainState& state)
{
    const std::optional<Mode> mode = state.mode();
    if (!mode)
        return {};
    switch (*mode) {
    case Mode::Custom:
        return "Custom pieces";
    case Mode::ByTime:
        return "Pieces of " + seconds(state.splitMs);
    case Mode::ByCount:
        return std::to_string(state.splitCount) + " equal pieces";
    case Mode::Unification:
        return "Unification";
    }
    return {};
}

std::string fadeSummary(const MainState& state)
{
    if (state.fadeIn && state.fadeOut)
        return "Fade in " + seconds(state.fadeInMs) + ", out " + seconds(state.fadeOutMs);
    if (state.fadeIn)
        return "Fade in " + seconds(state.fadeInMs);
    if (state.fadeOut)
        return "Fade out " + seconds(state.fadeOutMs);
    return "No fades";
}

} // namespace brisklet::engine
