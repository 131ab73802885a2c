#pragma once
// The job model: the source list with its tag records, the segment rows, the
// window-wide state, and every source-list and segment-list operation on them.
// It shows its changes through a JobView and returns the messages the user must
// see instead of showing them. One instance, owned by the main window (or the
// command-line front end).

#include "audio/audiofile.h"
#include "engine/jobview.h"
#include "engine/mainstate.h"
#include "engine/namereservation.h"
#include "engine/segmentedit.h"
#include "engine/segments.h"
#include "engine/sourcelist.h"

#include <string>
#include <vector>

namespace brisklet::engine {

class JobModel {
public:
    // `reader` is the source reader `AudioFileRead`; both outlive the model.
    JobModel(JobView& view, audio::IAudioFile2& reader);

    MainState& state() { return m_state; }
    const MainState& state() const { return m_state; }
    SourceList& sources() { return m_sources; }
    const SourceList& sources() const { return m_sources; }
    const std::vector<SegmentRow>& segmentRows() const { return m_rows; }
    JobView& view() { return m_view; }
    audio::IAudioFile2& reader() { return m_reader; }

    // --- source list ---

    // Probes one file and appends its row, entry and tag record. Returns the
    // refusal message (the file name + the reason: the file system's when the
    // file cannot be opened at all) when it is refused; for a file added
    // without its too large cover picture, why; else "".
    std::string addSource(const std::string& path, AddOrigin origin);
    // After the last file of an add: selects row 0 when nothing is selected and
    // runs the selection handling.
    void finishAdding();
    // Runs after a click in the source list and after the list operations.
    void selectionChanged();
    void removeSelectedSource();
    void moveSelectedUp();
    void moveSelectedDown();
    void clearSources();

    // --- segment list ---

    // Rebuilds the segment rows of the selected source for the current mode.
    void buildSegmentList();
    void refreshTotalTime();
    // "Begin" / "End": the bar position becomes the open segment's begin / end.
    // Each returns the message to show, or "".
    std::string takeBegin();
    std::string takeEnd();
    // "Ok": commits the open segment and opens a new one over the whole file.
    std::string commitSegment();
    std::string removeSelectedSegment();
    void resetSegments();
    // A click or double click in the segment list.
    void segmentListClicked();

    // --- segment editor ---

    // The segments of the entry the segment list edits, for the editor; false
    // with the message to show (or none) when there is nothing to edit.
    bool editSegments(SegmentEdit& edit, std::string& refusal);
    // Writes the editor's segments back into that entry and shows them.
    // Returns the message to show (a committed segment that ends before it
    // begins), or "".
    std::string applySegmentEdit(const SegmentEdit& edit);

    // For the jobs: one row's status, and removing a row (the trim).
    void setSegmentStatus(int row, const std::string& status);
    void removeSegmentRow(int row);
    void clearSegmentRows();
    void appendSegmentRow(const SegmentRow& row);

    // Stop: clears `converting` and empties the progress bar; a running job
    // notices at its next check.
    void stopJob();

    // The column width of the source list for its current row count.
    int sourceColumnWidth() const { return m_sources.count() <= 12 ? 120 : 113; }

    // The join output's name, claimed when the save dialog gives it and held
    // until the join that writes it ends.
    NameReservation& joinOutputClaim() { return m_joinOutputClaim; }

private:
    // The entry whose segments the segment list edits: entry 0 in
    // Unification, else the selected one. Null without a selected source.
    listrecord* editedEntry();
    // The milliseconds the bar maps onto: entry 0's whole seconds in Unification.
    int64_t barDuration() const;
    bool openSegment(listrecord*& entry, size_t& open, std::string& refusal);
    std::string takeBarTime(bool begin);
    void showTimeAt(int position);

    JobView& m_view;
    audio::IAudioFile2& m_reader;
    MainState m_state;
    SourceList m_sources;
    std::vector<SegmentRow> m_rows;
    NameReservation m_joinOutputClaim;
};

} // namespace brisklet::engine
