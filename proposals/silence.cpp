#include "proposals/silence.h"

#include "audio/decoder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
#include <string_view>

namespace brisklet::proposals {

namespace {

constexpr int64_t kWindowsPerSecond = 200; // 5 ms
constexpr int64_t kReadFrames = 1 << 15;

std::optional<double> parseNumber(std::string_view text)
{
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int64_t framesOfMs(int64_t ms, int sampleRate)
{
    return ms * sampleRate / 1000;
}

int64_t msOfFrames(int64_t frames, int sampleRate)
{
    return (frames * 1000 + sampleRate / 2) / sampleRate;
}

// Sum of squares, four lanes at a time so the additions overlap.
double sumOfSquares(const float* samples, int64_t count)
{
    double lanes[4] = {0, 0, 0, 0};
    int64_t i = 0;
    for (; i + 4 <= count; i += 4) {
        for (int lane = 0; lane < 4; ++lane) {
            const double sample = samples[i + lane];
            lanes[lane] += sample * sample;
        }
    }
    for (; i < count; ++i)
        lanes[0] += static_cast<double>(samples[i]) * samples[i];
    return lanes[0] + lanes[1] + lanes[2] + lanes[3];
}

} // namespace

bool parseSilenceSettings(const std::string& text, SilenceSettings& settings)
{
    std::vector<std::string_view> parts;
    std::string_view rest = text;
    for (;;) {
        size_t colon = rest.find(':');
        parts.push_back(rest.substr(0, colon));
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    if (parts.size() > 3)
        return false;
    SilenceSettings parsed = settings;
    std::optional<double> db = parseNumber(parts[0]);
    if (!db || std::abs(*db) > 200)
        return false;
    parsed.thresholdDb = -std::abs(*db);
    for (size_t i = 1; i < parts.size(); ++i) {
        std::optional<double> seconds = parseNumber(parts[i]);
        if (!seconds || *seconds < 0 || *seconds > 24 * 3600)
            return false;
        const auto ms = static_cast<int64_t>(std::llround(*seconds * 1000));
        (i == 1 ? parsed.minPauseMs : parsed.minPieceMs) = ms;
    }
    if (parsed.minPauseMs < 1)
        return false;
    settings = parsed;
    return true;
}

PauseFinder::PauseFinder(int sampleRate, int channels, const SilenceSettings& settings)
    : m_channels(std::max(1, channels)),
      m_windowFrames(std::max<int64_t>(1, sampleRate / kWindowsPerSecond)),
      m_minPauseFrames(std::max<int64_t>(1, framesOfMs(settings.minPauseMs, sampleRate))),
      m_thresholdSquare(std::pow(10.0, settings.thresholdDb / 10.0))
{
}

void PauseFinder::feed(const float* samples, int64_t frames)
{
    while (frames > 0) {
        const int64_t take = std::min(frames, m_windowFrames - m_inWindow);
        m_sum += sumOfSquares(samples, take * m_channels);
        m_inWindow += take;
        m_position += take;
        samples += take * m_channels;
        frames -= take;
        if (m_inWindow == m_windowFrames)
            closeWindow();
    }
}

void PauseFinder::closeWindow()
{
    const int64_t start = m_position - m_inWindow;
    const bool quiet = m_sum < m_thresholdSquare * static_cast<double>(m_inWindow * m_channels);
    if (quiet && m_quietSince < 0)
        m_quietSince = start;
    else if (!quiet && m_quietSince >= 0)
        endQuiet(start);
    m_sum = 0;
    m_inWindow = 0;
}

void PauseFinder::endQuiet(int64_t at)
{
    if (at - m_quietSince >= m_minPauseFrames)
        m_pauses.push_back({m_quietSince, at});
    m_quietSince = -1;
}

const std::vector<Pause>& PauseFinder::finish()
{
    if (m_inWindow > 0)
        closeWindow();
    if (m_quietSince >= 0)
        endQuiet(m_position);
    return m_pauses;
}

std::vector<Proposal> piecesBetweenPauses(const std::vector<Pause>& pauses, int64_t totalFrames,
                                          int sampleRate, const SilenceSettings& settings)
{
    // The stretches of sound between the pauses.
    std::vector<Pause> sounds;
    int64_t soundStart = 0;
    for (const Pause& pause : pauses) {
        if (pause.begin > soundStart)
            sounds.push_back({soundStart, pause.begin});
        soundStart = std::max(soundStart, pause.end);
    }
    if (soundStart < totalFrames)
        sounds.push_back({soundStart, totalFrames});
    if (sounds.empty() || sampleRate <= 0)
        return {};

    // Group them so that each piece holds at least the minimum length of
    // sound; a short last group joins the one before it.
    const int64_t minPiece = framesOfMs(settings.minPieceMs, sampleRate);
    std::vector<std::pair<size_t, size_t>> groups; // first and last sound of a piece
    size_t first = 0;
    for (size_t i = 0; i < sounds.size(); ++i) {
        if (sounds[i].end - sounds[first].begin >= minPiece || i + 1 == sounds.size()) {
            groups.emplace_back(first, i);
            first = i + 1;
        }
    }
    if (groups.size() > 1 &&
        sounds[groups.back().second].end - sounds[groups.back().first].begin < minPiece) {
        groups[groups.size() - 2].second = groups.back().second;
        groups.pop_back();
    }

    std::vector<Proposal> pieces;
    for (size_t g = 0; g < groups.size(); ++g) {
        const Pause& firstSound = sounds[groups[g].first];
        const Pause& lastSound = sounds[groups[g].second];
        int64_t begin = firstSound.begin;
        int64_t end = lastSound.end;
        if (!settings.trimToSound) {
            // Cut in the middle of the pauses between pieces; the first and
            // the last piece reach the ends of the source.
            begin = g == 0 ? 0 : (sounds[groups[g - 1].second].end + firstSound.begin) / 2;
            end = g + 1 == groups.size() ? totalFrames
                                         : (lastSound.end + sounds[groups[g + 1].first].begin) / 2;
        }
        Proposal piece;
        piece.beginMs = msOfFrames(begin, sampleRate);
        piece.endMs = msOfFrames(end, sampleRate);
        pieces.push_back(piece);
    }
    numberProposals(pieces);
    return pieces;
}

SilenceResult findSilencePieces(const std::string& path, const SilenceSettings& settings,
                                const ScanProgress& progress)
{
    std::unique_ptr<audio::Decoder> decoder = audio::openDecoder(path);
    const int rate = decoder->sampleRate();
    const int channels = decoder->channels();
    const int64_t expected = std::max<int64_t>(1, decoder->totalFrames());
    PauseFinder finder(rate, channels, settings);
    std::vector<float> block(static_cast<size_t>(kReadFrames * channels));
    int64_t done = 0;
    for (;;) {
        if (progress &&
            !progress(static_cast<int>(std::min<int64_t>(done, expected) * 10000 / expected)))
            return {{}, true};
        const int64_t got = decoder->read(block.data(), kReadFrames);
        if (got <= 0)
            break;
        finder.feed(block.data(), got);
        done += got;
    }
    SilenceResult result;
    result.pieces = piecesBetweenPauses(finder.finish(), done, rate, settings);
    return result;
}

} // namespace brisklet::proposals
