// The main window: empty with a button under the mouse, with three files and a
// committed segment, while a segment plays; and the about box.
#include "screenshots.h"
#include "tests/app/windowfixture.h"

#include "app/about.h"

#include <QElapsedTimer>
#include <QTimer>

using namespace brisklet;

TEST_F(WindowTest, EmptyWindowWithAButtonUnderTheMouse)
{
    QPointF at = QRectF(window->skinObject(QStringLiteral("addfile"))->GetRect()).center();
    QMouseEvent move(QEvent::MouseMove, at, window->Skin1().mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window->Skin1(), &move);
    saveScreenshot(window->grab(), QStringLiteral("main_window_empty.png"));
}

TEST_F(WindowTest, LoadedWindow)
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
    saveScreenshot(window->grab(), QStringLiteral("main_window.png"));
}

TEST_F(WindowTest, WhileASegmentPlays)
{
    // SDL's disk driver plays faster than real time.
    test::EnvOverride driver("SDL_AUDIODRIVER", "disk");
    test::EnvOverride file("SDL_DISKAUDIOFILE", dir.file("played.raw"));
    test::EnvOverride delay("SDL_DISKAUDIODELAY", "1");
    addThroughDialog({tone("a.wav", 32.0)});
    skin::SkinObject* pb = window->skinObject(QStringLiteral("pb"));
    pb->SetPosition(pb->lastPosition() * 10 / 32);
    click("Begin");
    pb->SetPosition(pb->lastPosition() * 30 / 32);
    click("End");
    click("Ok");
    pb->SetPosition(0);
    clickRow(window->lv_time(), 0);
    click("play");
    QElapsedTimer timer;
    timer.start();
    while (pb->GetPosition() <= pb->lastPosition() / 3 && timer.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    saveScreenshot(window->grab(), QStringLiteral("main_window_preview.png"));
    click("stop");
}

TEST_F(WindowTest, AboutBox)
{
    QTimer::singleShot(0, window->about(), [this] {
        saveScreenshot(window->about()->grab(), QStringLiteral("about_box.png"));
        window->about()->accept();
    });
    menu(window->p_help(), "About");
}
