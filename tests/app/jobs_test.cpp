// Split and join run from the window as the user runs them: segments set with
// the position bar, the skin's buttons and the menus, the save dialog answered
// by the test, and "Stop" pressed while a job runs.
#include "app/mainwindow_jobs.h"
#include "engine/segments.h"
#include "smallmount.h"
#include "windowfixture.h"

#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QTimer>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>

using namespace brisklet;
using namespace brisklet::test;

namespace {

const char* wav8kMono = "[wav]\nmode=2\nfrequency=0\nchannel=0\nbit=1\n";

class JobsWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        // Format settings are read from the file for every output.
        writeFileBytes(settingsFile(), wav8kMono);
        out = dir.file("out") + "/";
        std::filesystem::create_directory(out);
        window->state().OutputDirectory = out;
        window->cb_format()->setCurrentIndex(1); // WAV
    }

    engine::MainState& state() { return window->state(); }
    engine::listrecord& entry(int i) { return window->model().sources().entries().at(i); }
    std::string outFile(const std::string& name) const { return out + name; }
    QString outputFolderUrl() const
    {
        return QUrl::fromLocalFile(QString::fromStdString(out)).toString();
    }
    static int64_t frames(const std::string& path)
    {
        return static_cast<int64_t>(readPcmFile(path).size()); // mono sources
    }

    engine::listrecord& editedEntry()
    {
        return entry(state().mode() == engine::Mode::Unification ? 0 : window->selectedSourceRow());
    }
    // Moves the position bar to the position nearest to `seconds`.
    void setBar(int32_t seconds)
    {
        const int64_t duration = editedEntry().wholeMs();
        const int range = window->positionBar().usableRange();
        int best = 0;
        for (int p = 0; p <= range; ++p) {
            if (std::abs(engine::timeAtBar(p, duration, range) - seconds * 1000) <
                std::abs(engine::timeAtBar(best, duration, range) - seconds * 1000))
                best = p;
        }
        window->skinObject(QStringLiteral("pb"))->SetPosition(best);
    }
    // "Begin", "End" and "Ok" with the bar at the two times. The bar gives
    // milliseconds near them; the committed segment is then made exact.
    void commitSegment(int32_t begin, int32_t end)
    {
        setBar(begin);
        click("Begin");
        setBar(end);
        click("End");
        click("Ok");
        engine::listrecord& e = editedEntry();
        const size_t committed = static_cast<size_t>(e.segmentCount) - 2;
        ASSERT_NEAR(e.begins.at(committed), begin * 1000, 100);
        ASSERT_NEAR(e.ends.at(committed), end * 1000, 100);
        e.begins[committed] = int64_t{begin} * 1000;
        e.ends[committed] = int64_t{end} * 1000;
    }

    // Runs `action` once, from inside the next job, as soon as its first piece
    // shows progress: the user clicking while the job runs.
    void whileRunning(std::function<void()> action)
    {
        auto* timer = new QTimer(window.get());
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, action] {
            if (!state().converting || skinText("pbpos").isEmpty())
                return;
            timer->stop();
            action();
            timer->deleteLater();
        });
        timer->start();
    }

    void answerSave(const std::string& name, int filterIndex)
    {
        dialogs.nextSave = app::SaveAnswer{QString::fromStdString(outFile(name)), filterIndex};
    }

    std::string out;
};

} // namespace

TEST_F(JobsWindowTest, SplitButtonCutsTheCommittedSegmentsAndOpensTheFolder)
{
    addThroughDialog({tone("song.wav", 30.0)});
    commitSegment(2, 7);
    commitSegment(10, 12);
    ASSERT_EQ(entry(0).segmentCount, 3);

    click("Split");

    EXPECT_TRUE(dialogs.messages.isEmpty())
        << dialogs.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(frames(outFile("song_1.wav")), 5 * 8000);
    EXPECT_EQ(frames(outFile("song_2.wav")), 2 * 8000);
    EXPECT_FALSE(std::filesystem::exists(outFile("song_3.wav")));
    // The open segment left the list for the job and is back in the entry.
    EXPECT_EQ(column(window->lv_time(), 2),
              (QStringList{QStringLiteral("Finish"), QStringLiteral("Finish")}));
    EXPECT_EQ(entry(0).segmentCount, 3);
    EXPECT_EQ(dialogs.opened, QStringList{outputFolderUrl()});
    EXPECT_EQ(skinText("pbpos"), QString());
    EXPECT_FALSE(state().converting);
}

TEST_F(JobsWindowTest, MenuSplitByTimeAndByCountNumbersOnAndOpensNoFolder)
{
    addThroughDialog({tone("a.wav", 125.0)});
    state().FunctionChoice = static_cast<int>(engine::Mode::ByTime);
    state().splitMs = 60000;
    menu(window->p_action(), "Split");

    EXPECT_EQ(frames(outFile("a_1.wav")), 60 * 8000);
    EXPECT_EQ(frames(outFile("a_2.wav")), 60 * 8000);
    EXPECT_EQ(frames(outFile("a_3.wav")), 5 * 8000);
    EXPECT_EQ(column(window->lv_time(), 2), QStringList(3, QStringLiteral("Finish")));

    state().FunctionChoice = static_cast<int>(engine::Mode::ByCount);
    state().splitCount = 6;
    menu(window->p_action(), "Split");

    // Six pieces of 20 s after the three that are there: nothing is replaced.
    EXPECT_EQ(frames(outFile("a_3.wav")), 5 * 8000);
    for (int n = 4; n <= 9; ++n)
        EXPECT_EQ(frames(outFile("a_" + std::to_string(n) + ".wav")), 20 * 8000) << n;
    EXPECT_FALSE(std::filesystem::exists(outFile("a_10.wav")));
    EXPECT_TRUE(dialogs.opened.isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(JobsWindowTest, UnificationAppliesTheSharedSegmentsToEverySource)
{
    state().FunctionChoice = static_cast<int>(engine::Mode::Unification);
    addThroughDialog({tone("long.wav", 20.0), tone("short.wav", 15.0)});
    commitSegment(10, 20);
    commitSegment(16, 17);

    click("Split");

    EXPECT_EQ(frames(outFile("long_1.wav")), 10 * 8000);
    EXPECT_EQ(frames(outFile("long_2.wav")), 1 * 8000);
    EXPECT_EQ(frames(outFile("short_1.wav")), 5 * 8000); // clipped to its end
    EXPECT_FALSE(std::filesystem::exists(outFile("short_2.wav")));
    EXPECT_EQ(entry(0).segmentCount, 3);
}

TEST_F(JobsWindowTest, StopDuringASplitRemovesThePartialPieceAndSaysSo)
{
    addThroughDialog({tone("a.wav", 20.0), tone("b.wav", 20.0)});
    state().FunctionChoice = static_cast<int>(engine::Mode::ByTime);
    state().splitMs = 10000;
    int fileDialogs = dialogs.fileDialogs;
    whileRunning([this] {
        click("addfile"); // turned away while the job runs
        click("Split");
        click("Stop");
    });

    click("Split");

    EXPECT_TRUE(std::filesystem::is_empty(out));
    EXPECT_EQ(dialogs.fileDialogs, fileDialogs);
    EXPECT_EQ(window->lv_time()->topLevelItem(0)->text(2), QStringLiteral("Unconvert"));
    EXPECT_EQ(skinText("nm"), QStringLiteral("Split stopped: 0 pieces written."));
    EXPECT_EQ(skinText("pbpos"), QString());
    EXPECT_FALSE(state().converting);
    EXPECT_EQ(dialogs.opened, QStringList{outputFolderUrl()});
}

TEST_F(JobsWindowTest, JoinAsksForTheNameWithTheFourTypesAndJoinsWholeSources)
{
    std::string a = tone("a.wav", 2.0);
    std::string b = tone("b.wav", 3.0);
    addThroughDialog({a, b});
    state().FunctionChoice = static_cast<int>(engine::Mode::ByTime);
    window->cb_format()->setCurrentIndex(0); // MP3 in the list, WAV in the dialog
    answerSave("mix", 2);

    click("Join");

    EXPECT_EQ(dialogs.saveFolders, QStringList{QString::fromStdString(out)});
    EXPECT_EQ(dialogs.saveFilterIndexes, QList<int>{1});
    EXPECT_EQ(dialogs.saveFilters, app::joinFileFilter);
    EXPECT_EQ(dialogs.saveFilters.split(QStringLiteral(";;")).size(),
              app::formatListItems().size()); // one type per item of the format list
    EXPECT_EQ(window->cb_format()->currentIndex(), 1);
    std::vector<float> expected = readPcmFile(a);
    std::vector<float> second = readPcmFile(b);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_TRUE(readPcmFile(outFile("mix.wav")) == expected);
    EXPECT_EQ(column(window->lv_time(), 0), QStringList{QStringLiteral("00:00:00 - 00:00:03")});
    EXPECT_EQ(column(window->lv_time(), 2), QStringList{QStringLiteral("Finish")});
    EXPECT_EQ(dialogs.opened, QStringList{outputFolderUrl()});
    EXPECT_FALSE(state().converting);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(JobsWindowTest, LosslessJoinKeepsItsChoiceThroughTheSaveDialogAndCopies)
{
    std::string a = tone("a.wav", 1.0);
    std::string b = tone("b.wav", 2.0);
    addThroughDialog({a, b});
    state().FunctionChoice = static_cast<int>(engine::Mode::ByTime);
    const int lossless = static_cast<int>(audio::allOutputFormats.size());
    window->cb_format()->setCurrentIndex(lossless);
    answerSave("mix", lossless + 1);

    click("Join");

    EXPECT_EQ(dialogs.saveFilterIndexes, QList<int>{lossless + 1});
    EXPECT_EQ(window->cb_format()->currentIndex(), lossless);
    std::vector<float> expected = readPcmFile(a);
    std::vector<float> second = readPcmFile(b);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_TRUE(readPcmFile(outFile("mix.wav")) == expected);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
}

TEST_F(JobsWindowTest, JoinTakesOwnSegmentsInCustomAndSharedOnesInUnification)
{
    addThroughDialog({tone("a.wav", 10.0), tone("b.wav", 3.0)});
    commitSegment(1, 3); // on a; b keeps its one segment over the whole file
    answerSave("custom", 2);
    menu(window->p_action(), "Join");
    EXPECT_EQ(frames(outFile("custom.wav")), (2 + 3) * 8000);
    EXPECT_EQ(entry(0).segmentCount, 2);

    state().FunctionChoice = static_cast<int>(engine::Mode::Unification);
    clickRow(window->lv(), 0);
    commitSegment(5, 10);
    answerSave("shared", 2);
    menu(window->p_action(), "Join");
    // a: 1-3 and 5-10; b (3 s): 1-3, and 5-10 starts past its end.
    EXPECT_EQ(frames(outFile("shared.wav")), (2 + 5 + 2) * 8000);
    EXPECT_EQ(dialogs.opened.size(), 2);
}

TEST_F(JobsWindowTest, CancelledJoinOrRefusedReplaceRunsNothing)
{
    addThroughDialog({tone("a.wav", 1.0)});
    click("Join");
    EXPECT_EQ(dialogs.saveFilterIndexes.size(), 1);
    EXPECT_TRUE(dialogs.opened.isEmpty());

    writeFileBytes(outFile("mix.wav"), "old");
    answerSave("mix", 2);
    dialogs.nextConfirm = false;
    click("Join");
    EXPECT_EQ(dialogs.questions,
              QStringList{app::replaceQuestion(QString::fromStdString(outFile("mix.wav")))});
    EXPECT_EQ(readFileBytes(outFile("mix.wav")), "old");
    EXPECT_TRUE(dialogs.opened.isEmpty());
    EXPECT_FALSE(state().converting);

    dialogs.nextConfirm = true;
    click("Join");
    EXPECT_EQ(frames(outFile("mix.wav")), 8000);
    EXPECT_EQ(dialogs.opened.size(), 1);
}

TEST_F(JobsWindowTest, StopDuringAJoinKeepsTheFileItWasToReplace)
{
    addThroughDialog({tone("a.wav", 10.0), tone("b.wav", 10.0)});
    state().FunctionChoice = static_cast<int>(engine::Mode::ByTime);
    writeFileBytes(outFile("mix.wav"), "old");
    answerSave("mix", 2);
    dialogs.nextConfirm = true;
    whileRunning([this] { menu(window->p_action(), "Stop"); });

    click("Join");

    EXPECT_EQ(readFileBytes(outFile("mix.wav")), "old");
    EXPECT_EQ(skinText("nm"), QStringLiteral("Join stopped: nothing written."));
    EXPECT_EQ(dialogs.opened, QStringList{outputFolderUrl()});
    EXPECT_FALSE(state().converting);
    EXPECT_EQ(skinText("pbpos"), QString());
}

TEST_F(JobsWindowTest, AnErrorIsShownOnceAndTheWindowStaysUsable)
{
    std::string gone = tone("gone.wav", 4.0);
    addThroughDialog({tone("a.wav", 4.0), gone});
    clickRow(window->lv(), 1);
    commitSegment(0, 1);
    std::filesystem::remove(gone);

    click("Split");

    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("gone.wav")))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(std::filesystem::exists(outFile("a_1.wav")));
    EXPECT_TRUE(dialogs.opened.isEmpty()); // the split did not end normally
    EXPECT_FALSE(state().converting);
    EXPECT_EQ(skinText("pbpos"), QString());
    EXPECT_EQ(entry(1).segmentCount, 2);

    answerSave("mix", 2);
    click("Join");
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.opened.isEmpty());
    EXPECT_FALSE(state().converting);

    // With the source back, both jobs run again.
    writeToneWav(gone, 4 * 8000, 8000, 1);
    click("Split");
    EXPECT_EQ(frames(outFile("gone_1.wav")), 8000);
    dialogs.nextConfirm = true; // the failed join left its output behind
    click("Join");
    EXPECT_EQ(frames(outFile("mix.wav")), 5 * 8000);
    EXPECT_EQ(dialogs.messages.size(), 2);
}

TEST_F(JobsWindowTest, AFullOutputFolderEndsTheSplitWithOneMessageAndTheWindowStaysUsable)
{
    SmallMount mount(128 * 1024); // room for one piece of 80 kB, not two
    if (!mount.mounted())
        GTEST_SKIP() << "needs a tmpfs mount: " << mount.reason();
    addThroughDialog({tone("a.wav", 20.0)});
    state().FunctionChoice = static_cast<int>(engine::Mode::ByTime);
    state().splitMs = 5000;
    state().OutputDirectory = mount.path() + "/";

    click("Split");

    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QString::fromStdString(mount.path())))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("disk full")))
        << dialogs.messages[0].toStdString();
    // The whole piece stays; the one the disk refused leaves nothing behind.
    EXPECT_EQ(folderNames(mount.path()), std::vector<std::string>{"a_1.wav"});
    EXPECT_EQ(frames(mount.file("a_1.wav")), 5 * 8000);
    EXPECT_TRUE(dialogs.opened.isEmpty());
    EXPECT_FALSE(state().converting);
    EXPECT_EQ(skinText("pbpos"), QString());

    // Pointed at a folder with room, the same list splits whole.
    state().OutputDirectory = out;
    click("Split");
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(frames(outFile("a_" + std::to_string(n) + ".wav")), 5 * 8000) << n;
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.opened, QStringList{outputFolderUrl()});
}

// The real save dialog behind the seam: it opens on the type asked for and
// gives back the name as typed with the type chosen.
TEST(WidgetSaveDialog, GivesTheTypedNameAndTheChosenType)
{
    TempDir dir;
    app::WidgetDialogs dialogs;
    QString shownFilter;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no save dialog";
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* other = qobject_cast<QDialog*>(widget))
                    other->reject();
            }
            return;
        }
        shownFilter = dialog->selectedNameFilter();
        dialog->selectNameFilter(QStringLiteral("OGG Files(*.ogg)"));
        dialog->selectFile(QString::fromStdString(dir.file("mix")));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the name
    });

    std::optional<app::SaveAnswer> answer =
        dialogs.chooseSaveFile(nullptr, QString::fromStdString(dir.path()), app::joinFileFilter, 2);

    EXPECT_EQ(shownFilter, QStringLiteral("WAV Files(*.wav)"));
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->fileName, QString::fromStdString(dir.file("mix")));
    EXPECT_EQ(answer->filterIndex, 4);
}

// The Pieces submenu fills the selected source's segments: pauses found in it,
// labels imported, and the segments exported as labels again.
TEST_F(JobsWindowTest, PiecesMenuProposesPausesAndLabelsAndExportsThem)
{
    constexpr int rate = 8000;
    std::vector<float> talk(static_cast<size_t>(13 * rate), 0.0f);
    for (size_t i = 0; i < talk.size(); ++i) {
        if (i < 6 * rate || i >= 7 * rate)
            talk[i] = 0.5f * static_cast<float>(std::sin(0.3 * static_cast<double>(i)));
    }
    writePcmFile(dir.file("talk.wav"), talk, rate, 1);
    addThroughDialog({dir.file("talk.wav")});
    QMenu* pieces = window->p_action()->findChild<QMenu*>(QStringLiteral("p_pieces"));
    ASSERT_NE(pieces, nullptr);

    menu(pieces, "Find Pauses");
    ASSERT_GE(entry(0).segmentCount, 2);
    EXPECT_EQ(entry(0).begins.at(0), 0);
    EXPECT_NEAR(entry(0).ends.at(0), 6500, 10); // cut in the middle of the pause
    EXPECT_NEAR(entry(0).begins.at(1), 6500, 10);

    writeFileBytes(dir.file("marks.txt"), "1.5\t3.25\tIntro\n4\t5\tTwo\n");
    dialogs.nextFiles = {QString::fromStdString(dir.file("marks.txt"))};
    menu(pieces, "Import Labels...");
    EXPECT_EQ(entry(0).begins.at(0), 1500);
    EXPECT_EQ(entry(0).ends.at(0), 3250);
    EXPECT_EQ(entry(0).begins.at(1), 4000);
    EXPECT_EQ(entry(0).ends.at(1), 5000);
    EXPECT_EQ(window->lv_time()->topLevelItem(0)->text(0),
              QStringLiteral("00:00:01.500 - 00:00:03.250"));

    answerSave("exported", 1);
    menu(pieces, "Export Labels...");
    EXPECT_EQ(readFileBytes(outFile("exported.txt")),
              "1.500000\t3.250000\tIntro\n4.000000\t5.000000\tTwo\n");
}
