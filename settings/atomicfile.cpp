#include "settings/atomicfile.h"

#include "base/output_file.h"

#include <QFileInfo>

namespace brisklet::settings {

bool replaceFileAtomically(const std::string& path, const std::string& content,
                           const std::string& tempSuffix)
{
    QString target = QString::fromStdString(path);
    const QFileInfo info(target);
    if (info.isSymLink()) {
        target = info.symLinkTarget();
    }
    const std::string targetPath = target.toStdString();

    base::OutputFile::Options options;
    options.temporary = targetPath + tempSuffix;
    options.syncBeforeRename = true; // the rename must not reach the disk before the data
    std::error_code error;
    base::OutputFile file(targetPath, options, error);
    if (error || !file.write(content.data(), content.size())) {
        return false;
    }
    file.commit(error);
    return !error;
}

} // namespace brisklet::settings
