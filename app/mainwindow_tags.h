#pragma once
// The tag editor over the main window's source list: it reads the captions
// and the tag records of the job model, and Ok's new captions reach both the
// entries and the rows of lv.

#include "tags/editor/tfm_id3.h"

namespace brisklet::engine {
class JobModel;
class JobView;
} // namespace brisklet::engine

namespace brisklet::app {

class SourceListTags : public tags::editor::TagEditorHost {
public:
    SourceListTags(engine::JobModel& model, engine::JobView& view) : m_model(model), m_view(view) {}

    std::vector<std::string> sourceCaptions() const override;
    tags::TagList& tagList() override;
    void setSourceCaption(int row, const std::string& caption) override;

private:
    engine::JobModel& m_model;
    engine::JobView& m_view;
};

} // namespace brisklet::app
