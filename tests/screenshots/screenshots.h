#pragma once
// Where the screenshot program saves its pictures: screenshots/ in the build
// folder.

#include <QDir>
#include <QPixmap>
#include <QString>
#include <gtest/gtest.h>

inline QString screenshotFolder()
{
    const QString folder =
        QString::fromLocal8Bit(qgetenv("BRISKLET_BUILD_DIR")) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    return folder;
}

inline void saveScreenshot(const QPixmap& shot, const QString& name)
{
    const QString path = screenshotFolder() + QLatin1Char('/') + name;
    EXPECT_TRUE(!shot.isNull() && shot.save(path)) << path.toStdString();
}
