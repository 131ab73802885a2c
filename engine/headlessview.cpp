#include "engine/headlessview.h"

#include <QCoreApplication>

#include <algorithm>

namespace brisklet::engine {

namespace {

SourceRowText rowText(const listrecord& entry)
{
    return {entry.caption, entry.timeText, entry.sizeText};
}

// A list's selection after row `removed` went away, as a list view keeps it.
int selectionAfterRemoval(int selected, int removed)
{
    if (selected == removed)
        return -1;
    return selected > removed ? selected - 1 : selected;
}

} // namespace

void HeadlessView::appendSourceRow(const listrecord& entry)
{
    m_sourceRows.push_back(rowText(entry));
}

void HeadlessView::setSourceRow(int row, const listrecord& entry)
{
    m_sourceRows.at(row) = rowText(entry);
}

void HeadlessView::removeSourceRow(int row)
{
    m_sourceRows.erase(m_sourceRows.begin() + row);
    m_selectedSource = selectionAfterRemoval(m_selectedSource, row);
}

void HeadlessView::clearSourceRows()
{
    m_sourceRows.clear();
    m_selectedSource = -1;
}

void HeadlessView::selectSourceRow(int row)
{
    m_selectedSource = row >= 0 && row < static_cast<int>(m_sourceRows.size()) ? row : -1;
}

void HeadlessView::showSegmentRows(const std::vector<SegmentRow>& rows)
{
    m_segmentRows = rows;
    m_selectedSegment = -1;
}

void HeadlessView::setSegmentRow(int row, const SegmentRow& content)
{
    m_segmentRows.at(row) = content;
}

void HeadlessView::removeSegmentRow(int row)
{
    m_segmentRows.erase(m_segmentRows.begin() + row);
    m_selectedSegment = selectionAfterRemoval(m_selectedSegment, row);
}

void HeadlessView::selectSegmentRow(int row)
{
    m_selectedSegment = row >= 0 && row < static_cast<int>(m_segmentRows.size()) ? row : -1;
}

void HeadlessView::setPositionBarRange(int max, int pageSize)
{
    m_bar.max = max;
    m_bar.pageSize = pageSize;
    m_bar.position = std::clamp(m_bar.position, 0, std::max(0, m_bar.usableRange()));
}

void HeadlessView::setBarPosition(int position)
{
    m_bar.position = std::clamp(position, 0, std::max(0, m_bar.usableRange()));
}

void HeadlessView::pumpEvents()
{
    ++m_pumpCount;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace brisklet::engine
