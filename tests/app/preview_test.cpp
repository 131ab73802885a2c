// Preview playback driven from the window, headless: SDL's disk driver (faster
// than real time, writing what was played to a file) and its dummy driver
// (real time). The player is the real one, wrapped to keep what it was handed.
#include "windowfixture.h"

#include "base/units.h"
#include "tests/mocks/recording_player.h"

#include <QDir>
#include <QPixmap>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>

using namespace brisklet;
using test::EnvOverride;

namespace {

constexpr int kRate = 8000;

// Samples that are never zero, so that played audio stands out from the
// silence a sound device writes around it.
std::vector<float> rampSignal(int64_t frames)
{
    std::vector<float> out;
    for (int64_t f = 0; f < frames; ++f)
        out.push_back((static_cast<float>((f * 37) % 2000) - 999.5f) / 1001.0f);
    return out;
}

std::vector<float> span(const std::vector<float>& samples, int64_t from, int64_t to)
{
    return {samples.begin() + from, samples.begin() + to};
}

// What the disk driver wrote, without the silence before and after the audio.
std::vector<float> audibleSamples(const std::string& path)
{
    const std::string bytes = test::readFileBytes(path);
    std::vector<float> out(bytes.size() / sizeof(float));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
    auto first = std::find_if(out.begin(), out.end(), [](float v) { return v != 0.0f; });
    auto last = std::find_if(out.rbegin(), out.rend(), [](float v) { return v != 0.0f; }).base();
    return first < last ? std::vector<float>(first, last) : std::vector<float>{};
}

// The window, keeping every text "timecaption" was given and every bar position set.
class RecordingWindow : public app::Tfm_main {
public:
    using Tfm_main::Tfm_main;
    void setTimeCaption(const std::string& text) override
    {
        captions.push_back(text);
        Tfm_main::setTimeCaption(text);
    }
    void setBarPosition(int position) override
    {
        Tfm_main::setBarPosition(position);
        bar.push_back(positionBar().position);
    }
    std::vector<std::string> captions;
    std::vector<int> bar;
};

class PreviewTest : public WindowTest {
protected:
    void SetUp() override
    {
        useDriver("disk");
        app::MainWindowSetup setup;
        setup.settingsPath = settingsFile();
        setup.programFolder = programFolder();
        setup.dialogs = &dialogs;
        setup.chooseSourceFolder = [this] { return nextFolder; };
        setup.createPlayer = [this] {
            return std::make_unique<test::RecordingPlayer>(audio::createAudioPlayer(), log);
        };
        auto made = std::make_unique<RecordingWindow>(setup);
        recorded = made.get();
        window = std::move(made);
        window->show();
    }
    void TearDown() override { window.reset(); }

    // The driver for the next SetFormat. The disk driver runs at about 30
    // times real time here.
    void useDriver(const std::string& driver)
    {
        env.clear();
        env.push_back(std::make_unique<EnvOverride>("SDL_AUDIODRIVER", driver));
        env.push_back(std::make_unique<EnvOverride>("SDL_DISKAUDIOFILE", playedFile()));
        env.push_back(std::make_unique<EnvOverride>("SDL_DISKAUDIODELAY", "1"));
    }
    std::string playedFile() const { return dir.file("played.raw"); }

    // A mono source of `seconds`, added through the dialog; its samples as
    // libsndfile reads them.
    std::vector<float> addSource(const std::string& name, int seconds, int rate = kRate)
    {
        test::writePcmFile(dir.file(name), rampSignal(int64_t(seconds) * rate), rate, 1);
        addThroughDialog({dir.file(name)});
        return test::readPcmFile(dir.file(name));
    }
    // Makes segment 0 of entry 0 run from `begin` to `end` seconds with the
    // bar, "Begin", "End" and "Ok", and selects it in the segment list.
    void selectSegment(int begin, int end)
    {
        const int32_t duration = window->model().sources().entries()[0].durationSeconds;
        pb()->SetPosition(static_cast<int>(scaled(begin, range(), duration)));
        click("Begin");
        pb()->SetPosition(static_cast<int>(scaled(end, range(), duration)));
        click("End");
        click("Ok");
        pb()->SetPosition(0);
        // The bar gives milliseconds near the seconds; the test wants them exact.
        engine::listrecord& entry = window->model().sources().entries()[0];
        ASSERT_NEAR(entry.begins[0], begin * 1000, 100);
        ASSERT_NEAR(entry.ends[0], end * 1000, 100);
        entry.begins[0] = begin * 1000;
        entry.ends[0] = end * 1000;
        clickRow(window->lv_time(), 0);
        ASSERT_TRUE(window->state().segmentListFocused);
    }
    // Runs the event loop until `done`, noting the level meters on the way.
    bool waitUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(30))
    {
        const auto until = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            QCoreApplication::processEvents();
            peakL = std::max(peakL, meter("levelL")->GetValue());
            peakR = std::max(peakR, meter("levelR")->GetValue());
            QThread::msleep(1);
        }
        return true;
    }
    bool playing() const { return window->state().previewPlaying; }
    skin::SkinObject* meter(const char* name)
    {
        return window->skinObject(QString::fromUtf8(name));
    }
    skin::SkinObject* pb() const { return window->skinObject(QStringLiteral("pb")); }
    int range() const { return pb()->GetMax() - pb()->GetPageSize(); }
    QString segmentStatus(int row) const { return window->lv_time()->topLevelItem(row)->text(2); }

    // The mouse on "pb": pressed at `fromX`, moved to `toX`, and released
    // there unless `release` is false.
    void dragBar(int fromX, int toX, bool release = true)
    {
        const int y = pb()->GetRect().center().y();
        send(QEvent::MouseButtonPress, QPoint(fromX, y), Qt::LeftButton);
        send(QEvent::MouseMove, QPoint(toX, y), Qt::LeftButton);
        if (release)
            send(QEvent::MouseButtonRelease, QPoint(toX, y), Qt::NoButton);
    }
    void releaseBar(int x)
    {
        send(QEvent::MouseButtonRelease, QPoint(x, pb()->GetRect().center().y()), Qt::NoButton);
    }
    void send(QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(at), window->Skin1().mapToGlobal(QPointF(at)),
                          Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&window->Skin1(), &event);
    }
    void expectIdle()
    {
        EXPECT_FALSE(playing());
        EXPECT_FALSE(window->model().reader().IsOpen());
        EXPECT_EQ(pb()->GetPosition(), 0);
        EXPECT_EQ(skinText("timecaption"), QStringLiteral("00:00:00"));
        EXPECT_EQ(meter("levelL")->GetValue(), 0);
        EXPECT_EQ(meter("levelR")->GetValue(), 0);
    }

    std::vector<std::unique_ptr<EnvOverride>> env;
    test::PlayerLog log;
    RecordingWindow* recorded = nullptr;
    int peakL = 0;
    int peakR = 0;
};

} // namespace

TEST_F(PreviewTest, SegmentHandsOverExactlyItsFramesAndTheBarAndTimeFollowIt)
{
    const std::vector<float> source = addSource("a.wav", 32);
    selectSegment(10, 30);
    recorded->captions.clear();
    recorded->bar.clear();
    click("play");
    ASSERT_TRUE(playing());
    EXPECT_EQ(segmentStatus(0), QStringLiteral("Playing"));
    EXPECT_EQ(log.calls.front(), "SetFormat(8000,1)");
    ASSERT_TRUE(waitUntil([&] { return !playing(); }));

    EXPECT_EQ(log.loaded, span(source, 10 * kRate, 30 * kRate));
    EXPECT_EQ(audibleSamples(playedFile()), log.loaded) << "what was played";
    EXPECT_EQ(segmentStatus(0), QStringLiteral("Ok"));
    // The time counts from the segment's start up to its length; the bar runs
    // to its end, and the stop takes both back to 0.
    ASSERT_GE(recorded->captions.size(), 2u);
    EXPECT_EQ(recorded->captions.back(), "00:00:00");
    EXPECT_EQ(recorded->captions[recorded->captions.size() - 2], "00:00:20");
    EXPECT_TRUE(std::is_sorted(recorded->captions.begin(), recorded->captions.end() - 1));
    ASSERT_GE(recorded->bar.size(), 2u);
    EXPECT_EQ(recorded->bar.back(), 0);
    EXPECT_EQ(recorded->bar[recorded->bar.size() - 2], range());
    EXPECT_TRUE(std::is_sorted(recorded->bar.begin(), recorded->bar.end() - 1));
    EXPECT_GT(peakL, 50);
    EXPECT_EQ(peakR, peakL) << "a mono source shows on both meters";
    expectIdle();
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(PreviewTest, FileFromTheBarPlaysToTheEndAndStopsByItself)
{
    const std::vector<float> source = addSource("a.wav", 12);
    pb()->SetPosition(range() / 4);
    click("play");
    ASSERT_TRUE(playing());
    recorded->bar.clear();
    const int64_t start = scaled(range() / 4, 12 * kRate, range());
    ASSERT_TRUE(waitUntil([&] { return !playing(); }));
    EXPECT_EQ(log.loaded, span(source, start, 12 * kRate));
    // The bar runs on from where it stood to its end.
    ASSERT_GE(recorded->bar.size(), 2u);
    EXPECT_GE(recorded->bar.front(), range() / 4);
    EXPECT_TRUE(std::is_sorted(recorded->bar.begin(), recorded->bar.end() - 1));
    EXPECT_EQ(recorded->bar[recorded->bar.size() - 2], range());
    EXPECT_EQ(recorded->captions[recorded->captions.size() - 2], "00:00:12");
    expectIdle();

    // The bar at 0 again: the next preview starts at frame 0.
    log.loaded.clear();
    click("play");
    ASSERT_TRUE(waitUntil([&] { return !playing(); }));
    EXPECT_EQ(log.loaded, source);
}

TEST_F(PreviewTest, PlayAndTheStepsWhilePlayingDoNothing)
{
    useDriver("dummy");
    addSource("a.wav", 20);
    selectSegment(2, 18);
    click("play");
    ASSERT_TRUE(waitUntil([&] { return pb()->GetPosition() > 0; }));
    const std::vector<std::string> calls = log.calls;
    const int position = pb()->GetPosition();
    const QString caption = skinText("timecaption");
    for (const char* command : {"play", "qian", "hou"})
        click(command);
    menu(window->p_lv(), "Play");
    clickRow(window->lv(), 0);
    EXPECT_EQ(log.calls, calls);
    EXPECT_EQ(pb()->GetPosition(), position);
    EXPECT_EQ(skinText("timecaption"), caption);
    EXPECT_EQ(segmentStatus(0), QStringLiteral("Playing"));
    click("stop");
    EXPECT_EQ(log.calls.back(), "Stop");
    EXPECT_EQ(segmentStatus(0), QStringLiteral("Ok"));
    expectIdle();
}

TEST_F(PreviewTest, EveryRouteStopsThePreview)
{
    useDriver("dummy");
    addSource("a.wav", 20);
    const std::string other = tone("b.wav", 2.0);
    const std::vector<std::pair<const char*, std::function<void()>>> routes = {
        {"stop", [&] { click("stop"); }},
        {"Stop", [&] { click("Stop"); }},
        {"popup Stop", [&] { menu(window->p_lv(), "Stop"); }},
        {"Action Stop", [&] { menu(window->p_action(), "Stop"); }},
        {"adding a file", [&] { addThroughDialog({other}); }},
        {"closing", [&] { window->close(); }},
    };
    for (const auto& [name, route] : routes) {
        SCOPED_TRACE(name);
        clickRow(window->lv(), 0);
        click("play");
        ASSERT_TRUE(playing());
        route();
        expectIdle();
    }
    EXPECT_EQ(log.count("Play"), static_cast<int>(routes.size()));
    EXPECT_EQ(window->lv()->topLevelItemCount(), 2);
}

TEST_F(PreviewTest, StepsMoveAboutASecondAndNothingForAFileShorterThanOne)
{
    // 600 s: Max 1200, PageSize 57, so 1143 div 600 = 1 and a step is 2.
    addSource("long.wav", 600, 1000);
    EXPECT_EQ(pb()->GetMax(), 1200);
    EXPECT_EQ(range(), 1143);
    click("qian");
    EXPECT_EQ(pb()->GetPosition(), 2);
    EXPECT_EQ(skinText("timecaption"), QStringLiteral("00:00:01.050"));
    click("qian");
    EXPECT_EQ(pb()->GetPosition(), 4);
    click("hou");
    click("hou");
    click("hou");
    EXPECT_EQ(pb()->GetPosition(), 0);
    EXPECT_EQ(skinText("timecaption"), QStringLiteral("00:00:00"));

    // 60 s: Max 1084, PageSize 51, so a step is 1033 div 60 = 17.
    click("Clear");
    addSource("minute.wav", 60);
    EXPECT_EQ(range(), 1033);
    click("qian");
    EXPECT_EQ(pb()->GetPosition(), 17);
    EXPECT_EQ(skinText("timecaption"), QStringLiteral("00:00:00.987"));
    // A step that would reach the end shows nothing.
    pb()->SetPosition(1020);
    click("qian");
    EXPECT_EQ(pb()->GetPosition(), 1020);
    pb()->SetPosition(5);
    click("hou");
    EXPECT_EQ(pb()->GetPosition(), 0);

    // A folder takes a file shorter than a second with a duration of 0.
    click("Clear");
    QDir(QString::fromStdString(dir.path())).mkpath(QStringLiteral("short"));
    test::writeToneWav(dir.file("short/half.wav"), kRate / 2, kRate, 1);
    nextFolder = QString::fromStdString(dir.file("short"));
    menu(window->p_file(), "Add Folder");
    ASSERT_EQ(window->model().sources().entries().at(0).durationSeconds, 0);
    pb()->SetPosition(3);
    window->setTimeCaption("00:00:00");
    click("qian");
    click("hou");
    EXPECT_EQ(pb()->GetPosition(), 3);
    EXPECT_EQ(skinText("timecaption"), QStringLiteral("00:00:00"));
    EXPECT_TRUE(log.calls.empty()) << "steps never touch the player";
}

TEST_F(PreviewTest, DraggingTheBarMovesThePlaybackAndTheEndStopsItAtMouseUp)
{
    useDriver("dummy");
    const std::vector<float> source = addSource("a.wav", 32);
    selectSegment(10, 30);
    click("play");
    ASSERT_TRUE(waitUntil([&] { return pb()->GetPosition() > 0; }));
    const QRect track = pb()->GetRect();

    // While the mouse holds the thumb the playback does not move it, and the
    // time shown is within the segment.
    dragBar(track.left(), track.center().x(), false);
    const int dragged = pb()->GetPosition();
    ASSERT_GT(dragged, range() / 4);
    ASSERT_LT(dragged, range() * 3 / 4);
    EXPECT_EQ(skinText("timecaption"),
              QString::fromStdString(timeTextMs(scaled(dragged, 20000, range()))));
    const int timersAtDrag = log.timers;
    ASSERT_TRUE(waitUntil([&] { return log.timers >= timersAtDrag + 3; }));
    EXPECT_EQ(pb()->GetPosition(), dragged);
    EXPECT_TRUE(window->state().positionDragging);

    // Let go: the blocks come from the segment's frame at that position.
    releaseBar(track.center().x());
    ASSERT_TRUE(playing());
    ASSERT_EQ(log.flushedAt.size(), 1u);
    const size_t before = log.flushedAt[0];
    ASSERT_TRUE(waitUntil([&] { return log.loaded.size() > before; }));
    const int64_t from = 10 * kRate + scaled(dragged, 20 * kRate, range());
    EXPECT_EQ(
        span(log.loaded, static_cast<int64_t>(before), static_cast<int64_t>(log.loaded.size())),
        span(source, from, 30 * kRate));
    ASSERT_TRUE(waitUntil([&] { return pb()->GetPosition() > dragged; }));

    // A drag to the end stops the preview when the mouse lets go.
    dragBar(track.center().x(), track.right() + 40, false);
    EXPECT_EQ(pb()->GetPosition(), range());
    EXPECT_TRUE(playing());
    releaseBar(track.right() + 40);
    EXPECT_EQ(segmentStatus(0), QStringLiteral("Ok"));
    EXPECT_FALSE(window->state().positionDragging);
    expectIdle();
}

TEST_F(PreviewTest, NoSoundDeviceGivesOneMessageAndTheWindowGoesOn)
{
    useDriver("nonexistent");
    addSource("a.wav", 20);
    pb()->SetPosition(100);
    click("play");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(QStringLiteral("No audio output is available")))
        << dialogs.messages[0].toStdString();
    EXPECT_FALSE(playing());
    EXPECT_FALSE(window->model().reader().IsOpen());
    EXPECT_EQ(pb()->GetPosition(), 100) << "the bar stays where the user put it";

    selectSegment(2, 5);
    click("play");
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_FALSE(playing());
    EXPECT_EQ(segmentStatus(0), QStringLiteral("Ok"));

    // The window goes on: the steps work, and so does play once a device is there.
    clickRow(window->lv(), 0);
    click("qian");
    EXPECT_EQ(pb()->GetPosition(), range() / 20);
    useDriver("dummy");
    click("play");
    EXPECT_TRUE(playing());
    click("stop");
    expectIdle();
    EXPECT_EQ(dialogs.messages.size(), 2);
}
