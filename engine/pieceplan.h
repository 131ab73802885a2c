#pragma once
// What a split names and tags each piece by: the output name from the name
// template, the tag record with the piece's own title, performer and number;
// and the pieces a split would cut, named, without cutting them (dry run).

#include "audio/outputformat.h"
#include "engine/jobmodel.h"
#include "engine/nametemplate.h"
#include "engine/pieces.h"
#include "proposals/proposal.h"
#include "tags/tagrecords.h"

#include <string>
#include <vector>

namespace brisklet::engine {

// One piece of source `source` as the split sees it: the k-th (0-based) of
// `count` pieces.
struct PieceOfSource {
    int source = 0;
    int k = 0;
    int count = 1;
    Piece piece;
};

// The proposal behind piece k of `entry` (in Unification, of the shared
// entry 0), or null for a piece no proposal gave.
const SegmentInfo* pieceInfo(const JobModel& model, const PieceOfSource& p);

// The output path of a piece in `OutputDirectory` by the state's name template.
std::string pieceOutputPathFor(const JobModel& model, const PieceOfSource& p,
                               const std::string& extension, const PathExists& exists = pathExists);

// The source's tag record as the piece carries it: the proposal's title,
// performer and album in place of the source's, and "k/count" as the track
// when track numbers are on.
tags::AudioFileinfo pieceTagRecord(const JobModel& model, const PieceOfSource& p);

struct PlannedPiece {
    PieceOfSource of;
    std::string outputPath;
};

// The pieces a split in the current mode would cut now, in order, with the
// names they would get (counting the names given before them as taken).
// Nothing for an unknown mode.
std::vector<PlannedPiece> planSplit(const JobModel& model, audio::OutputFormat format);

// The pieces a join takes, one per track, placed end to end as the joined
// output holds them, titled by their proposals or else by their sources'
// tags (title, else caption).
std::vector<proposals::Proposal> joinedTracks(const JobModel& model);

} // namespace brisklet::engine
