#pragma once
// Interim: the time text with milliseconds, until the shared time text has them.

#include "audio/units.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace brisklet::app {

inline std::string timeTextMs(int64_t ms)
{
    if (ms < 0)
        ms = 0;
    std::string text = timeText(ms / 1000);
    if (ms % 1000 != 0) {
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(ms % 1000));
        text += fraction;
    }
    return text;
}

} // namespace brisklet::app
