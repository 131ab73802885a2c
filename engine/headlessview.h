#pragma once
// A JobView without a display: it keeps what a window would show, for the
// tests, the benchmarks and the command-line front end.

#include "engine/jobview.h"

#include <string>
#include <vector>

namespace brisklet::engine {

struct SourceRowText {
    std::string caption;
    std::string time;
    std::string size;
    bool operator==(const SourceRowText&) const = default;
};

class HeadlessView : public JobView {
public:
    void appendSourceRow(const listrecord& entry) override;
    void setSourceRow(int row, const listrecord& entry) override;
    void removeSourceRow(int row) override;
    void clearSourceRows() override;
    int selectedSourceRow() const override { return m_selectedSource; }
    void selectSourceRow(int row) override;
    void focusSourceList() override { m_sourceListFocused = true; }

    void showSegmentRows(const std::vector<SegmentRow>& rows) override;
    void appendSegmentRow(const SegmentRow& row) override { m_segmentRows.push_back(row); }
    void setSegmentRow(int row, const SegmentRow& content) override;
    void removeSegmentRow(int row) override;
    int selectedSegmentRow() const override { return m_selectedSegment; }
    void selectSegmentRow(int row) override;

    BarValues positionBar() const override { return m_bar; }
    void setPositionBarRange(int max, int pageSize) override;
    void setBarPosition(int position) override;

    void setTimeCaption(const std::string& text) override { m_timeCaption = text; }
    void setTotalTime(const std::string& text) override { m_totalTime = text; }
    void setPathText(const std::string& text) override { m_pathText = text; }
    void setPercentText(const std::string& text) override { m_percentText = text; }
    void setProgressWidth(int pixels) override { m_progressWidth = pixels; }
    void showHint(bool shown) override { m_hintShown = shown; }
    void showJobStopped(const std::string& line) override { m_stoppedLine = line; }
    // Runs the Qt event loop once when there is one, so timers and queued
    // Stop requests of a command-line run are delivered.
    void pumpEvents() override;

    const std::vector<SourceRowText>& sourceRows() const { return m_sourceRows; }
    const std::vector<SegmentRow>& segmentRows() const { return m_segmentRows; }
    const std::string& timeCaption() const { return m_timeCaption; }
    const std::string& totalTime() const { return m_totalTime; }
    const std::string& pathText() const { return m_pathText; }
    const std::string& percentText() const { return m_percentText; }
    int progressWidth() const { return m_progressWidth; }
    bool hintShown() const { return m_hintShown; }
    const std::string& stoppedLine() const { return m_stoppedLine; }
    bool sourceListFocused() const { return m_sourceListFocused; }
    int pumpCount() const { return m_pumpCount; }

private:
    std::vector<SourceRowText> m_sourceRows;
    std::vector<SegmentRow> m_segmentRows;
    int m_selectedSource = -1;
    int m_selectedSegment = -1;
    bool m_sourceListFocused = false;
    BarValues m_bar{100, 0, 0};
    std::string m_timeCaption;
    std::string m_totalTime;
    std::string m_pathText;
    std::string m_percentText;
    int m_progressWidth = 0;
    bool m_hintShown = true;
    std::string m_stoppedLine;
    int m_pumpCount = 0;
};

} // namespace brisklet::engine
