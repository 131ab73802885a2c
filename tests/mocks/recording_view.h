#pragma once
// Test doubles for the jobs' surroundings: a view that records what a job
// shows (statuses, percentages, bar widths, pumps) and can act at a given pump,
// and save dialog answers for the join.

#include "engine/headlessview.h"
#include "engine/joinjob.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brisklet::test {

class RecordingView : public engine::HeadlessView {
public:
    // Called on every pump with its number (1, 2, ...): lets a test press Stop
    // in the middle of a job.
    std::function<void(int pump)> onPump;

    std::vector<std::string> statuses;     // "<row> <status>" in the order set
    std::vector<std::string> percentTexts; // every label text, "" included
    std::vector<int> progressWidths;
    std::vector<int> selectedSources;

    void setSegmentRow(int row, const engine::SegmentRow& content) override
    {
        statuses.push_back(std::to_string(row) + " " + content.status);
        HeadlessView::setSegmentRow(row, content);
    }
    void setPercentText(const std::string& text) override
    {
        percentTexts.push_back(text);
        HeadlessView::setPercentText(text);
    }
    void setProgressWidth(int pixels) override
    {
        progressWidths.push_back(pixels);
        HeadlessView::setProgressWidth(pixels);
    }
    void selectSourceRow(int row) override
    {
        selectedSources.push_back(row);
        HeadlessView::selectSourceRow(row);
    }
    void pumpEvents() override
    {
        HeadlessView::pumpEvents();
        if (onPump)
            onPump(pumpCount());
    }
};

class RecordingDialogs : public engine::JoinDialogs {
public:
    std::optional<engine::SaveChoice> answer;
    bool replaceAnswer = false;

    std::vector<std::string> askedFolders;
    std::vector<audio::OutputFormat> askedFilters;
    std::vector<std::string> replaceQuestions;
    std::vector<std::string> openedFolders;

    std::optional<engine::SaveChoice> askOutputName(const std::string& folder,
                                                    audio::OutputFormat format) override
    {
        askedFolders.push_back(folder);
        askedFilters.push_back(format);
        return answer;
    }
    bool confirmReplace(const std::string& path) override
    {
        replaceQuestions.push_back(path);
        return replaceAnswer;
    }
    void openFolder(const std::string& folder) override { openedFolders.push_back(folder); }
};

} // namespace brisklet::test
