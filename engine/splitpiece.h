#pragma once
// What the split does with a piece once its output is written, on one worker
// or many: the tags, the note of a piece not copied and the check of the
// output, summed up in the row's status.

#include "engine/jobrun.h"
#include "engine/pieceplan.h"

#include <cstdint>
#include <string>

namespace brisklet::engine {

// Why a piece came out short: the source ended inside it, so it has changed
// since it was added (or is damaged there).
std::string endedEarlyMessage(const std::string& path, int64_t written, int64_t length);

// Carries the tags into the finished output at `path` and tells of `note`
// and of a failed check; returns the row's status ("Finish" when all went
// as asked). `start` and `length` are the piece's frames of its source.
std::string finishWrittenPiece(JobModel& model, JobParts& parts, const PieceOfSource& of,
                               const std::string& path, int64_t start, int64_t length, bool copied,
                               const std::string& note);

} // namespace brisklet::engine
