#include "engine/pieces.h"

#include <algorithm>

namespace brisklet::engine {

int32_t countedSegments(const listrecord& entry)
{
    return entry.segmentCount == 1 ? 1 : std::max(0, entry.segmentCount - 1);
}

namespace {

// Pieces of `length` milliseconds from 0, `count` of them, none past `duration`.
std::vector<Piece> evenPieces(int64_t count, int64_t length, int64_t duration)
{
    std::vector<Piece> pieces;
    for (int64_t k = 0; k < count; ++k)
        pieces.push_back({k * length, std::min((k + 1) * length, duration)});
    return pieces;
}

} // namespace

std::vector<Piece> piecesOf(Mode mode, const listrecord& entry, const listrecord& shared,
                            const MainState& state)
{
    // By time and by count keep to the source's whole seconds.
    const int64_t d = entry.wholeMs();
    std::vector<Piece> pieces;
    switch (mode) {
    case Mode::Custom:
        for (int32_t k = 0; k < countedSegments(entry); ++k)
            pieces.push_back({entry.begins.at(k), entry.ends.at(k)});
        break;
    case Mode::ByTime: {
        const int64_t length = std::max<int64_t>(1, state.splitMs);
        return evenPieces(d / length + 1, length, d);
    }
    case Mode::ByCount: {
        const int64_t count = std::max(1, state.splitCount);
        return evenPieces(count, entry.durationSeconds / count * 1000, d);
    }
    case Mode::Unification:
        for (int32_t k = 0; k < countedSegments(shared); ++k) {
            // A shared segment that starts after this source's end has nothing
            // in it, and neither have the later ones.
            if (shared.begins.at(k) > d)
                break;
            pieces.push_back({shared.begins.at(k), std::min(shared.ends.at(k), d)});
        }
        break;
    }
    return pieces;
}

bool joinsWholeSources(Mode mode)
{
    return mode == Mode::ByTime || mode == Mode::ByCount;
}

} // namespace brisklet::engine
