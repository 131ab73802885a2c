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

std::optional<int64_t> parseTimeMs(const std::string& text)
{
    const size_t point = text.find('.');
    int64_t fraction = 0;
    if (point != std::string::npos) {
        // One to three digits: tenths, hundredths or thousandths.
        const std::string digits = text.substr(point + 1);
        if (digits.empty() || digits.size() > 3 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        fraction = std::stoll(digits);
        for (size_t n = digits.size(); n < 3; ++n)
            fraction *= 10;
    }
    const std::string whole = text.substr(0, point);
    if (whole.empty())
        return std::nullopt;
    int64_t total = 0;
    int64_t part = -1;
    int parts = 0;
    for (char c : whole + ":") {
        if (c == ':') {
            // Minutes and seconds after the first part stay below 60.
            if (part < 0 || ++parts > 3 || (parts > 1 && part > 59))
                return std::nullopt;
            total = total * 60 + part;
            part = -1;
        } else if (c >= '0' && c <= '9') {
            part = (part < 0 ? 0 : part * 10) + (c - '0');
            if (part > 1000000000)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (total > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return total * 1000 + fraction;
}

std::string notATimeMessage(const std::string& text)
{
    // Digits alone are a number of seconds too large to hold.
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos)
        return "'" + text + "' is not a valid integer value";
    return "'" + text + "' is not a time (SS, SS.mmm, MM:SS.mmm or HH:MM:SS.mmm)";
}

std::string decimalSeconds(int64_t ms)
{
    std::string text = std::to_string(ms / 1000);
    if (int64_t rest = ms % 1000; rest != 0) {
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(rest));
        std::string digits = fraction;
        digits.erase(digits.find_last_not_of('0') + 1);
        text += digits;
    }
    return text;
}

std::string secondsText(int64_t ms)
{
    return decimalSeconds(ms) + " s";
}

} // namespace brisklet
