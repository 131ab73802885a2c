#include "settings/atomicfile.h"

#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace brisklet::settings {
namespace {

// The rename makes the new content visible; without this the rename could
// reach the disk before the data after a power failure.
bool syncToDisk(QTemporaryFile& file)
{
    if (!file.flush()) {
        return false;
    }
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return true;
#endif
}

} // namespace

bool replaceFileAtomically(const std::string& path, const std::string& content,
                           const std::string& tempSuffix)
{
    QString target = QString::fromStdString(path);
    const QFileInfo info(target);
    if (info.isSymLink()) {
        target = info.symLinkTarget();
    }

    QTemporaryFile temp(target + QString::fromStdString(tempSuffix) + QStringLiteral("XXXXXX"));
    temp.setAutoRemove(true);
    if (!temp.open()) {
        return false;
    }
    const auto size = static_cast<qint64>(content.size());
    if (temp.write(content.data(), size) != size || !syncToDisk(temp)) {
        return false;
    }
    if (QFileInfo::exists(target)) {
        temp.setPermissions(QFile::permissions(target));
    }
    const std::filesystem::path tempPath = temp.fileName().toStdString();
    temp.close();

    std::error_code error;
    std::filesystem::rename(tempPath, target.toStdString(), error);
    if (error) {
        return false; // the temporary file is still removed by its owner
    }
    temp.setAutoRemove(false); // it is the settings file now
    return true;
}

} // namespace brisklet::settings
