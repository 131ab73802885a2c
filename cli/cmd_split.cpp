// brisklet-cli split: the split job of the window, driven headless. Prints
// each output on stdout as soon as it is complete; ends with status 1 when any
// source was refused, after the pieces of the others are written.
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/jobcommand.h"
#include "engine/splitjob.h"

#include <exception>

namespace brisklet::cli {

int runSplit(const Arguments& args)
{
    JobOptions options;
    if (std::string error = parseJobOptions(args, false, options); !error.empty())
        return usageError(error);
    try {
        CliJob job(options);
        if (job.empty())
            return fail("no source could be read");
        installStopOnInterrupt();
        applyPieceOptions(job.model(), options.pieces);
        if (job.stopped())
            return kInterrupted;
        exportPieceLabels(job.model(), options.pieces);
        if (options.pieces.dryRun) {
            printSplitPlan(job.model(), options.format);
            return 0;
        }
        engine::runSplit(job.model(), job.parts(), options.format);
        const int failed = job.failures() > 0 ? 1 : 0;
        return refusalSummary(job.refusedCount(), job.sourceCount(),
                              job.stopped() ? kInterrupted : failed);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}

} // namespace brisklet::cli
