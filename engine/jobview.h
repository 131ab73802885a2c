#pragma once
// What the job model and the split and join jobs need from the window: the
// two lists, the position bar and the skin's displays, and a way to keep the
// window alive during long work. The main window implements it with its
// widgets; HeadlessView implements it for tests, benchmarks and the CLI.

#include "engine/listrecord.h"
#include "engine/segments.h"

#include <string>
#include <vector>

namespace brisklet::engine {

// The position bar "pb": Max, PageSize and the thumb's position.
struct BarValues {
    int max = 0;
    int pageSize = 0;
    int position = 0;
    // The positions that map onto a file: Max - PageSize.
    int usableRange() const { return max - pageSize; }
};

class JobView {
public:
    virtual ~JobView() = default;

    // Source list "lv": one row per entry, showing its caption, time and size
    // texts. Removing the selected row leaves no row selected.
    virtual void appendSourceRow(const listrecord& entry) = 0;
    virtual void setSourceRow(int row, const listrecord& entry) = 0;
    virtual void removeSourceRow(int row) = 0;
    virtual void clearSourceRows() = 0;
    virtual int selectedSourceRow() const = 0; // -1 when none
    virtual void selectSourceRow(int row) = 0; // -1 selects none
    virtual void focusSourceList() = 0;

    // Segment list "lv_time": row i shows segment i.
    virtual void showSegmentRows(const std::vector<SegmentRow>& rows) = 0; // replaces all rows
    virtual void appendSegmentRow(const SegmentRow& row) = 0;
    virtual void setSegmentRow(int row, const SegmentRow& content) = 0;
    virtual void removeSegmentRow(int row) = 0;
    virtual int selectedSegmentRow() const = 0; // -1 when none
    virtual void selectSegmentRow(int row) = 0;

    // Position bar "pb". Positions run from 0 to the usable range.
    virtual BarValues positionBar() const = 0;
    virtual void setPositionBarRange(int max, int pageSize) = 0;
    virtual void setBarPosition(int position) = 0;

    virtual void setTimeCaption(const std::string& text) = 0; // "timecaption"
    virtual void setTotalTime(const std::string& text) = 0;   // "tataltime"
    virtual void setPathText(const std::string& text) = 0;    // "nm"
    virtual void setPercentText(const std::string& text) = 0; // "pbpos"
    // "convertpb": its right edge moves to its set-up left edge + `pixels`.
    virtual void setProgressWidth(int pixels) = 0;
    // The hint text over the lists, shown while the source list is empty.
    virtual void showHint(bool shown) = 0;

    // After a job that Stop ended: one line saying so and what was written.
    virtual void showJobStopped(const std::string& line) = 0;

    // Processes pending window events, so commands (Stop) arrive mid-job.
    virtual void pumpEvents() = 0;
};

} // namespace brisklet::engine
