// brisklet-cli join: the join job of the window, driven headless. The output
// is NAME with the format's extension appended (a relative NAME in --out DIR
// when given); an existing file is never replaced.
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/jobcommand.h"
#include "engine/joinjob.h"
#include "engine/proposalcommands.h"

#include <cstdio>
#include <exception>

namespace brisklet::cli {

namespace {

// The save dialog answered from the command line; nobody is there to say yes
// to replacing a file.
class CliDialogs : public engine::JoinDialogs {
public:
    CliDialogs(std::string name, audio::OutputFormat format)
        : m_name(std::move(name)), m_format(format)
    {
    }

    std::optional<engine::SaveChoice> askOutputName(const std::string&,
                                                    audio::OutputFormat) override
    {
        return engine::SaveChoice{m_name, m_format};
    }
    bool confirmReplace(const std::string& path) override
    {
        m_refused = path;
        return false;
    }
    void openFolder(const std::string&) override {}

    const std::string& refused() const { return m_refused; }

private:
    std::string m_name;
    audio::OutputFormat m_format;
    std::string m_refused;
};

} // namespace

int runJoin(const Arguments& args)
{
    JobOptions options;
    if (std::string error = parseJobOptions(args, true, options); !error.empty())
        return usageError(error);
    try {
        CliJob job(options);
        if (job.empty())
            return fail("no source could be read");
        CliDialogs dialogs(options.output, options.format);
        installStopOnInterrupt();
        applyPieceOptions(job.model(), options.pieces);
        if (job.stopped())
            return kInterrupted;
        exportPieceLabels(job.model(), options.pieces);
        if (options.pieces.dryRun) {
            printJoinPlan(job.model(),
                          engine::SaveChoice{options.output, options.format}.outputPath());
            return 0;
        }
        audio::OutputFormat format = options.format;
        std::string output = engine::runJoin(job.model(), job.parts(), dialogs, format);
        if (!dialogs.refused().empty())
            return fail(dialogs.refused() + " exists already; it was not replaced");
        if (!output.empty())
            std::printf("%s\n", output.c_str());
        if (job.model().state().writeCueSheet && !output.empty() && !job.stopped())
            std::printf("%s\n", engine::writeJoinCueSheet(job.model(), output).c_str());
        const int failed = job.failures() > 0 ? 1 : 0;
        return refusalSummary(job.refusedCount(), job.sourceCount(),
                              job.stopped() ? kInterrupted : failed);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}

} // namespace brisklet::cli
