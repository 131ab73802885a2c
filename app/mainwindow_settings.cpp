// The settings dialog's side of the main window: the dialog edits the
// window's setting mirrors, asks through the window's dialogs, and rebuilds
// the segment list through the source list's selection handling.
#include "app/mainwindow.h"
#include "settings/dialog/settings.h"

namespace brisklet::app {

void Tfm_main::createSettingsDialog()
{
    settings::dialog::SettingsDialogHooks hooks;
    hooks.inform = [this](QWidget* parent, const QString& message) {
        m_dialogs->inform(parent, message);
    };
    hooks.selectionChanged = [this] { model().selectionChanged(); };
    m_set = new settings::dialog::Tfm_set(m_profile, *m_audioFile2write, state(), this,
                                          std::move(hooks));
}

std::string Tfm_main::commandLineText() const
{
    return m_set ? m_set->commandLineText() : std::string();
}

} // namespace brisklet::app
