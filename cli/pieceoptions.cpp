#include "cli/pieceoptions.h"

#include "base/units.h"
#include "engine/pieceplan.h"
#include "engine/proposalcommands.h"
#include "engine/proposedsegments.h"

#include <cstdio>
#include <stdexcept>

namespace brisklet::cli {

namespace {

void throwIfRefused(const std::string& message)
{
    if (!message.empty())
        throw std::runtime_error(message);
}

std::string msText(int64_t ms)
{
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03d", static_cast<int>(ms % 1000));
    return timeText(ms / 1000) + millis;
}

void printPiece(int64_t beginMs, int64_t endMs, const std::string& output)
{
    std::printf("%s  %s  %s  %s\n", msText(beginMs).c_str(), msText(endMs).c_str(),
                msText(std::max<int64_t>(0, endMs - beginMs)).c_str(), output.c_str());
}

} // namespace

bool parsePieceOption(const Arguments& args, size_t& i, bool join, PieceOptions& options,
                      std::string& error)
{
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    auto value = [&]() -> std::string {
        if (!hasValue) {
            error = "option " + arg + " needs a value";
            return {};
        }
        return args[++i];
    };
    if (arg == "--silence" || arg.rfind("--silence=", 0) == 0) {
        proposals::SilenceSettings settings =
            options.silence.value_or(proposals::SilenceSettings{});
        // The value is optional: the next argument is taken when it reads as one.
        if (arg != "--silence") {
            if (!proposals::parseSilenceSettings(arg.substr(10), settings))
                error = "--silence needs DB[:SECONDS[:MINPIECE]], not " + arg.substr(10);
        } else if (hasValue && proposals::parseSilenceSettings(args[i + 1], settings)) {
            ++i;
        }
        options.silence = settings;
    } else if (arg == "--trim") {
        options.silence = options.silence.value_or(proposals::SilenceSettings{});
        options.silence->trimToSound = true;
    } else if (arg == "--cue") {
        options.cueSheet = value();
    } else if (arg == "--labels") {
        options.labels = value();
    } else if (arg == "--export-labels") {
        options.exportLabels = value();
    } else if (arg == "--name") {
        options.nameTemplate = value();
        if (error.empty()) {
            if (std::string why = engine::checkNameTemplate(options.nameTemplate); !why.empty())
                error = "--name " + options.nameTemplate + ": " + why;
        }
    } else if (arg == "--track-numbers") {
        options.trackNumbers = true;
    } else if (arg == "--write-cue" && join) {
        options.writeCue = true;
    } else if (arg == "--dry-run") {
        options.dryRun = true;
    } else {
        return false;
    }
    return true;
}

std::string checkPieceOptions(const PieceOptions& options, bool hasSegments)
{
    const int sources = (options.silence ? 1 : 0) + (options.cueSheet.empty() ? 0 : 1) +
                        (options.labels.empty() ? 0 : 1) + (hasSegments ? 1 : 0);
    if (sources > 1)
        return "--segment, --silence, --cue and --labels each set the pieces; give one of them";
    return {};
}

void applyPieceOptions(engine::JobModel& model, const PieceOptions& options)
{
    using engine::ProposalScope;
    engine::MainState& state = model.state();
    if (!options.nameTemplate.empty())
        state.nameTemplate = options.nameTemplate;
    if (options.trackNumbers)
        state.trackNumbers = true;
    if (options.writeCue)
        state.writeCueSheet = true;
    if (options.silence)
        throwIfRefused(engine::proposeFromSilence(model, *options.silence, ProposalScope::Every));
    if (!options.cueSheet.empty())
        throwIfRefused(engine::proposeFromCueSheet(model, options.cueSheet, ProposalScope::Every));
    if (!options.labels.empty())
        throwIfRefused(engine::proposeFromLabels(model, options.labels, ProposalScope::Every));
}

void exportPieceLabels(engine::JobModel& model, const PieceOptions& options)
{
    if (!options.exportLabels.empty())
        throwIfRefused(engine::exportLabels(model, options.exportLabels));
}

void printSplitPlan(const engine::JobModel& model, audio::OutputFormat format)
{
    for (const engine::PlannedPiece& planned : engine::planSplit(model, format))
        printPiece(engine::msOfSegmentTime(planned.of.piece.begin),
                   engine::msOfSegmentTime(planned.of.piece.end), planned.outputPath);
}

void printJoinPlan(const engine::JobModel& model, const std::string& outputPath)
{
    for (const proposals::Proposal& track : engine::joinedTracks(model))
        printPiece(track.beginMs, track.endMs, outputPath);
}

} // namespace brisklet::cli
