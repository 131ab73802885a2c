#pragma once
// The progress display shared by the split and join jobs: the percentage label
// "pbpos" and the bar "convertpb". Values are hundredths of a percent, 0-10000.

#include <cstddef>
#include <optional>
#include <string>

namespace brisklet::engine {

// Full width of the progress bar in pixels.
constexpr int progressBarWidth = 335;

// The label text for progress q: whole percent followed by "%" ("100%").
std::string percentText(int q);

// The bar's width in pixels for progress p, or nothing when the bar keeps its
// drawing. A finished piece (10000) shows an empty bar.
std::optional<int> progressBarPixels(int p, bool skinFlag);

// The line shown after Stop ended a job: "Split stopped: 2 pieces written."
// A join's stopped output is removed, so it wrote nothing.
std::string splitStoppedLine(size_t piecesWritten);
std::string joinStoppedLine();

} // namespace brisklet::engine
