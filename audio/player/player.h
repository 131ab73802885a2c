#pragma once
// The preview player. Blocks handed to LoadArray are played in order without gaps.
// Events are delivered on the thread that calls deliverEvents() (the window's
// thread, driven by a timer there), never from the sound thread.
//
// No sound output: SetFormat (and LoadArray or Play when no device is open)
// throws NoAudioOutputError, whose message reads "No audio output is
// available: <reason>". Stop, Flush and deliverEvents never throw.

#include "audio/audioerror.h"
#include "audio/sampleblock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace brisklet::audio {

// The sound device could not be reached (no driver, no device, device taken).
class NoAudioOutputError : public AudioError {
public:
    explicit NoAudioOutputError(const std::string& reason)
        : AudioError("No audio output is available: " + reason)
    {
    }
};

struct PlayerEvents {
    std::function<void()> OnRequestOnLoadArray; // the queue runs low: more blocks wanted
    std::function<void()> OnEndArrayPlay;       // the queue ran empty
    std::function<void()> OnEndPlay;            // playback ended
    // Frames played since Play or the last Flush; levels 0-100.
    std::function<void(int64_t currentSamples, int levelLeft, int levelRight)> OnTimer;
};

struct PlayerOptions {
    // OnRequestOnLoadArray fires when less than this much audio is queued, in seconds.
    double lowWaterSeconds = 1.0;
    // Least time between two OnTimer events. Slightly below the window's 50 ms timer,
    // so that every tick of it carries one; zero gives one on every deliverEvents call.
    std::chrono::milliseconds timerInterval{40};
};

class IAudioPlayer2 {
public:
    virtual ~IAudioPlayer2() = default;
    // Opens the sound output for blocks of this rate (frames per second) and channel
    // count, stopped and with an empty queue.
    virtual void SetFormat(int sampleRate, int channels) = 0;
    // Queues a copy of the block (its channel count must be the format's). An empty
    // block queues nothing.
    virtual void LoadArray(const SampleBlock& block) = 0;
    // Starts playing the queue; the played count starts at 0. Does nothing while playing.
    virtual void Play() = 0;
    // Stops, empties the queue and releases the sound device.
    virtual void Stop() = 0;
    // Empties the queue and restarts the played count at 0, still playing; used after
    // the reader was moved. More blocks are asked for at the next deliverEvents.
    virtual void Flush() = 0;
    virtual void setEvents(PlayerEvents events) = 0;
    // Fires the due events; call it often (about every 50 ms) on the window's thread.
    // Handlers may call any operation of the player except destroying it.
    virtual void deliverEvents() = 0;
};

// The player over the system's sound output (SDL2). Cheap to create: the device is
// opened by SetFormat.
std::unique_ptr<IAudioPlayer2> createAudioPlayer(PlayerOptions options = {});

} // namespace brisklet::audio
