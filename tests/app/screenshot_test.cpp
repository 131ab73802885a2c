// Saves a picture of the main window with three files and a committed segment
// into the build folder, for a look at the face.
#include "windowfixture.h"

#include <QDir>
#include <QPixmap>

using namespace brisklet;

TEST_F(WindowTest, ScreenshotOfALoadedWindow)
{
    addThroughDialog({tone("Morning interview.wav", 95.0), tone("Street ambience.wav", 240.0),
                      tone("Theme music.wav", 62.0)});
    ASSERT_EQ(window->lv()->topLevelItemCount(), 3);
    skin::SkinObject* pb = window->skinObject(QStringLiteral("pb"));
    pb->SetPosition(pb->lastPosition() / 5);
    click("Begin");
    pb->SetPosition(pb->lastPosition() * 3 / 5);
    click("End");
    click("Ok");
    pb->SetPosition(pb->lastPosition() / 3);
    pb->Redraw();
    window->setTimeCaption("00:00:31");
    window->setProgressWidth(140);
    window->setPercentText("41%");
    window->skinObject(QStringLiteral("levelL"))->SetValue(72);
    window->skinObject(QStringLiteral("levelR"))->SetValue(58);

    QString folder =
        QString::fromLocal8Bit(qgetenv("BRISKLET_BUILD_DIR")) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    QPixmap shot = window->grab();
    EXPECT_EQ(shot.size(), QSize(518, 378));
    EXPECT_TRUE(shot.save(folder + QStringLiteral("/main_window.png")));
}
