#pragma once
// The one look of every window of the program: the dark colours of the main
// window's face, set on the main window and inherited by every dialog and
// message box it owns (settings, folder chooser, tag editor, file dialogs).

#include <QString>

namespace brisklet::app {

const QString& windowStyleSheet();

} // namespace brisklet::app
