#pragma once
// Fades applied to sample blocks in place.

#include "audio/sampleblock.h"

#include <memory>

namespace brisklet::audio {

class IAudioTransform2 {
public:
    virtual ~IAudioTransform2() = default;
    // Scales the block along a linear ramp from startPercent to endPercent
    // (0-100), frame by frame, all channels of a frame alike.
    virtual void Fade(SampleBlock& block, float startPercent, float endPercent) = 0;
};

std::unique_ptr<IAudioTransform2> createAudioTransform();

} // namespace brisklet::audio
