#include "engine/proposalcommands.h"

#include "audio/decoder.h"
#include "engine/outputnaming.h"
#include "engine/pieceplan.h"
#include "engine/progress.h"
#include "engine/proposedsegments.h"
#include "proposals/cuesheet.h"
#include "proposals/labelfile.h"

#include <exception>
#include <filesystem>
#include <functional>
#include <optional>

namespace brisklet::engine {

namespace {

// The entries a command acts on, or nothing (with the refusal in `message`).
std::optional<std::vector<int>> targets(JobModel& model, ProposalScope scope, std::string& message)
{
    const MainState& state = model.state();
    if (state.converting || model.sources().empty())
        return std::nullopt;
    if (!state.segmentsEditable()) {
        message = onlyCustomMessage;
        return std::nullopt;
    }
    if (state.mode() == Mode::Unification)
        return std::vector<int>{0};
    if (scope == ProposalScope::Selected) {
        const int row = model.view().selectedSourceRow();
        if (!model.sources().contains(row))
            return std::nullopt;
        return std::vector<int>{row};
    }
    std::vector<int> all;
    for (int i = 0; i < model.sources().count(); ++i)
        all.push_back(i);
    return all;
}

int64_t durationMsOf(const std::string& path)
{
    std::unique_ptr<audio::Decoder> decoder = audio::openDecoder(path);
    return decoder->totalFrames() * 1000 / std::max(1, decoder->sampleRate());
}

// Proposes into each target the pieces `find` gives for its entry; the first
// error ends the command and is the message.
std::string proposeEach(
    JobModel& model, const std::vector<int>& entries,
    const std::function<std::vector<proposals::Proposal>(listrecord&, std::string& album)>& find)
{
    std::string message;
    try {
        for (int i : entries) {
            listrecord& entry = model.sources().entries()[i];
            std::string album;
            std::vector<proposals::Proposal> pieces = find(entry, album);
            if (pieces.empty() && !model.state().converting)
                break; // stopped
            if (!pieces.empty())
                proposeSegments(entry, pieces, album);
        }
    } catch (const std::exception& error) {
        message = error.what();
    }
    model.buildSegmentList();
    model.refreshTotalTime();
    return message;
}

} // namespace

std::string proposeFromSilence(JobModel& model, const proposals::SilenceSettings& settings,
                               ProposalScope scope)
{
    std::string refusal;
    const std::optional<std::vector<int>> entries = targets(model, scope, refusal);
    if (!entries)
        return refusal;
    MainState& state = model.state();
    JobView& view = model.view();
    state.converting = true;
    const int count = static_cast<int>(entries->size());
    int done = 0;
    auto progress = [&](int q) {
        const int overall = (done * 10000 + q) / count;
        view.setPercentText(percentText(overall));
        if (std::optional<int> pixels = progressBarPixels(overall, state.skinFlag))
            view.setProgressWidth(*pixels);
        view.pumpEvents();
        return state.converting;
    };
    std::string message = proposeEach(model, *entries, [&](listrecord& entry, std::string&) {
        proposals::SilenceResult result =
            proposals::findSilencePieces(entry.path, settings, progress);
        ++done;
        if (!result.stopped && result.pieces.empty())
            throw proposals::ProposalError(entry.path + ": no sound above the threshold");
        return result.pieces;
    });
    state.converting = false;
    view.setPercentText({});
    view.setProgressWidth(0);
    return message;
}

std::string proposeFromCueSheet(JobModel& model, const std::string& cuePath, ProposalScope scope)
{
    std::string refusal;
    const std::optional<std::vector<int>> entries = targets(model, scope, refusal);
    if (!entries)
        return refusal;
    return proposeEach(model, *entries, [&](listrecord& entry, std::string& album) {
        std::string path = cuePath.empty() ? proposals::cueSheetBeside(entry.path) : cuePath;
        if (path.empty())
            throw proposals::ProposalError(entry.path + ": no cue sheet beside it");
        const proposals::CueSheet sheet = proposals::readCueSheet(path);
        album = sheet.title;
        return proposals::cuePieces(sheet, entry.path, durationMsOf(entry.path));
    });
}

std::string proposeFromLabels(JobModel& model, const std::string& labelPath, ProposalScope scope)
{
    std::string refusal;
    const std::optional<std::vector<int>> entries = targets(model, scope, refusal);
    if (!entries)
        return refusal;
    return proposeEach(model, *entries, [&](listrecord& entry, std::string&) {
        return proposals::labelPieces(proposals::readLabelFile(labelPath), labelPath,
                                      durationMsOf(entry.path));
    });
}

std::string exportLabels(JobModel& model, const std::string& labelPath)
{
    std::string message;
    const std::optional<std::vector<int>> entries =
        targets(model, ProposalScope::Selected, message);
    if (!entries)
        return message;
    try {
        proposals::writeLabelFile(labelPath,
                                  committedPieces(model.sources().entries()[entries->front()]));
    } catch (const std::exception& error) {
        message = error.what();
    }
    return message;
}

std::string writeJoinCueSheet(const JobModel& model, const std::string& outputPath)
{
    const std::filesystem::path output(outputPath);
    const std::string stem = output.stem().string();
    std::string cuePath = std::filesystem::path(output).replace_extension(".cue").string();
    for (int n = 2; pathExists(cuePath); ++n)
        cuePath =
            pathInFolder(output.parent_path().string(), stem + "_" + std::to_string(n) + ".cue");
    proposals::writeCueSheet(cuePath, outputPath, stem, joinedTracks(model));
    return cuePath;
}

} // namespace brisklet::engine
