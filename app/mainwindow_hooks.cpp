// The window's modal dialogs over the whole source list: the settings dialog
// Tfm_set and the tag editor Tfm_id3.
#include "app/mainwindow.h"
#include "app/mainwindow_tags.h"
#include "settings/dialog/settings.h"

namespace brisklet::app {

// The settings dialog Tfm_set, modal. The mode may change in it even when
// it is cancelled: what depends on the mode follows at once.
void Tfm_main::showSettingsDialog()
{
    m_set->exec();
    model().refreshTotalTime();
    showJobSettings();
}

// The tag editor Tfm_id3, modal, over the whole source list.
void Tfm_main::showTagEditor()
{
    SourceListTags host(model(), *this);
    m_id3->edit(host);
}

// The split and the join (runSplitJob, joinSaveDialogStep, runJoinJob) are in
// mainwindow_jobs.cpp, preview playback in mainwindow_preview.cpp.

} // namespace brisklet::app
