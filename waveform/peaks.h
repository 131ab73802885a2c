#pragma once
// Min/max peaks of a source, one pair per channel for every run of
// `framesPerBucket` frames, and the columns a waveform view draws from them.
// Positions are frames of the source; peak values are samples scaled to
// -32767..32767.

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace brisklet::waveform {

// 256 frames a bucket keep a 2-hour stereo source at 44.1 kHz near 10 MB.
inline constexpr int64_t framesPerBucket = 256;

struct PeakRange {
    float min = 0.0f; // -1..1
    float max = 0.0f;
    bool empty = true; // no frame of the column lies in the source
};

// Leaves elements made without a value uninitialised, so that a buffer about
// to be filled from a file is not zeroed first (a 2-hour source's is 10 MB).
template <class T> struct UninitialisedAllocator : std::allocator<T> {
    template <class U> struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    template <class U, class... Args> void construct(U* at, Args&&... args)
    {
        if constexpr (sizeof...(Args) == 0)
            ::new (static_cast<void*>(at)) U;
        else
            ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

using PeakValues = std::vector<int16_t, UninitialisedAllocator<int16_t>>;

struct PeakData {
    int channels = 0;
    int sampleRate = 0;
    int64_t totalFrames = 0;
    // Bucket b, channel c: values[(b * channels + c) * 2] is the minimum, +1 the maximum.
    PeakValues values;

    int64_t bucketCount() const { return (totalFrames + framesPerBucket - 1) / framesPerBucket; }
    // Sizes `values` for every bucket of the source, all zero.
    void allocate();
    // The same, leaving the values to be read in.
    void allocateUnset();
};

// Folds `frames` interleaved frames, starting at frame `firstFrame` (a
// multiple of framesPerBucket or the continuation of the previous call), into
// the buckets of `peaks`.
void addFrames(PeakData& peaks, int64_t firstFrame, const float* samples, int64_t frames);

// The peaks of channel `channel` for `count` columns of `framesPerColumn`
// frames from `firstFrame`, using the first `readyBuckets` buckets only.
// Column k covers frames [firstFrame + k * framesPerColumn, + framesPerColumn);
// a bucket counts in every column it overlaps, so columns at least a bucket
// wide and aligned to buckets are exact.
std::vector<PeakRange> bucketColumns(const PeakData& peaks, int channel, int64_t firstFrame,
                                     int64_t framesPerColumn, int count, int64_t readyBuckets);

// The same from decoded samples: `frames` interleaved frames of `channels`
// channels; column k covers frames [k * framesPerColumn, + framesPerColumn).
std::vector<PeakRange> sampleColumns(const float* samples, int channels, int64_t frames,
                                     int channel, int64_t framesPerColumn, int count);

} // namespace brisklet::waveform
