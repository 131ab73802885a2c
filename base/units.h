#pragma once
// Shared arithmetic of seconds, frames, bar positions and percentages.

#include <cstdint>
#include <string>

namespace brisklet {

// a * b / c with a 64-bit intermediate, rounded to nearest with halves away from
// zero. Gives -1 when c is 0 or the result does not fit a signed 32-bit integer.
int64_t scaled(int64_t a, int64_t b, int64_t c);

// Seconds as "hh:mm:ss", each part at least two digits: 3725 -> "01:02:05",
// 360000 -> "100:00:00". A negative value prints as "00:00:00".
std::string timeText(int64_t seconds);

// Milliseconds as the time text: "hh:mm:ss" as above, followed by ".mmm" only
// when the milliseconds are not zero (90250 -> "00:01:30.250").
std::string timeTextMs(int64_t ms);

// The frame at `ms` of a source of `sampleRate` frames a second and
// `totalFrames` frames: ms x rate / 1000, rounded (halves away from zero),
// limited to 0..totalFrames.
int64_t frameOfMs(int64_t ms, int sampleRate, int64_t totalFrames);

} // namespace brisklet
