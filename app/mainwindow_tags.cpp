#include "app/mainwindow_tags.h"

#include "engine/jobmodel.h"

namespace brisklet::app {

std::vector<std::string> SourceListTags::sourceCaptions() const
{
    std::vector<std::string> captions;
    for (const engine::listrecord& entry : m_model.sources().entries())
        captions.push_back(entry.caption);
    return captions;
}

tags::TagList& SourceListTags::tagList()
{
    return m_model.sources().TagList();
}

void SourceListTags::setSourceCaption(int row, const std::string& caption)
{
    if (!m_model.sources().contains(row))
        return;
    engine::listrecord& entry = m_model.sources().entries()[static_cast<size_t>(row)];
    entry.caption = caption;
    m_view.setSourceRow(row, entry);
}

} // namespace brisklet::app
