#include "engine/progress.h"

#include "base/units.h"

namespace brisklet::engine {

std::string percentText(int q)
{
    return std::to_string(q / 100) + "%";
}

std::optional<int> progressBarPixels(int p, bool skinFlag)
{
    if (p == 10000)
        p = 0;
    int64_t width = scaled(p, progressBarWidth, 10000);
    if (!skinFlag && width > progressBarWidth)
        return std::nullopt;
    return static_cast<int>(width < 0 ? 0 : width);
}

std::string splitStoppedLine(size_t piecesWritten)
{
    return "Split stopped: " + std::to_string(piecesWritten) +
           (piecesWritten == 1 ? " piece" : " pieces") + " written.";
}

std::string joinStoppedLine()
{
    return "Join stopped: nothing written.";
}

} // namespace brisklet::engine
