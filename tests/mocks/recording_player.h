#pragma once
// A preview player that passes every call on to a real one and keeps what it
// was handed: the calls in order and the samples of every block accepted.

#include "audio/player/player.h"

#include <memory>
#include <string>
#include <vector>

namespace brisklet::test {

struct PlayerLog {
    std::vector<std::string> calls; // "SetFormat(8000,1)", "LoadArray(800)" (frames), "Play", ...
    std::vector<float> loaded;      // the samples of every block accepted, in order
    // loaded.size() at each Flush: what was handed after a move of the reader.
    std::vector<size_t> flushedAt;
    int timers = 0; // OnTimer events delivered to the window
    int count(const std::string& call) const
    {
        int n = 0;
        for (const std::string& c : calls)
            n += c == call ? 1 : 0;
        return n;
    }
};

class RecordingPlayer : public audio::IAudioPlayer2 {
public:
    RecordingPlayer(std::unique_ptr<audio::IAudioPlayer2> inner, PlayerLog& log)
        : m_inner(std::move(inner)), m_log(log)
    {
    }

    void SetFormat(int sampleRate, int channels) override
    {
        m_log.calls.push_back("SetFormat(" + std::to_string(sampleRate) + "," +
                              std::to_string(channels) + ")");
        m_inner->SetFormat(sampleRate, channels);
    }
    void LoadArray(const audio::SampleBlock& block) override
    {
        m_inner->LoadArray(block);
        m_log.calls.push_back("LoadArray(" + std::to_string(block.frameCount()) + ")");
        m_log.loaded.insert(m_log.loaded.end(), block.samples().begin(), block.samples().end());
    }
    void Play() override
    {
        m_log.calls.push_back("Play");
        m_inner->Play();
    }
    void Stop() override
    {
        m_log.calls.push_back("Stop");
        m_inner->Stop();
    }
    void Flush() override
    {
        m_log.calls.push_back("Flush");
        m_log.flushedAt.push_back(m_log.loaded.size());
        m_inner->Flush();
    }
    void setEvents(audio::PlayerEvents events) override
    {
        if (events.OnTimer) {
            events.OnTimer = [this, onTimer = std::move(events.OnTimer)](int64_t played, int left,
                                                                         int right) {
                ++m_log.timers;
                onTimer(played, left, right);
            };
        }
        m_inner->setEvents(std::move(events));
    }
    void deliverEvents() override { m_inner->deliverEvents(); }

private:
    std::unique_ptr<audio::IAudioPlayer2> m_inner;
    PlayerLog& m_log;
};

} // namespace brisklet::test
