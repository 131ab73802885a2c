// Saves pictures of the main window into the build folder's screenshots/, for a
// look at the face: empty with a button under the mouse, and with three files
// and a committed segment; and the about box.
#include "windowfixture.h"

#include "app/about.h"

#include <QDir>
#include <QPixmap>
#include <QTimer>

using namespace brisklet;

namespace {

QString screenshotFolder()
{
    QString folder =
        QString::fromLocal8Bit(qgetenv("BRISKLET_BUILD_DIR")) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    return folder;
}

} // namespace

TEST_F(WindowTest, ScreenshotOfTheEmptyWindowWithAButtonUnderTheMouse)
{
    QPointF at = QRectF(window->skinObject(QStringLiteral("addfile"))->GetRect()).center();
    QMouseEvent move(QEvent::MouseMove, at, window->Skin1().mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window->Skin1(), &move);
    QPixmap shot = window->grab();
    EXPECT_EQ(shot.size(), QSize(518, 378));
    EXPECT_TRUE(shot.save(screenshotFolder() + QStringLiteral("/main_window_empty.png")));
}

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

    QPixmap shot = window->grab();
    EXPECT_EQ(shot.size(), QSize(518, 378));
    EXPECT_TRUE(shot.save(screenshotFolder() + QStringLiteral("/main_window.png")));
}

TEST_F(WindowTest, ScreenshotOfTheAboutBox)
{
    QTimer::singleShot(0, window->about(), [this] {
        QPixmap shot = window->about()->grab();
        EXPECT_EQ(shot.size(), QSize(261, 272));
        EXPECT_TRUE(shot.save(screenshotFolder() + QStringLiteral("/about_box.png")));
        window->about()->accept();
    });
    menu(window->p_help(), "About");
}
