// The shared body of the test mains: headless defaults, the build and source
// folders, and a private HOME so that no test can touch the user's real settings
// or music folder. `App` is QCoreApplication or QApplication.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

template <class App> int runAllTestsIn(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("BRISKLET_BUILD_DIR", BRISKLET_BUILD_DIR_DEFAULT, 0);
    setenv("BRISKLET_SOURCE_DIR", BRISKLET_SOURCE_DIR_DEFAULT, 0);
    QTemporaryDir home;
    setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit().constData(),
           1);
    App app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
