#pragma once
// Pieces between the pauses of a source: a pause is a stretch of at least the
// minimum pause length whose level stays below the threshold; the pieces are
// what lies between pauses, cut in the middle of each pause or trimmed to the
// sound, with pieces shorter than the minimum merged into their neighbours.

#include "proposals/proposal.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brisklet::proposals {

struct SilenceSettings {
    double thresholdDb = -40.0; // level in dB below full scale under which audio is quiet
    int64_t minPauseMs = 500;   // a quiet stretch this long or longer is a pause
    int64_t minPieceMs = 5000;  // no piece shorter than this, unless the sound is
    bool trimToSound = false;   // pieces end where the sound ends, not mid-pause

    bool operator==(const SilenceSettings&) const = default;
};

// Parses "DB[:SECONDS[:MINPIECE]]" (e.g. "-40", "-35:0.8", "-40:0.5:10"; the
// threshold may be written with or without its minus sign). Parts left out keep
// the values in `settings`. Returns false, changing nothing, when malformed.
bool parseSilenceSettings(const std::string& text, SilenceSettings& settings);

// A quiet stretch in frames of the source, [begin, end).
struct Pause {
    int64_t begin = 0;
    int64_t end = 0;
    bool operator==(const Pause&) const = default;
};

// Finds pauses in interleaved float samples fed block by block. The level is
// measured over windows of 5 ms (the root mean square over all channels), so
// a pause's edges lie within one window of the sound's.
class PauseFinder {
public:
    PauseFinder(int sampleRate, int channels, const SilenceSettings& settings);
    void feed(const float* samples, int64_t frames);
    // Ends the stream: a pause running at the end counts. Returns every pause.
    const std::vector<Pause>& finish();

private:
    void closeWindow();
    void endQuiet(int64_t at);

    int m_channels;
    int64_t m_windowFrames;
    int64_t m_minPauseFrames;
    double m_thresholdSquare;  // mean square below which a window is quiet
    double m_sum = 0;          // sum of squares in the current window
    int64_t m_inWindow = 0;    // frames in the current window
    int64_t m_position = 0;    // frames fed so far
    int64_t m_quietSince = -1; // first frame of the running quiet stretch, or -1
    std::vector<Pause> m_pauses;
};

// The pieces between `pauses` in a source of `totalFrames` frames at
// `sampleRate`, as millisecond proposals numbered from 1. No pieces when the
// source is quiet throughout.
std::vector<Proposal> piecesBetweenPauses(const std::vector<Pause>& pauses, int64_t totalFrames,
                                          int sampleRate, const SilenceSettings& settings);

// Progress in hundredths of a percent (0-10000); returning false stops the
// search.
using ScanProgress = std::function<bool(int progress)>;

struct SilenceResult {
    std::vector<Proposal> pieces;
    bool stopped = false; // Stop came first; `pieces` is empty
};

// Reads the source once, from start to end. Throws audio::AudioError naming
// the file when it cannot be read.
SilenceResult findSilencePieces(const std::string& path, const SilenceSettings& settings,
                                const ScanProgress& progress = {});

} // namespace brisklet::proposals
