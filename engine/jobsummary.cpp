#include "engine/jobsummary.h"

#include <optional>

namespace brisklet::engine {

namespace {

std::string seconds(int value)
{
    return std::to_string(value) + " s";
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
        return "Pieces of " + seconds(state.splitSeconds);
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
        return "Fade in " + seconds(state.fadeInSeconds) + ", out " + seconds(state.fadeOutSeconds);
    if (state.fadeIn)
        return "Fade in " + seconds(state.fadeInSeconds);
    if (state.fadeOut)
        return "Fade out " + seconds(state.fadeOutSeconds);
    return "No fades";
}

} // namespace brisklet::engine
