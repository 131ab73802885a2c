// The segment editor under the offscreen platform: placing, dragging and
// nudging edges, snapping, and the way back into the main window's entries.
#include "app/tfm_wave.h"
#include "windowfixture.h"

#include "tests/mocks/recording_player.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <cmath>

using namespace brisklet;

namespace {

constexpr int rate = 8000; // 8 frames a millisecond: zoom 3 is one millisecond a pixel

// A pure 100 Hz sine: it crosses zero every 40 frames (5 ms).
std::string sineWav(const test::TempDir& dir, double seconds)
{
    const auto frames = static_cast<int64_t>(seconds * rate);
    std::vector<float> samples(frames);
    for (int64_t f = 0; f < frames; ++f)
        samples[f] = 0.5f * static_cast<float>(std::sin(2 * M_PI * 100.0 * f / rate));
    const std::string path = dir.file("sine.wav");
    test::writePcmFile(path, samples, rate, 1);
    return path;
}

void waitFor(const std::function<bool()>& condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void mouse(QWidget* target, QEvent::Type type, int x, Qt::MouseButton button)
{
    const QPointF at(x, target->height() / 2);
    QMouseEvent event(type, at, target->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

void key(QWidget* target, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, code, modifiers);
    QCoreApplication::sendEvent(target, &press);
}

class SegmentEditorTest : public ::testing::Test {
protected:
    std::unique_ptr<app::Tfm_wave> open(engine::SegmentEdit edit)
    {
        app::SegmentEditorSetup setup;
        setup.path = sineWav(dir, 4.0);
        setup.caption = QStringLiteral("sine");
        setup.edit = std::move(edit);
        setup.createPlayer = [this] {
            return std::make_unique<test::RecordingPlayer>(audio::createAudioPlayer(), played);
        };
        setup.inform = [this](const QString& message) { messages.append(message); };
        auto editor = std::make_unique<app::Tfm_wave>(std::move(setup));
        editor->show();
        waitFor([&] { return editor->peakJob().phase() == waveform::PeakJob::Phase::Done; });
        return editor;
    }
    int xOfMs(app::WaveformView* view, int64_t ms) { return view->xOf(view->frameOfMs(ms)); }

    test::TempDir dir;
    QStringList messages;
    test::PlayerLog played;
};

TEST_F(SegmentEditorTest, PlacingDraggingAndNudgingEdgesGiveTheirTimes)
{
    auto editor = open({{}, {0, 4000}, 4000});
    app::WaveformView* view = editor->view();
    view->setZoom(3, 0); // one millisecond a pixel
    view->scrollTo(view->frameOfMs(1000));

    mouse(view, QEvent::MouseButtonPress, xOfMs(view, 1500), Qt::LeftButton);
    mouse(view, QEvent::MouseButtonRelease, xOfMs(view, 1500), Qt::LeftButton);
    mouse(view, QEvent::MouseButtonPress, xOfMs(view, 1650), Qt::RightButton);
    mouse(view, QEvent::MouseButtonRelease, xOfMs(view, 1650), Qt::RightButton);
    EXPECT_EQ(editor->edit().open, (engine::EditedSegment{1500, 1650}));

    // Dragging the begin edge.
    mouse(view, QEvent::MouseButtonPress, xOfMs(view, 1500) + 2, Qt::LeftButton);
    mouse(view, QEvent::MouseMove, xOfMs(view, 1620), Qt::LeftButton);
    mouse(view, QEvent::MouseButtonRelease, xOfMs(view, 1620), Qt::LeftButton);
    EXPECT_EQ(editor->edit().open.beginMs, 1620);

    key(view, Qt::Key_Right);
    EXPECT_EQ(editor->edit().open.beginMs, 1630);
    key(view, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(editor->edit().open.beginMs, 630);
    // Nudging stops at the file's ends.
    for (int i = 0; i < 3; ++i)
        key(view, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(editor->edit().open.beginMs, 0);

    // "Add segment" commits as "Ok" does and opens a new segment over the file.
    editor->commitOpenSegment();
    ASSERT_EQ(editor->edit().committed.size(), 1u);
    EXPECT_EQ(editor->edit().committed[0], (engine::EditedSegment{0, 1650}));
    EXPECT_EQ(editor->edit().open, (engine::EditedSegment{0, 4000}));

    // A committed segment's edge keeps its begin before its end.
    view->selectEdge({0, false});
    key(view, Qt::Key_Left, Qt::ShiftModifier);
    key(view, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(editor->edit().committed[0], (engine::EditedSegment{0, 0}));

    // An open segment that ends before it begins is refused with the main window's message.
    view->selectEdge({-1, true});
    key(view, Qt::Key_Right, Qt::ShiftModifier);
    view->selectEdge({-1, false});
    for (int i = 0; i < 4; ++i)
        key(view, Qt::Key_Left, Qt::ShiftModifier);
    editor->commitOpenSegment();
    EXPECT_EQ(messages,
              QStringList{QStringLiteral("Start-time must not be larger than end-time.")});
    EXPECT_EQ(editor->edit().committed.size(), 1u);
}

TEST_F(SegmentEditorTest, SnapsToTheNearestZeroCrossing)
{
    auto editor = open({{}, {0, 4000}, 4000});
    app::WaveformView* view = editor->view();
    view->setZoom(0, 0); // one frame a pixel
    view->scrollTo(11900);
    editor->ck_snap()->setChecked(true);
    // Frame 12016 lies 16 frames (2 ms) after the crossing at 12000 (1500 ms).
    mouse(view, QEvent::MouseButtonPress, view->xOf(12016), Qt::LeftButton);
    mouse(view, QEvent::MouseButtonRelease, view->xOf(12016), Qt::LeftButton);
    EXPECT_EQ(editor->edit().open.beginMs, 1500);
}

TEST_F(SegmentEditorTest, PlaysTheSelectionWithTheCursorFollowing)
{
    auto editor = open({{}, {1000, 2000}, 4000});
    editor->playSelection();
    EXPECT_TRUE(editor->playing());
    EXPECT_EQ(editor->view()->cursorFrame(), 8000);
    waitFor([&] { return !editor->playing(); });
    EXPECT_FALSE(editor->playing());
    EXPECT_EQ(editor->view()->cursorFrame(), -1);
    // Exactly the selection's frames were handed to the player.
    EXPECT_EQ(played.loaded.size(), 8000u);
}

// Through the main window: Ok writes the segments back, Cancel does not.
class SegmentEditorWindowTest : public WindowTest {
protected:
    // Opens the editor from the menu; `act` runs on it while it is shown.
    void editWith(const std::function<void(app::Tfm_wave&)>& act)
    {
        bool ran = false;
        QTimer::singleShot(0, window.get(), [&] {
            auto* editor = qobject_cast<app::Tfm_wave*>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            ran = true;
            act(*editor);
        });
        menu(window->p_action(), "Segment Editor");
        EXPECT_TRUE(ran);
    }
};

TEST_F(SegmentEditorWindowTest, OkWritesTheSegmentsBackAndCancelDoesNot)
{
    addThroughDialog({tone("talk.wav", 10.0)});
    auto moveOpen = [](app::Tfm_wave& editor) {
        editor.view()->selectEdge({-1, true});
        editor.view()->nudge(2000);
        editor.view()->selectEdge({-1, false});
        editor.view()->nudge(-3000);
        editor.commitOpenSegment();
    };
    editWith([&](app::Tfm_wave& editor) {
        moveOpen(editor);
        editor.reject();
    });
    const engine::listrecord& entry = window->model().sources().entries()[0];
    EXPECT_EQ(entry.segmentCount, 1);

    editWith([&](app::Tfm_wave& editor) {
        moveOpen(editor);
        editor.accept();
    });
    EXPECT_EQ(entry.segmentCount, 2);
    EXPECT_EQ(entry.begins, (std::vector<int64_t>{2000, 0}));
    EXPECT_EQ(entry.ends, (std::vector<int64_t>{7000, 10000}));
    EXPECT_EQ(column(window->lv_time(), 0), (QStringList{QStringLiteral("00:00:02 - 00:00:07"),
                                                         QStringLiteral("00:00:00 - 00:00:10")}));
    EXPECT_EQ(skinText("tataltime"), QStringLiteral("00:00:05"));
}

TEST_F(SegmentEditorWindowTest, OpensFromADoubleClickAndNotInModeByTime)
{
    addThroughDialog({tone("talk.wav", 3.0)});
    bool opened = false;
    QTimer::singleShot(0, window.get(), [&] {
        if (auto* editor = qobject_cast<app::Tfm_wave*>(QApplication::activeModalWidget())) {
            opened = true;
            editor->reject();
        }
    });
    Q_EMIT window->lv()->itemDoubleClicked(window->lv()->topLevelItem(0), 0);
    EXPECT_TRUE(opened);

    window->state().FunctionChoice = static_cast<int>(engine::Mode::ByTime);
    menu(window->p_action(), "Segment Editor");
    EXPECT_EQ(dialogs.messages.value(0),
              QStringLiteral(
                  "Only chose \"Custom\" or \"unification\" function, this button is usable."));
}

} // namespace
