#include "engine/splitpiece.h"

#include "lossless/piece_copier.h"

namespace brisklet::engine {

namespace {

// A status that begins with it marks an output that did not pass its check.
const std::string checkFailedStatus = "Check failed";

} // namespace

std::string finishWrittenPiece(JobModel& model, JobParts& parts, const PieceOfSource& of,
                               const std::string& path, int64_t start, int64_t length, bool copied,
                               const std::string& note)
{
    const tags::AudioFileinfo record = pieceTagRecord(model, of);
    if (parts.carryTags)
        parts.carryTags(path, record);
    std::string status = segmentstatus::Finish;
    if (!note.empty()) {
        status += " (" + note + ")";
        if (parts.notePiece)
            parts.notePiece(path, note, false);
    }
    if (parts.options.verify) {
        const std::string& source = model.sources().entries().at(of.source).path;
        const std::string problem =
            lossless::checkOutput(path, length, copied ? source : std::string(), start);
        if (!problem.empty()) {
            status = checkFailedStatus + ": " + problem;
            if (parts.notePiece)
                parts.notePiece(path, problem, true);
        }
    }
    return status;
}

} // namespace brisklet::engine
