#include "settings/generalsettings.h"

#include "settings/profilefile.h"
#include "settings/settingkeys.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>

namespace brisklet::settings {

std::string musicFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (folder.isEmpty()) {
        folder = QDir::homePath();
    }
    return folder.toStdString();
}

std::string withFinalSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

GeneralSettings loadGeneralSettings(const ProfileFile& file)
{
    GeneralSettings s;
    s.FunctionChoice = readKey(file, keys::functionChoice);
    s.OutputDirectory = file.readText(keys::outputDir.section, keys::outputDir.name, musicFolder());
    s.splitSeconds = std::max(1, readKey(file, keys::splitSeconds));
    s.splitCount = std::max(1, readKey(file, keys::splitCount));
    s.fadeIn = readFlag(file, keys::fadeIn);
    s.fadeOut = readFlag(file, keys::fadeOut);
    s.fadeInSeconds = readKey(file, keys::fadeInSeconds);
    s.fadeOutSeconds = readKey(file, keys::fadeOutSeconds);
    s.skinFlag = readFlag(file, keys::skin);

    if (s.OutputDirectory.empty()) {
        s.OutputDirectory = musicFolder();
    }
    const QString folder = QString::fromStdString(s.OutputDirectory);
    if (!QDir(folder).exists()) {
        QDir().mkdir(folder); // a failure shows later, when an output is written there
    }
    s.OutputDirectory = withFinalSlash(s.OutputDirectory);
    return s;
}

void saveGeneralSettings(ProfileFile& file, const GeneralSettings& s)
{
    writeKey(file, keys::functionChoice, s.FunctionChoice);
    file.writeText(keys::outputDir.section, keys::outputDir.name,
                   withFinalSlash(s.OutputDirectory));
    writeKey(file, keys::splitSeconds, s.splitSeconds);
    writeKey(file, keys::splitCount, s.splitCount);
    writeKey(file, keys::fadeIn, s.fadeIn);
    writeKey(file, keys::fadeOut, s.fadeOut);
    writeKey(file, keys::fadeInSeconds, s.fadeInSeconds);
    writeKey(file, keys::fadeOutSeconds, s.fadeOutSeconds);
    writeKey(file, keys::skin, s.skinFlag);
}

} // namespace brisklet::settings
