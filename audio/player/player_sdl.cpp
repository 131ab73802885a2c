#include "audio/player/player_sdl.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <algorithm>
#include <string>

namespace brisklet::audio {

namespace {

constexpr int kLevelWindowMs = 50;          // the levels are the peaks of the last 50 ms played
constexpr int64_t kMaxQueueBytes = 1 << 24; // one SDL_QueueAudio call at most

// About 20 ms of frames, a power of two as SDL prefers: short enough that Play is
// heard at once and that the end of the queue is reached soon after the last block.
Uint16 deviceBufferFrames(int sampleRate)
{
    Uint16 frames = 256;
    while (frames < 4096 && frames < sampleRate / 50)
        frames = static_cast<Uint16>(frames * 2);
    return frames;
}

std::string sdlReason()
{
    const char* reason = SDL_GetError();
    return reason && *reason ? std::string(reason) : std::string("the sound system gave no reason");
}

// Copies the handler first, so that a handler may replace the events it belongs to.
template <typename Handler, typename... Args> void fire(const Handler& handler, Args... args)
{
    Handler copy = handler;
    if (copy)
        copy(args...);
}

} // namespace

SdlAudioPlayer::SdlAudioPlayer(PlayerOptions options) : m_options(options)
{
}

SdlAudioPlayer::~SdlAudioPlayer()
{
    closeDevice();
    if (m_sdlReady)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudioPlayer::SetFormat(int sampleRate, int channels)
{
    if (sampleRate <= 0 || channels < 1 || channels > 8)
        throw AudioError("The player cannot play " + std::to_string(sampleRate) + " Hz with " +
                         std::to_string(channels) + " channels");
    m_playing = false;
    if (sampleRate != m_sampleRate || channels != m_channels) {
        closeDevice(); // opened for another format
        m_sampleRate = sampleRate;
        m_channels = channels;
    } else if (m_device != 0) {
        SDL_PauseAudioDevice(m_device, 1);
    }
    clearQueue();
    openDevice();
}

void SdlAudioPlayer::LoadArray(const SampleBlock& block)
{
    requireFormat();
    if (block.empty())
        return;
    if (block.channels() != m_channels)
        throw AudioError("A block of " + std::to_string(block.channels()) +
                         " channels cannot be played in a format of " + std::to_string(m_channels));
    openDevice();
    const int64_t frames = block.frameCount();
    queueFrames(block.data(), frames);
    m_history.append(block.data(), frames);
    m_framesIn += frames;
    m_requestPending = false;
    m_endArrayFired = false;
}

void SdlAudioPlayer::Play()
{
    requireFormat();
    if (m_playing)
        return;
    openDevice();
    m_countBase = consumedFrames();
    m_playing = true;
    m_requestPending = false;
    m_endArrayFired = false;
    m_lastTimer = Clock::now();
    SDL_PauseAudioDevice(m_device, 0);
}

void SdlAudioPlayer::Stop()
{
    m_playing = false;
    closeDevice();
    clearQueue();
}

void SdlAudioPlayer::Flush()
{
    clearQueue();
}

void SdlAudioPlayer::deliverEvents()
{
    if (!m_playing)
        return;
    const Clock::time_point now = Clock::now();
    if (now - m_lastTimer >= m_options.timerInterval) {
        m_lastTimer = now;
        deliverTimer();
        if (!m_playing)
            return;
    }
    const auto lowWater = static_cast<int64_t>(m_options.lowWaterSeconds * m_sampleRate);
    if (!m_requestPending && queuedFrames() < lowWater) {
        m_requestPending = true;
        fire(m_events.OnRequestOnLoadArray);
        if (!m_playing)
            return;
    }
    if (queuedFrames() > 0)
        return;
    if (!m_endArrayFired) {
        m_endArrayFired = true;
        m_emptySince = now;
        fire(m_events.OnEndArrayPlay);
        return;
    }
    // The device still sounds its last buffer when the queue is empty; give it two.
    const auto drainMs = 2000 * deviceBufferFrames(m_sampleRate) / m_sampleRate;
    if (now - m_emptySince >= std::chrono::milliseconds(drainMs))
        finishPlayback();
}

void SdlAudioPlayer::requireFormat() const
{
    if (m_channels == 0)
        throw AudioError("The player has no format yet: SetFormat must come first");
}

void SdlAudioPlayer::initSdl()
{
    if (m_sdlReady)
        return;
    SDL_SetMainReady();
    // The program's own event loop handles the signals; SDL must leave them alone.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        throw NoAudioOutputError(sdlReason());
    m_sdlReady = true;
}

void SdlAudioPlayer::openDevice()
{
    if (m_device != 0)
        return;
    requireFormat();
    initSdl();
    SDL_AudioSpec wanted{};
    wanted.freq = m_sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = static_cast<Uint8>(m_channels);
    wanted.samples = deviceBufferFrames(m_sampleRate);
    wanted.callback = nullptr; // queue mode
    SDL_AudioSpec obtained{};
    // No allowed changes: SDL converts our floats to whatever the device takes.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_device == 0)
        throw NoAudioOutputError(sdlReason());
}

void SdlAudioPlayer::closeDevice()
{
    if (m_device == 0)
        return;
    SDL_PauseAudioDevice(m_device, 1);
    SDL_ClearQueuedAudio(m_device);
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
}

void SdlAudioPlayer::clearQueue()
{
    if (m_device != 0)
        SDL_ClearQueuedAudio(m_device);
    m_framesIn = 0;
    m_countBase = 0;
    m_requestPending = false;
    m_endArrayFired = false;
    m_history.reset(m_channels);
}

void SdlAudioPlayer::queueFrames(const float* samples, int64_t frames)
{
    const int64_t frameBytes = static_cast<int64_t>(sizeof(float)) * m_channels;
    const int64_t framesPerCall = kMaxQueueBytes / frameBytes;
    for (int64_t done = 0; done < frames; done += framesPerCall) {
        const int64_t count = std::min(framesPerCall, frames - done);
        if (SDL_QueueAudio(m_device, samples + done * m_channels,
                           static_cast<Uint32>(count * frameBytes)) != 0)
            throw AudioError("The sound output refused the audio: " + sdlReason());
    }
}

int64_t SdlAudioPlayer::queuedFrames() const
{
    if (m_device == 0)
        return 0;
    return SDL_GetQueuedAudioSize(m_device) / (static_cast<int64_t>(sizeof(float)) * m_channels);
}

int64_t SdlAudioPlayer::consumedFrames() const
{
    return std::max<int64_t>(0, m_framesIn - queuedFrames());
}

void SdlAudioPlayer::deliverTimer()
{
    const int64_t played = consumedFrames();
    const int64_t window = static_cast<int64_t>(m_sampleRate) * kLevelWindowMs / 1000;
    m_history.dropBefore(played - window);
    const StereoLevels levels = m_history.levels(played - window, played);
    fire(m_events.OnTimer, played - m_countBase, levels.left, levels.right);
}

void SdlAudioPlayer::finishPlayback()
{
    // A last count, so that a follower sees every frame played before the end.
    deliverTimer();
    if (!m_playing)
        return;
    m_playing = false;
    SDL_PauseAudioDevice(m_device, 1);
    fire(m_events.OnEndPlay);
}

std::unique_ptr<IAudioPlayer2> createAudioPlayer(PlayerOptions options)
{
    return std::make_unique<SdlAudioPlayer>(options);
}

} // namespace brisklet::audio
