#pragma once
// IAudioPlayer2 over SDL2's audio queue: blocks are queued as 32-bit floats at the
// format's rate and channel count, and SDL converts for the device. The state that
// the events report is read on the caller's thread in deliverEvents(); nothing is
// called back from SDL's sound thread.

#include "audio/player/player.h"
#include "audio/player/player_levels.h"

#include <chrono>
#include <cstdint>
#include <optional>

namespace brisklet::audio {

class SdlAudioPlayer final : public IAudioPlayer2 {
public:
    explicit SdlAudioPlayer(PlayerOptions options = {});
    ~SdlAudioPlayer() override;
    SdlAudioPlayer(const SdlAudioPlayer&) = delete;
    SdlAudioPlayer& operator=(const SdlAudioPlayer&) = delete;

    void SetFormat(int sampleRate, int channels) override;
    void LoadArray(const SampleBlock& block) override;
    void Play() override;
    void Stop() override;
    void Flush() override;
    void setEvents(PlayerEvents events) override { m_events = std::move(events); }
    void deliverEvents() override;

private:
    using Clock = std::chrono::steady_clock;

    void requireFormat() const;
    void initSdl();
    void openDevice();
    void closeDevice();
    void clearQueue();
    void queueFrames(const float* samples, int64_t frames);
    int64_t queuedFrames() const;
    // Frames taken from the queue since it was last cleared.
    int64_t consumedFrames() const;
    void deliverTimer();
    void finishPlayback();

    PlayerOptions m_options;
    PlayerEvents m_events;
    bool m_sdlReady = false;
    uint32_t m_device = 0; // SDL_AudioDeviceID; 0 while closed
    int m_sampleRate = 0;
    int m_channels = 0;
    bool m_playing = false;

    int64_t m_framesIn = 0;        // frames queued since the queue was last cleared
    int64_t m_countBase = 0;       // consumedFrames() when Play started
    bool m_requestPending = false; // more blocks were asked for and none came yet
    bool m_endArrayFired = false;  // OnEndArrayPlay fired for this empty queue
    Clock::time_point m_emptySince;
    Clock::time_point m_lastTimer;
    PlayedSamples m_history;
};

} // namespace brisklet::audio
