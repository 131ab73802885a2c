#pragma once
// The split job: cuts the pieces of every source in the source list, in the
// mode of `FunctionChoice`, each into a file of its own in `OutputDirectory`.
// Runs on the caller's thread and keeps the window alive through the view.

#include "engine/jobrun.h"

#include <string>
#include <vector>

namespace brisklet::engine {

// Runs the split into files of `outputFormat`.
// Does nothing while `converting` is set, for an empty source list or an
// unknown mode. Returns the outputs written, in order. A piece cut short by
// Stop is removed and its row left unconverted; the view is told how many
// pieces were written. An error ends the job cleanly (reader and writer closed,
// `converting` cleared, progress emptied, segment counts given back) and is
// then rethrown for the caller to show once. With more than one worker (and
// a hook to configure theirs) the pieces are encoded side by side.
std::vector<std::string> runSplit(JobModel& model, JobParts& parts,
                                  audio::OutputFormat outputFormat);

} // namespace brisklet::engine
