// The operations that later parts of the program provide. Each hook does
// nothing until its part plugs in here, with one line.
#include "app/mainwindow.h"

namespace brisklet::app {

// The settings dialog Tfm_set, modal.
void Tfm_main::showSettingsDialog()
{
}

// The tag editor Tfm_id3, modal, on the selected entries.
void Tfm_main::showTagEditor()
{
}

// The split of the current FunctionChoice over every source.
void Tfm_main::runSplitJob()
{
}

// The join's save dialog: the chosen file name, or empty when cancelled.
QString Tfm_main::joinSaveDialogStep()
{
    return {};
}

// The join of the current FunctionChoice into `fileName`.
void Tfm_main::runJoinJob(const QString& /*fileName*/)
{
}

// Preview playback.
void Tfm_main::playSelectedFile()
{
}
void Tfm_main::playSelectedSegment()
{
}
void Tfm_main::stopPreview()
{
}
void Tfm_main::stepBarBack()
{
}
void Tfm_main::stepBarForward()
{
}
// The mouse let go of the bar during a preview: follow it, or stop at the end.
void Tfm_main::previewBarReleased()
{
}

} // namespace brisklet::app
