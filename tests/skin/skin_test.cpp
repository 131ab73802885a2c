// The skinning control: loading, finding objects by exact name, the object
// operations and the mouse events, on the program's own skin file.
#include "skin/skin.h"

#include "testsupport.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace brisklet;
using skin::ObjectKind;

namespace {

QString shippedSkin()
{
    return QString::fromLocal8Bit(qgetenv("BRISKLET_SOURCE_DIR")) +
           QStringLiteral("/resources/mp3enc.dll");
}

void mouse(QWidget& target, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), target.mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        face.LoadSkin(shippedSkin());
        face.ApplySkin(&window);
        face.ApplySkinForm(&window, QStringLiteral("Brisklet"));
        form = face.GetSkinForm(&window);
    }
    QWidget window;
    skin::Skin face;
    skin::SkinForm* form = nullptr;
};

} // namespace

TEST_F(SkinTest, TheShippedFaceHasEveryObjectOfTheRightKind)
{
    EXPECT_EQ(window.size(), QSize(518, 378));
    for (const char* name :
         {"file",   "Action", "Settings", "Help", "addfile", "Up",   "Down",
          "Remove", "Clear",  "Set",      "play", "stop",    "hou",  "qian",
          "Split",  "Join",   "Begin",    "End",  "Ok",      "Stop", "helpfile"}) {
        skin::SkinObject* button = form->FindObject(QString::fromUtf8(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->kind(), ObjectKind::Button) << name;
        EXPECT_FALSE(button->tip().isEmpty()) << name;
        EXPECT_TRUE(QRect(0, 0, 518, 378).contains(button->GetRect())) << name;
    }
    EXPECT_EQ(form->FindObject(QStringLiteral("pb"))->kind(), ObjectKind::ScrollBar);
    EXPECT_EQ(form->FindObject(QStringLiteral("convertpb"))->kind(), ObjectKind::Progress);
    EXPECT_EQ(form->FindObject(QStringLiteral("convertpb"))->GetRect().width(), 335);
    EXPECT_EQ(form->FindObject(QStringLiteral("levelL"))->kind(), ObjectKind::Meter);
    for (const char* name : {"timecaption", "tataltime", "nm", "pbpos"})
        EXPECT_EQ(form->FindObject(QString::fromUtf8(name))->kind(), ObjectKind::Text) << name;
    // A text object shows the skin's own text until the program sets one.
    EXPECT_EQ(form->FindObject(QStringLiteral("timecaption"))->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(form->FindObject(QStringLiteral("nm"))->text(), QString());
    // Names are exact: case counts.
    EXPECT_EQ(form->FindObject(QStringLiteral("split")), nullptr);
    EXPECT_EQ(form->FindObject(QStringLiteral("STOP")), nullptr);
    // Buttons do not overlap, so every click has one receiver.
    for (const auto& a : form->objects()) {
        for (const auto& b : form->objects()) {
            if (a != b && a->kind() == ObjectKind::Button && b->kind() == ObjectKind::Button) {
                EXPECT_FALSE(a->GetRect().intersects(b->GetRect()))
                    << a->GetName().toStdString() << " " << b->GetName().toStdString();
            }
        }
    }
}

TEST(SkinLoad, MissingUnreadableAndFormlessSkinsAreRefusedWithTheirReason)
{
    test::TempDir dir;
    QWidget window; // the skin becomes the window's child, so it must go first
    skin::Skin face;
    QString missing = QString::fromStdString(dir.file("mp3enc.dll"));
    EXPECT_THROW(face.LoadSkin(missing), skin::SkinError);
    test::writeFileBytes(dir.file("mp3enc.dll"), "MZ\x90 not a skin");
    try {
        face.LoadSkin(missing);
        FAIL() << "loaded a non-skin";
    } catch (const skin::SkinError& error) {
        EXPECT_NE(std::string(error.what()).find("mp3enc.dll"), std::string::npos);
    }
    test::writeFileBytes(dir.file("mp3enc.dll"),
                         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
                         "<rect width=\"10\" height=\"10\"/></svg>");
    face.LoadSkin(missing);
    face.ApplySkin(&window);
    EXPECT_THROW(face.ApplySkinForm(&window, QStringLiteral("Brisklet")), skin::SkinError);
    EXPECT_THROW(face.GetSkinForm(&window), skin::SkinError);
}

TEST_F(SkinTest, ScrollBarKeepsItsPositionWithinTheUsableRange)
{
    skin::SkinObject* pb = form->FindObject(QStringLiteral("pb"));
    pb->SetMax(1084);
    pb->SetPageSize(51);
    pb->SetPosition(5000);
    EXPECT_EQ(pb->GetPosition(), 1033);
    pb->SetPosition(-3);
    EXPECT_EQ(pb->GetPosition(), 0);
    skin::SkinObject* bar = form->FindObject(QStringLiteral("convertpb"));
    QRect start = bar->GetRect();
    bar->SetRect(start.left(), start.top(), start.left() + 100, start.top() + start.height());
    EXPECT_EQ(bar->GetRect().width(), 100);
    EXPECT_EQ(bar->GetRect().left(), start.left());
}

TEST_F(SkinTest, ClicksAndDragsReportTheirObject)
{
    std::vector<skin::SkinObject*> clicks, downs, ups, tracks;
    QObject::connect(&face, &skin::Skin::OnClick,
                     [&](skin::SkinObject* o) { clicks.push_back(o); });
    QObject::connect(&face, &skin::Skin::OnMouseDown,
                     [&](skin::SkinObject* o, int, int, int) { downs.push_back(o); });
    QObject::connect(&face, &skin::Skin::OnMouseUp,
                     [&](skin::SkinObject* o, int, int, int) { ups.push_back(o); });
    QObject::connect(&face, &skin::Skin::OnScrollTrack,
                     [&](skin::SkinObject* o, int) { tracks.push_back(o); });

    QPoint split = form->FindObject(QStringLiteral("Split"))->GetRect().center();
    mouse(face, QEvent::MouseButtonPress, split, Qt::LeftButton);
    mouse(face, QEvent::MouseButtonRelease, split, Qt::NoButton);
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0]->GetName(), QStringLiteral("Split"));
    // Pressed on one button, released elsewhere: no click.
    mouse(face, QEvent::MouseButtonPress, split, Qt::LeftButton);
    mouse(face, QEvent::MouseButtonRelease, QPoint(2, 200), Qt::NoButton);
    EXPECT_EQ(clicks.size(), 1);

    skin::SkinObject* pb = form->FindObject(QStringLiteral("pb"));
    pb->SetMax(1084);
    pb->SetPageSize(51);
    QRect track = pb->GetRect();
    mouse(face, QEvent::MouseButtonPress, QPoint(track.left() + 2, track.center().y()),
          Qt::LeftButton);
    mouse(face, QEvent::MouseMove, QPoint(track.right() + 40, track.center().y()), Qt::LeftButton);
    EXPECT_EQ(pb->GetPosition(), 1033);
    mouse(face, QEvent::MouseMove, QPoint(track.center().x(), track.center().y()), Qt::LeftButton);
    EXPECT_NEAR(pb->GetPosition(), 1033 / 2, 20);
    mouse(face, QEvent::MouseButtonRelease, track.center(), Qt::NoButton);
    EXPECT_EQ(clicks.size(), 1); // a bar is dragged, not clicked
    EXPECT_GE(tracks.size(), 2);
    EXPECT_EQ(downs.back(), pb);
    EXPECT_EQ(ups.back(), pb);
}
