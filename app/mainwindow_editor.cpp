// The segment editor over the selected source: opened from the menus, a key
// or a double click in the source list; Ok writes its segments back through
// the job model, by the rules of "Begin", "End" and "Ok".
#include "app/mainwindow.h"
#include "app/tfm_wave.h"

namespace brisklet::app {

void Tfm_main::showSegmentEditor()
{
    if (state().previewPlaying)
        stopPreview();
    engine::SegmentEdit edit;
    std::string refusal;
    if (!model().editSegments(edit, refusal)) {
        inform(refusal);
        return;
    }
    const engine::listrecord& entry = model().sources().entries()[selectedSourceRow()];
    static const waveform::PeakCache cache(waveform::PeakCache::userFolder());
    SegmentEditorSetup setup;
    setup.path = entry.path;
    setup.caption = QString::fromStdString(entry.caption);
    setup.edit = edit;
    setup.cache = &cache;
    setup.createPlayer = m_setup.createPlayer;
    setup.inform = [this](const QString& message) { m_dialogs->inform(this, message); };
    Tfm_wave editor(std::move(setup), this);
    if (editor.exec() == QDialog::Accepted)
        inform(model().applySegmentEdit(editor.edit()));
}

} // namespace brisklet::app
