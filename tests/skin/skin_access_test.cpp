// Keyboard and assistive access to the shipped face: the accessibility tree
// under the offscreen platform, Tab order with its focus mark, and the keys
// that press a button or move the position bar.
#include "skin/skin.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

using namespace brisklet;

namespace {

class SkinAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        face = new skin::Skin(&window);
        face->LoadSkin(QString::fromLocal8Bit(qgetenv("BRISKLET_SOURCE_DIR")) +
                       QStringLiteral("/resources/mp3enc.dll"));
        face->ApplySkin(&window);
        face->ApplySkinForm(&window, QStringLiteral("Brisklet"));
        window.show();
        QApplication::setActiveWindow(&window);
    }
    void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : face;
        QKeyEvent press(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(target, &press);
    }
    QString focusedName() const
    {
        return face->focusedObject() ? face->focusedObject()->GetName() : QString();
    }
    QAccessibleInterface* childNamed(const QString& name)
    {
        QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(face);
        for (int i = 0; i < pane->childCount(); ++i) {
            if (pane->child(i)->text(QAccessible::Name) == name)
                return pane->child(i);
        }
        return nullptr;
    }

    QWidget window;
    skin::Skin* face = nullptr;
};

} // namespace

TEST_F(SkinAccessTest, TheTreeShowsEveryObjectWithItsRoleNameAndState)
{
    QAccessibleInterface* top = QAccessible::queryAccessibleInterface(&window);
    ASSERT_NE(top, nullptr);
    QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(face);
    ASSERT_NE(pane, nullptr);
    EXPECT_GE(top->indexOfChild(pane), 0);
    const auto& objects = face->GetSkinForm(&window)->objects();
    ASSERT_EQ(pane->childCount(), static_cast<int>(objects.size()));
    for (int i = 0; i < pane->childCount(); ++i) {
        QAccessibleInterface* child = pane->child(i);
        SCOPED_TRACE(objects[static_cast<size_t>(i)]->GetName().toStdString());
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(child->isValid());
        EXPECT_EQ(child->parent(), pane);
        EXPECT_EQ(pane->indexOfChild(child), i);
        EXPECT_FALSE(child->text(QAccessible::Name).isEmpty());
        EXPECT_FALSE(child->state().invisible);
        EXPECT_EQ(pane->childAt(child->rect().center().x(), child->rect().center().y()), child);
    }
    struct Expected {
        const char* name; // what the object shows
        QAccessible::Role role;
    };
    for (const Expected& e : {Expected{"Split", QAccessible::Button},
                              {"Add", QAccessible::Button},
                              {"Options", QAccessible::Button},
                              {"Play", QAccessible::Button},
                              {"Position", QAccessible::Slider},
                              {"Conversion progress", QAccessible::ProgressBar}}) {
        QAccessibleInterface* child = childNamed(QString::fromUtf8(e.name));
        ASSERT_NE(child, nullptr) << e.name;
        EXPECT_EQ(child->role(), e.role) << e.name;
    }
    QAccessibleInterface* split = childNamed(QStringLiteral("Split"));
    EXPECT_TRUE(split->state().focusable);
    EXPECT_FALSE(split->text(QAccessible::Description).isEmpty());
    ASSERT_NE(split->actionInterface(), nullptr);
    EXPECT_TRUE(split->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
    // A display reads out what it shows.
    QAccessibleInterface* time = childNamed(QStringLiteral("Time at the position"));
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->role(), QAccessible::StaticText);
    EXPECT_TRUE(time->state().readOnly);
    skin::SkinObject* caption =
        face->GetSkinForm(&window)->FindObject(QStringLiteral("timecaption"));
    caption->SetText(QStringLiteral("00:01:02"));
    caption->Redraw();
    EXPECT_EQ(time->text(QAccessible::Value), QStringLiteral("00:01:02"));
}

TEST_F(SkinAccessTest, TabWalksTheButtonsWithAVisibleMarkAndSpaceOrEnterPresses)
{
    QStringList clicks;
    QObject::connect(face, &skin::Skin::OnClick, face,
                     [&clicks](skin::SkinObject* source) { clicks.append(source->GetName()); });
    face->clearFocus();
    const QImage unfocused = window.grab().toImage();
    face->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(face->hasFocus());
    EXPECT_EQ(focusedName(), QStringLiteral("helpfile")); // the first in the skin's order
    const QRect first = face->focusedObject()->GetRect().adjusted(-3, -3, 3, 3);
    EXPECT_NE(window.grab(first).toImage(), unfocused.copy(first)); // the mark shows

    key(Qt::Key_Tab);
    EXPECT_EQ(focusedName(), QStringLiteral("file"));
    QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(face);
    ASSERT_NE(pane->focusChild(), nullptr);
    EXPECT_EQ(pane->focusChild()->text(QAccessible::Name), QStringLiteral("File"));
    EXPECT_TRUE(pane->focusChild()->state().focused);
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusedName(), QStringLiteral("helpfile"));

    // Every button and the bar are reached once, text displays are passed.
    QStringList visited;
    for (int i = 0; i < 40 && face->hasFocus() && !visited.contains(focusedName()); ++i) {
        visited.append(focusedName());
        key(Qt::Key_Tab);
    }
    EXPECT_EQ(visited.size(), 22); // 21 buttons and the position bar
    EXPECT_TRUE(visited.contains(QStringLiteral("pb")));
    EXPECT_FALSE(visited.contains(QStringLiteral("nm")));

    face->setFocus(Qt::BacktabFocusReason);
    EXPECT_EQ(focusedName(), visited.last());
    face->setFocusedObject(face->GetSkinForm(&window)->FindObject(QStringLiteral("Split")));
    key(Qt::Key_Space);
    key(Qt::Key_Return);
    key(Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(clicks.size(), 3);
    EXPECT_EQ(clicks[0], QStringLiteral("Split"));
    // Assistive technology presses the same way.
    childNamed(QStringLiteral("Join"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(clicks.size(), 4);
    EXPECT_EQ(clicks[3], QStringLiteral("Join"));
}

TEST_F(SkinAccessTest, ArrowKeysMoveTheFocusedBarAsADragWould)
{
    skin::SkinObject* bar = face->GetSkinForm(&window)->FindObject(QStringLiteral("pb"));
    bar->SetMax(1100);
    bar->SetPageSize(52);
    QStringList events; // in the order a drag sends them
    QObject::connect(
        face, &skin::Skin::OnMouseDown, face,
        [&events](skin::SkinObject*, int, int, int) { events.append(QStringLiteral("down")); });
    QObject::connect(face, &skin::Skin::OnScrollTrack, face, [&events](skin::SkinObject*, int pos) {
        events.append(QStringLiteral("track %1").arg(pos));
    });
    QObject::connect(
        face, &skin::Skin::OnMouseUp, face,
        [&events](skin::SkinObject*, int, int, int) { events.append(QStringLiteral("up")); });
    face->setFocus(Qt::OtherFocusReason);
    face->setFocusedObject(bar);
    key(Qt::Key_Right);
    key(Qt::Key_PageDown);
    EXPECT_EQ(bar->GetPosition(), 53);
    key(Qt::Key_End);
    EXPECT_EQ(bar->GetPosition(), 1048);
    key(Qt::Key_Home);
    EXPECT_EQ(bar->GetPosition(), 0);
    ASSERT_EQ(events.size(), 12);
    EXPECT_EQ(events.mid(0, 3), (QStringList{QStringLiteral("down"), QStringLiteral("track 1"),
                                             QStringLiteral("up")}));
    EXPECT_EQ(events[10], QStringLiteral("track 0"));
    QAccessibleInterface* slider = childNamed(QStringLiteral("Position"));
    ASSERT_NE(slider->valueInterface(), nullptr);
    EXPECT_EQ(slider->valueInterface()->maximumValue().toInt(), 1048);
    slider->valueInterface()->setCurrentValue(300);
    EXPECT_EQ(bar->GetPosition(), 300);
}
