#pragma once
// Internal: float samples to integers by the factor the readers divide by
// (2^(bits-1)), so that PCM read and written back keeps every sample.

namespace brisklet::audio {

// Rounds v * scale to the nearest integer (halves to even) within
// [-scale, scale - 1]; NaN gives 0. Branch-free and without a library call, so
// that the loops over a block vectorise: this conversion is most of the cost
// of a WAV or FLAC output.
template <typename Int> Int toInteger(float v, double scale)
{
    // Adding and taking away 1.5 x 2^52 leaves x rounded in the default
    // rounding mode, for every |x| below 2^51.
    constexpr double roundingShift = 6755399441055744.0;
    double x = static_cast<double>(v) * scale;
    x = x == x ? x : 0.0;
    x = x < scale - 1 ? x : scale - 1;
    x = x > -scale ? x : -scale;
    return static_cast<Int>((x + roundingShift) - roundingShift);
}

} // namespace brisklet::audio
