#pragma once
// The preview player. Events are delivered on the thread that calls
// deliverEvents() (the window's thread, driven by a timer there).

#include "audio/sampleblock.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace brisklet::audio {

struct PlayerEvents {
    std::function<void()> OnRequestOnLoadArray; // the queue runs low: more blocks wanted
    std::function<void()> OnEndArrayPlay;       // the queue ran empty
    std::function<void()> OnEndPlay;            // playback ended
    // Frames played since Play or the last Flush; levels 0-100.
    std::function<void(int64_t currentSamples, int levelLeft, int levelRight)> OnTimer;
};

class IAudioPlayer2 {
public:
    virtual ~IAudioPlayer2() = default;
    virtual void SetFormat(int sampleRate, int channels) = 0;
    virtual void LoadArray(const SampleBlock& block) = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void Flush() = 0;
    virtual void setEvents(PlayerEvents events) = 0;
    // Fires the due events; call it often (about every 50 ms) on the window's thread.
    virtual void deliverEvents() = 0;
};

} // namespace brisklet::audio
