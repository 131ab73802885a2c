// The main window's details: status texts whole, displays that follow the
// state at once, the job settings on show, one dark look, full paths in
// tooltips, the keys in the menus, and FLAC where sources are chosen.
#include "windowfixture.h"

#include "base/units.h"
#include "engine/segments.h"
#include "engine/sourcelist.h"
#include "settings/dialog/dir.h"
#include "settings/dialog/settings.h"

#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

using namespace brisklet;

namespace {

double meanLightness(const QImage& image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += QColor(image.pixel(x, y)).lightness();
    return sum / std::max(1, image.width() * image.height());
}

QString screenshot(const QString& name)
{
    QString folder =
        QString::fromLocal8Bit(qgetenv("BRISKLET_BUILD_DIR")) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + name;
}

} // namespace

TEST_F(WindowTest, EveryStatusTextAndTheSegmentCaptionShowWhole)
{
    const QTreeWidget* list = window->lv_time();
    const QFontMetrics metrics = list->fontMetrics();
    for (const std::string* status :
         {&engine::segmentstatus::Uncertain, &engine::segmentstatus::Unconvert,
          &engine::segmentstatus::Converting, &engine::segmentstatus::Finish})
        EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(*status)) + 8,
                  list->columnWidth(2))
            << *status;
    EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("00:00:00 - 00:00:00")) + 8,
              list->columnWidth(0));
}

TEST_F(WindowTest, TotalTimeJobSettingsAndPathLineFollowTheStateAtOnce)
{
    const std::string a = tone("a.wav", 20.0);
    const std::string b = tone("b.wav", 3.0);
    addThroughDialog({a, b});
    EXPECT_EQ(window->lb_job()->text(), QStringLiteral("Custom pieces\nNo fades"));
    engine::listrecord& first = window->model().sources().entries()[0];
    first.begins.insert(first.begins.begin(), 1); // a committed segment 1-3 s
    first.ends.insert(first.ends.begin(), 3);
    first.segmentCount = 2;
    window->model().refreshTotalTime();
    const QString custom = skinText("tataltime");

    // The mode changes in Settings: the total and the job line follow when it closes.
    settings::dialog::Tfm_set* settings = window->settingsDialog();
    QTimer::singleShot(0, settings, [settings] {
        settings->findChild<QRadioButton*>(QStringLiteral("rb_time"))->click();
        settings->btn_ok()->click();
    });
    click("Settings");
    EXPECT_EQ(window->state().mode(), engine::Mode::ByTime);
    EXPECT_EQ(skinText("tataltime"), QString::fromStdString(timeTextMs(engine::totalMs(
                                         window->model().sources().entries(), window->state()))));
    EXPECT_NE(skinText("tataltime"), custom);
    EXPECT_EQ(window->lb_job()->text(), QStringLiteral("Pieces of 60 s\nNo fades"));

    // A split shows the path of the source it cuts; Clear empties the line.
    window->state().OutputDirectory = dir.path() + "/";
    test::writeFileBytes(settingsFile(), "[wav]\nmode=2\nfrequency=0\nchannel=0\nbit=1\n");
    window->cb_format()->setCurrentIndex(1);
    click("Split");
    EXPECT_EQ(skinText("nm"), QString::fromStdString(b));
    click("Clear");
    EXPECT_EQ(skinText("nm"), QString());
}

TEST_F(WindowTest, EveryWindowAndTheSourceListsScrollBarLookDark)
{
    std::vector<std::string> many;
    for (int i = 0; i < 16; ++i)
        many.push_back(tone("t" + std::to_string(i) + ".wav", 1.0));
    addThroughDialog(many);
    QScrollBar* bar = window->lv()->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_LT(meanLightness(bar->grab().toImage()), 100.0);
    EXPECT_TRUE(window->grab().save(screenshot(QStringLiteral("main_window_scrolled.png"))));

    const std::pair<QWidget*, const char*> windows[] = {
        {window->settingsDialog(), "settings_dialog.png"},
        {window->folderChooser(), "folder_chooser.png"}};
    for (auto [dialog, name] : windows) {
        dialog->ensurePolished();
        dialog->adjustSize();
        const QImage image = dialog->grab().toImage();
        EXPECT_LT(meanLightness(image), 100.0) << name;
        EXPECT_TRUE(image.save(screenshot(QString::fromLatin1(name))));
    }
}

TEST_F(WindowTest, SourcesWithTheSameCaptionAreToldApartByTheirTooltip)
{
    QDir(QString::fromStdString(dir.path())).mkpath(QStringLiteral("x"));
    QDir(QString::fromStdString(dir.path())).mkpath(QStringLiteral("y"));
    const std::string first = tone("x/same.wav", 2.0);
    const std::string second = tone("y/same.wav", 2.0);
    addThroughDialog({first, second});
    ASSERT_EQ(window->lv()->topLevelItemCount(), 2);
    EXPECT_EQ(window->lv()->topLevelItem(0)->toolTip(0), QString::fromStdString(first));
    EXPECT_EQ(window->lv()->topLevelItem(1)->toolTip(0), QString::fromStdString(second));
    menu(window->p_action(), "File Down");
    EXPECT_EQ(window->lv()->topLevelItem(0)->toolTip(0), QString::fromStdString(second));
}

TEST_F(WindowTest, MenusShowTheKeysThatWork)
{
    struct Case {
        QMenu* menu;
        const char* caption;
        QKeySequence key;
    };
    for (const Case& c : {Case{window->p_file(), "Add File", QKeySequence(QKeySequence::Open)},
                          Case{window->p_action(), "Remove", QKeySequence(QKeySequence::Delete)},
                          Case{window->p_action(), "Split", QKeySequence(Qt::CTRL | Qt::Key_S)},
                          Case{window->p_action(), "Join", QKeySequence(Qt::CTRL | Qt::Key_J)},
                          Case{window->p_action(), "Stop", QKeySequence(Qt::Key_Escape)},
                          Case{window->p_lv(), "Play", QKeySequence(Qt::Key_Space)},
                          Case{window->p_lv(), "ID3 info", QKeySequence(Qt::CTRL | Qt::Key_I)}})
        EXPECT_EQ(window->menuItem(c.menu, QString::fromLatin1(c.caption))->shortcut(), c.key)
            << c.caption;
}

TEST_F(WindowTest, FlacIsOfferedByTheAddDialogAndTakenFromAFolder)
{
    click("addfile");
    EXPECT_TRUE(
        dialogs.lastFilter.section(QStringLiteral(";;"), 0, 0).contains(QStringLiteral("*.flac")));
    EXPECT_TRUE(engine::isFolderSourceName("Song.FLAC"));

    QDir(QString::fromStdString(dir.path())).mkpath(QStringLiteral("music"));
    const std::string wav = tone("music/a.wav", 2.0);
    const std::string flac = dir.file("music/b.flac");
    ASSERT_EQ(test::runCommand("ffmpeg -v error -i " + test::shellQuote(wav) + " " +
                               test::shellQuote(flac))
                  .exitCode,
              0);
    nextFolder = QString::fromStdString(dir.file("music"));
    menu(window->p_file(), "Add Folder");
    EXPECT_EQ(column(window->lv(), 0),
              (QStringList{QStringLiteral("a.wav"), QStringLiteral("b.flac")}));
}
