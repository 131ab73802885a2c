#pragma once
// The split with several workers: every piece of every source is planned
// first, then handed out in order to workers that encode side by side, each
// with its own reader and writer. Names are claimed in piece order on the
// job's thread, so every output gets the name and bytes a one-worker run gives
// it. The job's thread keeps the window's part: rows, progress of the whole
// job, Stop, tags and checks.

#include "engine/jobrun.h"

#include <string>
#include <vector>

namespace brisklet::engine {

// As runSplit for an encoding split with `parts.options.workers` workers.
std::vector<std::string> runParallelSplit(JobModel& model, JobParts& parts,
                                          audio::OutputFormat outputFormat, Mode mode);

} // namespace brisklet::engine
