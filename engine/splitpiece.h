#pragma once
// What the split does with a piece once its output is written, on one worker
// or many: the tags, the note of a piece not copied and the check of the
// output, summed up in the row's status.

#include "engine/jobrun.h"
#include "engine/pieceplan.h"

#include <cstdint>
#include <string>

namespace brisklet::engine {

// Carries the tags into the finished output at `path` and tells of `note`
// and of a failed check; returns the row's status ("Finish" when all went
// as asked). `start` and `length` are the piece's frames of its source.
std::string finishWrittenPiece(JobModel& model, JobParts& parts, const PieceOfSource& of,
                               const std::string& path, int64_t start, int64_t length, bool copied,
                               const std::string& note);

} // namespace brisklet::engine
