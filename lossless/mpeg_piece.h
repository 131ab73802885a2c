#pragma once
// An MP3 piece made of the source's own frames. The copy starts early enough
// that the first frame whose output is kept decodes exactly (the granule
// before it and the bit reservoir it draws on are copied too), and a new
// Xing/Info frame with a LAME tag tells a gapless decoder how much to drop at
// each end, so that it outputs exactly the piece.

#include "base/output_file.h"
#include "lossless/mpeg_stream.h"

#include <cstdint>
#include <string>

namespace brisklet::lossless {

struct MpegPiecePlan {
    int64_t firstFrame = 0; // source frames [firstFrame, endFrame) are copied
    int64_t endFrame = 0;
    bool selfContained = false;  // the first copied frame carries its reservoir itself
    bool leadingSilence = false; // a silent frame goes first (a piece at the very start)
    int delay = 0;               // the LAME tag's encoder delay and padding
    int padding = 0;
    std::string refusal; // why the piece cannot be copied; empty when it can
};

// Plans the piece of reader frames [start, end) (the positions the gapless
// reader gives, so a source's own delay is already taken off).
MpegPiecePlan planMpegPiece(MpegStream& stream, int64_t start, int64_t end);

// Writes a planned piece (refusal empty) into `out`, from its current end.
void writeMpegPiece(MpegStream& stream, const MpegPiecePlan& plan, base::OutputFile& out);

} // namespace brisklet::lossless
