#pragma once
// The decoded samples of a stretch of a source, for views zoomed in closer
// than the peaks' buckets. Reads again only when asked for frames it lacks.

#include "audio/audiofile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace brisklet::waveform {

class SampleWindow {
public:
    explicit SampleWindow(std::string path);

    // Makes sure frames [first, first + count) are held (clipped to the
    // source), reading some more on both sides so that scrolling rarely reads.
    // Throws AudioError when the source cannot be read.
    void cover(int64_t first, int64_t count);
    int channels() const { return m_channels; }
    int64_t firstFrame() const { return m_first; }
    int64_t frameCount() const
    {
        return m_channels ? static_cast<int64_t>(m_samples.size()) / m_channels : 0;
    }
    // Interleaved frames from firstFrame().
    const std::vector<float>& samples() const { return m_samples; }
    // The sample of `channel` at `frame`, 0 outside what is held.
    float sampleAt(int64_t frame, int channel) const;

    // The frame nearest to `frame`, within `radius` frames, where the channels'
    // mean changes sign or is zero; `frame` itself when there is none. Reads
    // what it lacks.
    int64_t nearestZeroCrossing(int64_t frame, int64_t radius);

private:
    float mean(int64_t frame) const;

    std::string m_path;
    std::unique_ptr<audio::IAudioFile2> m_reader;
    int m_channels = 0;
    int64_t m_total = 0;
    int64_t m_first = 0;
    std::vector<float> m_samples;
};

} // namespace brisklet::waveform
