#pragma once
// Shared arithmetic of seconds, frames, bar positions and percentages.

#include <cstdint>
#include <optional>
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

// Milliseconds from a typed time: "SS", "SS.mmm", "MM:SS(.mmm)" or
// "HH:MM:SS(.mmm)" (one to three digits after the point; minutes and seconds
// after the first part below 60). Nothing when malformed.
std::optional<int64_t> parseTimeMs(const std::string& text);

// Why `text` is not a time, for every place that takes one typed.
std::string notATimeMessage(const std::string& text);

// A length as decimal seconds, as a time field shows it: 60000 -> "60",
// 1500 -> "1.5", 250 -> "0.25".
std::string decimalSeconds(int64_t ms);
// The same for a short caption: "60 s", "1.5 s".
std::string secondsText(int64_t ms);

} // namespace brisklet
