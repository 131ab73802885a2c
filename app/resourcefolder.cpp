#include "app/resourcefolder.h"

#include <QDir>
#include <QFileInfo>

namespace brisklet::app {

QString resourceFolder(const QString& programFolder)
{
    const QString skin = QStringLiteral("/mp3enc.dll");
    if (QFileInfo::exists(programFolder + skin))
        return programFolder;
    // Relative to the program, so that a tree installed under DESTDIR or a
    // moved prefix finds its own data.
    const QString installed = QDir::cleanPath(programFolder + QLatin1Char('/') +
                                              QStringLiteral(BRISKLET_DATA_FROM_PROGRAM));
    if (QFileInfo::exists(installed + skin))
        return installed;
    return programFolder;
}

} // namespace brisklet::app
