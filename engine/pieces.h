#pragma once
// How each way of cutting turns a source into pieces: the one place the segment
// list, the total time, the split and the join learn what a mode takes from a
// source.

#include "engine/listrecord.h"
#include "engine/mainstate.h"

#include <cstdint>
#include <vector>

namespace brisklet::engine {

// One piece of a source, in seconds from the source's start. `end` may lie
// before `begin` in a hand-edited segment; such a piece is empty.
struct Piece {
    int64_t begin = 0;
    int64_t end = 0;

    bool operator==(const Piece&) const = default;
};

// The segments of `entry` that a job takes: its only one, or all but the open
// (last) one.
int32_t countedSegments(const listrecord& entry);

// The pieces source `entry` gives in `mode`; `shared` is the entry whose
// segments Unification applies to every source (entry 0). By time: pieces of
// the split length up to the end, the last one cut there; by count: the count
// of equal pieces, the remainder dropped; Custom: the entry's counted segments;
// Unification: the shared counted segments cut at the source's end, up to the
// first that begins after it.
std::vector<Piece> piecesOf(Mode mode, const listrecord& entry, const listrecord& shared,
                            const MainState& state);

// True for the modes a join takes every source whole in (by time, by count).
bool joinsWholeSources(Mode mode);

} // namespace brisklet::engine
