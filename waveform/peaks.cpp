#include "waveform/peaks.h"

#include <algorithm>
#include <cmath>

namespace brisklet::waveform {

namespace {

int16_t toValue(float sample)
{
    const float clamped = std::clamp(sample, -1.0f, 1.0f);
    return static_cast<int16_t>(std::lround(clamped * 32767.0f));
}

float fromValue(int16_t value)
{
    return static_cast<float>(value) / 32767.0f;
}

void widen(PeakRange& range, float low, float high)
{
    if (range.empty) {
        range = {low, high, false};
        return;
    }
    range.min = std::min(range.min, low);
    range.max = std::max(range.max, high);
}

} // namespace

void PeakData::allocate()
{
    values.assign(static_cast<size_t>(bucketCount() * std::max(channels, 0) * 2), 0);
}

void PeakData::allocateUnset()
{
    values.resize(static_cast<size_t>(bucketCount() * std::max(channels, 0) * 2));
}

void addFrames(PeakData& peaks, int64_t firstFrame, const float* samples, int64_t frames)
{
    const int channels = peaks.channels;
    const int64_t buckets = peaks.bucketCount();
    int64_t frame = firstFrame;
    int64_t at = 0;
    while (at < frames) {
        const int64_t bucket = frame / framesPerBucket;
        if (bucket >= buckets)
            return; // a decoder that gives more than it announced: the rest has no bucket
        const int64_t inBucket = std::min(frames - at, (bucket + 1) * framesPerBucket - frame);
        // The bucket's first frame starts it afresh; later frames widen it.
        const bool fresh = frame % framesPerBucket == 0;
        for (int c = 0; c < channels; ++c) {
            float low = samples[at * channels + c];
            float high = low;
            for (int64_t i = 1; i < inBucket; ++i) {
                const float s = samples[(at + i) * channels + c];
                low = std::min(low, s);
                high = std::max(high, s);
            }
            int16_t* pair = &peaks.values[static_cast<size_t>((bucket * channels + c) * 2)];
            const int16_t lowValue = toValue(low);
            const int16_t highValue = toValue(high);
            pair[0] = fresh ? lowValue : std::min(pair[0], lowValue);
            pair[1] = fresh ? highValue : std::max(pair[1], highValue);
        }
        frame += inBucket;
        at += inBucket;
    }
}

std::vector<PeakRange> bucketColumns(const PeakData& peaks, int channel, int64_t firstFrame,
                                     int64_t framesPerColumn, int count, int64_t readyBuckets)
{
    std::vector<PeakRange> columns(static_cast<size_t>(std::max(count, 0)));
    if (channel < 0 || channel >= peaks.channels || framesPerColumn < 1)
        return columns;
    const int64_t ready = std::min(readyBuckets, peaks.bucketCount());
    for (int k = 0; k < count; ++k) {
        const int64_t begin = std::max<int64_t>(firstFrame + k * framesPerColumn, 0);
        const int64_t end = std::min(firstFrame + (k + 1) * framesPerColumn, peaks.totalFrames);
        if (begin >= end)
            continue;
        const int64_t last = std::min((end - 1) / framesPerBucket, ready - 1);
        for (int64_t b = begin / framesPerBucket; b <= last; ++b) {
            const int16_t* pair =
                &peaks.values[static_cast<size_t>((b * peaks.channels + channel) * 2)];
            widen(columns[k], fromValue(pair[0]), fromValue(pair[1]));
        }
    }
    return columns;
}

std::vector<PeakRange> sampleColumns(const float* samples, int channels, int64_t frames,
                                     int channel, int64_t framesPerColumn, int count)
{
    std::vector<PeakRange> columns(static_cast<size_t>(std::max(count, 0)));
    if (channel < 0 || channel >= channels || framesPerColumn < 1)
        return columns;
    for (int k = 0; k < count; ++k) {
        const int64_t begin = std::max<int64_t>(k * framesPerColumn, 0);
        const int64_t end = std::min((k + 1) * framesPerColumn, frames);
        for (int64_t f = begin; f < end; ++f) {
            const float s = samples[f * channels + channel];
            widen(columns[k], s, s);
        }
    }
    return columns;
}

} // namespace brisklet::waveform
