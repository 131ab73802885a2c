#include "base/units.h"

#include <cstdio>
#include <limits>

namespace brisklet {

namespace {
__extension__ typedef __int128 Wide;
}

int64_t scaled(int64_t a, int64_t b, int64_t c)
{
    if (c == 0)
        return -1;
    // 128-bit intermediate: a and b may each be near the 32-bit limits and the
    // product must not wrap before the division.
    Wide product = static_cast<Wide>(a) * b;
    bool negative = (product < 0) != (c < 0);
    Wide num = product < 0 ? -product : product;
    Wide den = c < 0 ? -static_cast<Wide>(c) : c;
    Wide q = num / den;
    if ((num % den) * 2 >= den)
        ++q;
    if (negative)
        q = -q;
    if (q > std::numeric_limits<int32_t>::max() || q < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int64_t>(q);
}

std::string timeText(int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    int64_t hours = seconds / 3600;
    int64_t minutes = (seconds - hours * 3600) / 60;
    int64_t secs = seconds % 60;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(hours),
                  static_cast<long long>(minutes), static_cast<long long>(secs));
    return text;
}

std::string timeTextMs(int64_t ms)
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

int64_t frameOfMs(int64_t ms, int sampleRate, int64_t totalFrames)
{
    const Wide product = static_cast<Wide>(ms < 0 ? 0 : ms) * sampleRate;
    const auto frame = static_cast<int64_t>((product + 500) / 1000);
    return frame < 0 ? 0 : (frame > totalFrames ? totalFrames : frame);
}

} // namespace brisklet
