#pragma once
// The split and join options for pieces found for the user (--silence, --cue,
// --labels), their names (--name) and numbers (--track-numbers), the label
// export, the join's cue sheet (--write-cue) and --dry-run.

#include "audio/outputformat.h"
#include "cli/commands.h"
#include "engine/jobmodel.h"
#include "proposals/silence.h"

#include <optional>
#include <string>

namespace brisklet::cli {

struct PieceOptions {
    std::optional<proposals::SilenceSettings> silence;
    std::string cueSheet;     // --cue FILE
    std::string labels;       // --labels FILE
    std::string exportLabels; // --export-labels FILE
    std::string nameTemplate; // --name TEMPLATE; empty: the settings file's
    bool trackNumbers = false;
    bool writeCue = false; // join only
    bool dryRun = false;
};

// Takes the option at args[i] (and its value, moving i past it) when it is one
// of these; returns false for any other. `error` gets a usage error.
bool parsePieceOption(const Arguments& args, size_t& i, bool join, PieceOptions& options,
                      std::string& error);

// The usage error for options that do not go together, or "".
std::string checkPieceOptions(const PieceOptions& options, bool hasSegments);

// Fills the segment lists of every source from the pauses, cue sheet or label
// file, then sets names and numbers. Throws std::runtime_error with the
// message (the file and the line) on bad input.
void applyPieceOptions(engine::JobModel& model, const PieceOptions& options);

// --export-labels after the segments are set: the first source's segments.
void exportPieceLabels(engine::JobModel& model, const PieceOptions& options);

// Prints the pieces a split would cut (start, end, length, output name).
void printSplitPlan(const engine::JobModel& model, audio::OutputFormat format);

// Prints the pieces a join would take (start, end, length in the output) and
// the output's name.
void printJoinPlan(const engine::JobModel& model, const std::string& outputPath);

} // namespace brisklet::cli
