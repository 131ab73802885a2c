#pragma once
// Where the skin file and the manual are: beside the program (a build tree, or
// a copy kept in one folder), else in the data folder of an installed program
// (share/brisklet beside bin/).

#include <QString>

namespace brisklet::app {

// The folder of `programFolder`'s skin file "mp3enc.dll": `programFolder`
// itself when the file is there or nowhere (the missing skin is then reported
// there), else the installed data folder.
QString resourceFolder(const QString& programFolder);

} // namespace brisklet::app
