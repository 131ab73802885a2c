// Tfm_main as the job model's view: the two lists and the skin's displays.
// Every change of a skin object is followed by its Redraw.
#include "app/mainwindow.h"

#include <QCoreApplication>

namespace brisklet::app {

namespace {

QStringList sourceColumns(const engine::listrecord& entry)
{
    return {QString::fromStdString(entry.caption), QString::fromStdString(entry.timeText),
            QString::fromStdString(entry.sizeText)};
}

QStringList segmentColumns(const engine::SegmentRow& row)
{
    return {QString::fromStdString(row.caption), QString::fromStdString(row.length),
            QString::fromStdString(row.status)};
}

void fillItem(QTreeWidgetItem* item, const QStringList& columns)
{
    for (int c = 0; c < columns.size(); ++c)
        item->setText(c, columns[c]);
}

// The caption may be elided and two sources may share one: the tooltip tells
// which file it is.
void fillSourceItem(QTreeWidgetItem* item, const engine::listrecord& entry)
{
    fillItem(item, sourceColumns(entry));
    item->setToolTip(0, QString::fromStdString(entry.path));
}

int selectedRowOf(const QTreeWidget* list)
{
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.first());
}

void setText(skin::SkinObject* object, const std::string& text)
{
    if (!object)
        return;
    object->SetText(QString::fromStdString(text));
    object->Redraw();
}

} // namespace

// --- source list ---

void Tfm_main::appendSourceRow(const engine::listrecord& entry)
{
    auto* item = new QTreeWidgetItem;
    fillSourceItem(item, entry);
    m_lv->addTopLevelItem(item);
    m_lv->setColumnWidth(0, model().sourceColumnWidth());
}

void Tfm_main::setSourceRow(int row, const engine::listrecord& entry)
{
    if (QTreeWidgetItem* item = m_lv->topLevelItem(row))
        fillSourceItem(item, entry);
}

void Tfm_main::removeSourceRow(int row)
{
    m_updatingLists = true;
    delete m_lv->takeTopLevelItem(row);
    m_lv->clearSelection();
    m_updatingLists = false;
    m_lv->setColumnWidth(0, model().sourceColumnWidth());
}

void Tfm_main::clearSourceRows()
{
    m_updatingLists = true;
    m_lv->clear();
    m_updatingLists = false;
    m_lv->setColumnWidth(0, model().sourceColumnWidth());
}

int Tfm_main::selectedSourceRow() const
{
    return selectedRowOf(m_lv);
}

void Tfm_main::selectSourceRow(int row)
{
    m_updatingLists = true;
    m_lv->clearSelection();
    if (QTreeWidgetItem* item = m_lv->topLevelItem(row)) {
        m_lv->setCurrentItem(item);
        item->setSelected(true);
    }
    m_updatingLists = false;
}

void Tfm_main::focusSourceList()
{
    m_lv->setFocus();
}

// --- segment list ---

void Tfm_main::showSegmentRows(const std::vector<engine::SegmentRow>& rows)
{
    m_updatingLists = true;
    m_lvTime->clear();
    QList<QTreeWidgetItem*> items;
    for (const engine::SegmentRow& row : rows)
        items.append(new QTreeWidgetItem(segmentColumns(row)));
    m_lvTime->addTopLevelItems(items);
    m_updatingLists = false;
}

void Tfm_main::appendSegmentRow(const engine::SegmentRow& row)
{
    m_lvTime->addTopLevelItem(new QTreeWidgetItem(segmentColumns(row)));
}

void Tfm_main::setSegmentRow(int row, const engine::SegmentRow& content)
{
    if (QTreeWidgetItem* item = m_lvTime->topLevelItem(row))
        fillItem(item, segmentColumns(content));
}

void Tfm_main::removeSegmentRow(int row)
{
    m_updatingLists = true;
    delete m_lvTime->takeTopLevelItem(row);
    m_lvTime->clearSelection();
    m_updatingLists = false;
}

int Tfm_main::selectedSegmentRow() const
{
    return selectedRowOf(m_lvTime);
}

void Tfm_main::selectSegmentRow(int row)
{
    m_updatingLists = true;
    m_lvTime->clearSelection();
    if (QTreeWidgetItem* item = m_lvTime->topLevelItem(row)) {
        m_lvTime->setCurrentItem(item);
        item->setSelected(true);
    }
    m_updatingLists = false;
}

// --- skin displays ---

engine::BarValues Tfm_main::positionBar() const
{
    if (!m_pb)
        return {};
    return {m_pb->GetMax(), m_pb->GetPageSize(), m_pb->GetPosition()};
}

void Tfm_main::setPositionBarRange(int max, int pageSize)
{
    if (!m_pb)
        return;
    m_pb->SetMax(max);
    m_pb->SetPageSize(pageSize);
    m_pb->Redraw();
}

void Tfm_main::setBarPosition(int position)
{
    if (!m_pb)
        return;
    m_pb->SetPosition(position);
    m_pb->Redraw();
}

void Tfm_main::setTimeCaption(const std::string& text)
{
    setText(m_timecaption, text);
}

void Tfm_main::setTotalTime(const std::string& text)
{
    setText(m_tataltime, text);
}

void Tfm_main::setPathText(const std::string& text)
{
    setText(m_nm, text);
}

// In the path line, where the user looks for what is being written.
void Tfm_main::showJobStopped(const std::string& line)
{
    setText(m_nm, line);
}

void Tfm_main::setPercentText(const std::string& text)
{
    setText(m_pbpos, text);
}

void Tfm_main::setProgressWidth(int pixels)
{
    if (!m_convertpb)
        return;
    const QRect& r = m_convertpbRect;
    m_convertpb->SetRect(r.left(), r.top(), r.left() + pixels, r.top() + r.height());
    m_convertpb->Redraw();
}

void Tfm_main::showHint(bool shown)
{
    m_hint->setVisible(shown);
}

void Tfm_main::pumpEvents()
{
    QCoreApplication::processEvents();
}

} // namespace brisklet::app
