#include "engine/jobmodel.h"

#include "base/units.h"

#include <cerrno>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace brisklet::engine {

namespace {

// Why the file system keeps a file from being read at all ("No such file or
// directory", "is a folder"), or "" when it can be opened.
std::string unreadableReason(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error)
        return error.message();
    if (std::filesystem::is_directory(status))
        return "is a folder";
    // Opening a FIFO would wait for a writer.
    if (!std::filesystem::is_regular_file(status))
        return "is not a regular file";
    std::ifstream probe(path, std::ios::binary);
    if (!probe)
        return std::error_code(errno ? errno : EACCES, std::generic_category()).message();
    return {};
}

} // namespace

JobModel::JobModel(JobView& view, audio::IAudioFile2& reader) : m_view(view), m_reader(reader)
{
}

// --- source list ---

std::string JobModel::addSource(const std::string& path, AddOrigin origin)
{
    std::string name = std::filesystem::path(path).filename().string();
    if (name.empty())
        name = path; // "music/": the folder's own name is the path
    try {
        // The audio decides whether the file is taken; its tags only fill the
        // record, which stays empty when they cannot be read.
        listrecord entry = probeEntry(m_reader, path, origin);
        SourceTags tagsRead;
        try {
            tagsRead = readSourceTags(path, origin);
        } catch (const std::exception&) {
        }
        entry.caption = captionFor(path, tagsRead.titles, origin);
        // Only the dialog refuses sources shorter than a second; a folder add
        // takes them with a duration of 0.
        if (origin == AddOrigin::Dialog && entry.durationSeconds == 0)
            return name + tooShortMessage;
        m_sources.append(entry, std::move(tagsRead.record));
        m_view.appendSourceRow(entry);
        return tagsRead.pictureRefused; // the file is added all the same

    } catch (const std::exception&) {
        // Close the reader so that the next file opens on a clean object. The
        // component's active flag is cycled as its callers always do; nothing
        // in this program reads it.
        try {
            if (m_reader.IsOpen())
                m_reader.Close();
            m_reader.SetActive(false);
            m_reader.SetActive(true);
        } catch (const std::exception&) {
        }
        // A file that cannot be opened at all is not a format question.
        if (std::string reason = unreadableReason(path); !reason.empty())
            return name + ": " + reason;
        return name + notSupportedMessage;
    }
}

void JobModel::finishAdding()
{
    if (!m_sources.empty() && m_view.selectedSourceRow() < 0)
        m_view.selectSourceRow(0);
    selectionChanged();
    m_view.focusSourceList();
    if (m_view.selectedSourceRow() >= 0)
        m_state.selectedFileIndex = m_view.selectedSourceRow();
    refreshTotalTime();
}

void JobModel::selectionChanged()
{
    m_state.segmentListFocused = false;
    if (m_sources.empty())
        return;
    int last = m_sources.count() - 1;
    if (m_state.selectedFileIndex > last)
        m_state.selectedFileIndex = last;
    if (m_state.selectedFileIndex < 0)
        m_state.selectedFileIndex = 0;
    // During a job or a preview a click cannot move the selection.
    if (m_state.converting) {
        m_view.selectSourceRow(m_state.selectedFileIndex);
        return;
    }
    if (m_state.previewPlaying) {
        if (m_sources.contains(m_state.previewFileIndex))
            m_view.selectSourceRow(m_state.previewFileIndex);
        return;
    }
    if (m_view.selectedSourceRow() < 0)
        m_view.selectSourceRow(m_state.selectedFileIndex);
    m_state.selectedFileIndex = m_view.selectedSourceRow();
    const listrecord& entry = m_sources.entries()[m_state.selectedFileIndex];
    m_view.setPositionBarRange(entry.barMax, pageSizeFor(entry.barMax));
    buildSegmentList();
    m_view.setPathText(entry.path);
    m_view.showHint(false);
}

void JobModel::removeSelectedSource()
{
    int row = m_view.selectedSourceRow();
    if (!m_sources.contains(row))
        return;
    m_sources.remove(row);
    m_view.removeSourceRow(row);
    if (m_sources.empty()) {
        clearSegmentRows();
        m_view.setPathText({});
        m_view.showHint(true); // the hint stands in for an empty list, however it emptied
    } else {
        // Removing the last or the second-to-last row selects row 0.
        if (m_state.selectedFileIndex < 0 || m_state.selectedFileIndex >= m_sources.count() - 1)
            m_state.selectedFileIndex = 0;
        m_view.selectSourceRow(m_state.selectedFileIndex);
        selectionChanged();
    }
    refreshTotalTime();
}

void JobModel::moveSelectedUp()
{
    int row = m_view.selectedSourceRow();
    if (m_state.converting || row < 1 || !m_sources.contains(row))
        return;
    if (m_state.previewFileIndex == row)
        m_state.previewFileIndex = row - 1;
    m_sources.swap(row, row - 1);
    m_view.setSourceRow(row, m_sources.entries()[row]);
    m_view.setSourceRow(row - 1, m_sources.entries()[row - 1]);
    m_view.selectSourceRow(row - 1);
    // The segment list is not rebuilt: it still shows the moved file.
    m_state.selectedFileIndex = row - 1;
    m_view.focusSourceList();
}

void JobModel::moveSelectedDown()
{
    int row = m_view.selectedSourceRow();
    if (m_state.converting || row < 0 || !m_sources.contains(row + 1))
        return;
    if (m_state.previewFileIndex == row)
        m_state.previewFileIndex = row + 1;
    m_sources.swap(row, row + 1);
    m_view.setSourceRow(row, m_sources.entries()[row]);
    m_view.setSourceRow(row + 1, m_sources.entries()[row + 1]);
    m_view.selectSourceRow(row + 1);
    m_state.selectedFileIndex = row + 1;
    m_view.focusSourceList();
}

void JobModel::clearSources()
{
    m_sources.clear();
    m_view.clearSourceRows();
    clearSegmentRows();
    m_view.setPathText({});
    m_view.showHint(true);
    refreshTotalTime();
}

// --- segment list ---

listrecord* JobModel::editedEntry()
{
    int row = m_view.selectedSourceRow();
    if (!m_sources.contains(row))
        return nullptr;
    if (m_state.mode() == Mode::Unification)
        return &m_sources.entries().front();
    return &m_sources.entries()[row];
}

int64_t JobModel::barDuration() const
{
    int row = m_view.selectedSourceRow();
    if (!m_sources.contains(row))
        return 0;
    if (m_state.mode() == Mode::Unification)
        return m_sources.entries().front().wholeMs();
    return m_sources.entries()[row].wholeMs();
}

void JobModel::showTimeAt(int position)
{
    m_view.setTimeCaption(
        timeTextMs(timeAtBar(position, barDuration(), m_view.positionBar().usableRange())));
}

void JobModel::buildSegmentList()
{
    clearSegmentRows();
    int row = m_view.selectedSourceRow();
    if (!m_sources.contains(row))
        return;
    showTimeAt(m_state.barPosition);
    m_rows = buildSegmentRows(m_sources.entries(), row, m_state);
    m_view.showSegmentRows(m_rows);
}

void JobModel::refreshTotalTime()
{
    m_view.setTotalTime(timeTextMs(totalMs(m_sources.entries(), m_state)));
}

// The segment being edited (the last row) of the entry on show. False, with
// the message to give (or none), when there is nothing to edit.
bool JobModel::openSegment(listrecord*& entry, size_t& open, std::string& refusal)
{
    entry = editedEntry();
    if (!entry)
        return false;
    if (!m_state.segmentsEditable()) {
        refusal = onlyCustomMessage;
        return false;
    }
    if (m_rows.empty() || m_rows.size() - 1 >= entry->begins.size())
        return false;
    open = m_rows.size() - 1;
    return true;
}

std::string JobModel::takeBarTime(bool begin)
{
    std::string refusal;
    listrecord* entry = nullptr;
    size_t open = 0;
    if (!openSegment(entry, open, refusal))
        return refusal;
    m_state.barPosition = m_view.positionBar().position;
    const int64_t ms =
        timeAtBar(m_state.barPosition, barDuration(), m_view.positionBar().usableRange());
    (begin ? entry->begins : entry->ends)[open] = ms;
    m_rows[open] = segmentRow(entry->begins[open], entry->ends[open], m_rows[open].status);
    m_view.setSegmentRow(static_cast<int>(open), m_rows[open]);
    refreshTotalTime();
    return {};
}

std::string JobModel::takeBegin()
{
    return takeBarTime(true);
}

std::string JobModel::takeEnd()
{
    return takeBarTime(false);
}

std::string JobModel::commitSegment()
{
    std::string refusal;
    listrecord* entry = nullptr;
    size_t open = 0;
    if (!openSegment(entry, open, refusal))
        return refusal;
    // Begin equal to end is accepted.
    if (entry->ends[open] < entry->begins[open])
        return startAfterEndMessage;
    setSegmentStatus(static_cast<int>(open), segmentstatus::Ok);
    m_rows.push_back(segmentRow(0, entry->wholeMs(), segmentstatus::Uncertain));
    m_view.appendSegmentRow(m_rows.back());
    entry->begins.resize(m_rows.size());
    entry->ends.resize(m_rows.size());
    entry->begins.back() = 0;
    entry->ends.back() = entry->wholeMs();
    entry->segmentCount = static_cast<int32_t>(m_rows.size());
    refreshTotalTime();
    return {};
}

std::string JobModel::removeSelectedSegment()
{
    listrecord* entry = editedEntry();
    int row = m_view.selectedSegmentRow();
    if (!m_state.segmentsEditable() || !entry || row < 0 || row >= static_cast<int>(m_rows.size()))
        return {};
    if (m_rows[row].status == segmentstatus::Uncertain)
        return automaticItemMessage;
    if (row < static_cast<int>(entry->begins.size())) {
        entry->begins.erase(entry->begins.begin() + row);
        entry->ends.erase(entry->ends.begin() + row);
    }
    removeSegmentRow(row);
    entry->begins.resize(m_rows.size());
    entry->ends.resize(m_rows.size());
    entry->segmentCount = static_cast<int32_t>(m_rows.size());
    m_view.selectSegmentRow(m_state.selectedSegmentIndex);
    refreshTotalTime();
    return {};
}

void JobModel::resetSegments()
{
    int row = m_view.selectedSourceRow();
    if (!m_sources.contains(row))
        return;
    clearSegmentRows();
    // In Unification this resets the selected entry, not the shared entry 0.
    listrecord& entry = m_sources.entries()[row];
    entry.segmentCount = 1;
    entry.begins = {0};
    entry.ends = {entry.wholeMs()};
    selectionChanged();
    refreshTotalTime();
    m_view.setTimeCaption(timeText(0));
}

void JobModel::segmentListClicked()
{
    if (m_rows.empty())
        return;
    int last = static_cast<int>(m_rows.size()) - 1;
    if (m_state.selectedSegmentIndex > last)
        m_state.selectedSegmentIndex = last;
    if (m_state.selectedSegmentIndex < 0)
        m_state.selectedSegmentIndex = 0;
    if (m_view.selectedSegmentRow() < 0)
        m_view.selectSegmentRow(m_state.selectedSegmentIndex);
    m_state.selectedSegmentIndex = m_view.selectedSegmentRow();
    m_state.segmentListFocused = true;
}

void JobModel::setSegmentStatus(int row, const std::string& status)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return;
    m_rows[row].status = status;
    m_view.setSegmentRow(row, m_rows[row]);
}

void JobModel::removeSegmentRow(int row)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return;
    m_rows.erase(m_rows.begin() + row);
    m_view.removeSegmentRow(row);
}

void JobModel::clearSegmentRows()
{
    m_rows.clear();
    m_view.showSegmentRows(m_rows);
}

void JobModel::appendSegmentRow(const SegmentRow& row)
{
    m_rows.push_back(row);
    m_view.appendSegmentRow(row);
}

void JobModel::stopJob()
{
    m_state.converting = false;
    m_view.setProgressWidth(0);
}

} // namespace brisklet::engine
