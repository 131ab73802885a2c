#pragma once
// The commands that fill segment lists with proposed pieces: from the pauses
// of a source, from a cue sheet, from a label file; and the export of a
// source's segments as a label file. They act on the entry the segment list
// edits (entry 0 in Unification), or on every entry, and refuse in modes by
// time and by count as "Begin" does. Each returns the message to show, or "".

#include "engine/jobmodel.h"
#include "proposals/silence.h"

#include <string>

namespace brisklet::engine {

enum class ProposalScope { Selected, Every };

// Reads each source once to find its pauses. Runs like a job: `converting` is
// set, the percentage label and the bar show progress and the window stays
// alive; Stop ends it, and the sources done by then keep their proposals.
std::string proposeFromSilence(JobModel& model, const proposals::SilenceSettings& settings,
                               ProposalScope scope);

// The tracks of `cuePath`; with an empty path, the cue sheet beside each
// source ("album.cue" beside "album.mp3").
std::string proposeFromCueSheet(JobModel& model, const std::string& cuePath, ProposalScope scope);

std::string proposeFromLabels(JobModel& model, const std::string& labelPath, ProposalScope scope);

// The committed segments of the edited entry, with their titles.
std::string exportLabels(JobModel& model, const std::string& labelPath);

// After a join into `outputPath`: a cue sheet beside it ("mix.cue" beside
// "mix.mp3", or "mix_2.cue" and on when that exists; nothing is replaced)
// with one track per joined piece. Returns its path. Throws
// proposals::ProposalError naming the file when it cannot be written.
std::string writeJoinCueSheet(const JobModel& model, const std::string& outputPath);

} // namespace brisklet::engine
