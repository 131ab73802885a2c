#include "audio/transform.h"

namespace brisklet::audio {

namespace {

class AudioTransform : public IAudioTransform2 {
public:
    // Frame i of n gets startPercent + (endPercent - startPercent) * i / (n - 1):
    // the first frame is at the start level and the last exactly at the end
    // level, so a fade-out ends in silence.
    void Fade(SampleBlock& block, float startPercent, float endPercent) override
    {
        const int64_t frames = block.frameCount();
        const int channels = block.channels();
        if (frames == 0)
            return;
        const double start = startPercent / 100.0;
        const double step =
            frames > 1 ? (endPercent - startPercent) / 100.0 / static_cast<double>(frames - 1)
                       : 0.0;
        float* samples = block.data();
        for (int64_t f = 0; f < frames; ++f) {
            const auto gain = static_cast<float>(start + step * static_cast<double>(f));
            for (int c = 0; c < channels; ++c)
                samples[f * channels + c] *= gain;
        }
    }
};

} // namespace

std::unique_ptr<IAudioTransform2> createAudioTransform()
{
    return std::make_unique<AudioTransform>();
}

} // namespace brisklet::audio
