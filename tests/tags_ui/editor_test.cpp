// The tag editor driven through its controls over a main window holding real
// tagged files: the working copy, Ok, Reset, Cancel, "All", the genre list and
// the column width, and the tag records following their rows.
#include "tags/editor/tfm_id3.h"
#include "tags/id3.h"
#include "tags/ogg.h"
#include "tags/wmatag.h"
#include "tagtestfiles.h"
#include "tests/app/windowfixture.h"

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTimer>

#include <functional>

// Tags are written with designated initializers; the fields left out are
// meant to be empty.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace brisklet;
using tags::AudioFileinfo;
using tags::editor::TagField;
using tags::editor::Tfm_id3;

// Readable failures.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
namespace brisklet::tags {
static void PrintTo(const AudioFileinfo& r, std::ostream* out)
{
    *out << "{" << r.Title << "|" << r.Artist << "|" << r.Year << "|" << r.Album << "|" << r.Comment
         << "|" << r.Genre << "}";
}
} // namespace brisklet::tags

namespace {

// Key presses and mouse clicks as the window system delivers them.
void keyClick(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = {},
              const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(widget, &release);
}

void keyClicks(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        if (c == QLatin1Char('\n'))
            keyClick(widget, Qt::Key_Return, {}, QStringLiteral("\r"));
        else
            keyClick(widget, Qt::Key_unknown, {}, QString(c));
    }
}

void mouseClick(QWidget* widget, QPoint at, Qt::KeyboardModifiers modifiers = {})
{
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      modifiers);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        modifiers);
    QCoreApplication::sendEvent(widget, &release);
}

class TagEditorTest : public test::WindowTest {
protected:
    Tfm_id3& editor() { return *window->tagEditor(); }

    std::string mp3(const std::string& name, const tags::ID3StructV2& tag)
    {
        const std::string path = test::makeEncodedTone(dir, name, 1.5);
        tags::WriteID3v2(path, tag);
        return path;
    }
    std::string ogg(const std::string& name, const tags::OGGTag& tag)
    {
        const std::string path = test::makeEncodedTone(dir, name, 1.5);
        tags::WriteOggComments(path, tag);
        return path;
    }
    std::string wma(const std::string& name, const tags::WMATagStruct& tag)
    {
        const std::string path = test::makeEncodedTone(dir, name, 1.5);
        tags::WriteWmaTag(path, tag);
        return path;
    }
    // Three tagged files whose captions are their titles.
    void addThreeTaggedFiles()
    {
        addThroughDialog({mp3("a.mp3", {.Title = "Alpha",
                                        .Artist = "Ann",
                                        .Album = "First",
                                        .Year = "1999",
                                        .Comment = "mp3 note",
                                        .Genre = "Jazz"}),
                          ogg("b.ogg", {.Album = "Beta",
                                        .Title = "Second",
                                        .Artist = "Bob",
                                        .Comment = "ogg note",
                                        .Genre = "Rock",
                                        .Date = "2001"}),
                          wma("c.wma", {.Year = "2002",
                                        .Track = 7,
                                        .Artist = "Cid",
                                        .Title = "Third",
                                        .Album = "Gamma",
                                        .Comment = "wma note",
                                        .Genre = "Pop"})});
        ASSERT_EQ(window->lv()->topLevelItemCount(), 3);
    }
    const tags::TagList& tagList() { return window->model().sources().TagList(); }

    // Opens the editor through `menu`'s "ID3 info" and does `act` while it is
    // shown modally; the editor is cancelled afterwards if `act` left it open.
    void withEditor(const std::function<void()>& act, QMenu* from = nullptr)
    {
        bool ran = false;
        QTimer::singleShot(0, &editor(), [&] {
            ran = true;
            editor().activateWindow();
            QCoreApplication::processEvents(); // the list lays out its rows
            act();
            if (editor().isVisible())
                editor().reject();
        });
        menu(from ? from : window->p_action(), "ID3 info");
        EXPECT_TRUE(ran) << "the editor did not open";
        EXPECT_FALSE(editor().isVisible());
    }
    using WindowTest::clickRow;
    void clickRow(int row)
    {
        QTreeWidget* list = editor().lv_id3();
        QTreeWidgetItem* item = list->topLevelItem(row);
        ASSERT_NE(item, nullptr);
        list->setFocus();
        mouseClick(list->viewport(), list->visualItemRect(item).center());
    }
    // Replaces a box's text as the keyboard does.
    void type(QWidget* box, const QString& text)
    {
        if (auto* combo = qobject_cast<QComboBox*>(box))
            box = combo->lineEdit();
        box->setFocus();
        keyClick(box, Qt::Key_A, Qt::ControlModifier);
        keyClick(box, Qt::Key_Delete);
        keyClicks(box, text);
    }
    static QString screenshotFolder()
    {
        QString folder =
            QString::fromLocal8Bit(qgetenv("BRISKLET_BUILD_DIR")) + QStringLiteral("/screenshots");
        QDir().mkpath(folder);
        return folder;
    }
    QStringList editorCaptions() { return column(editor().lv_id3(), 0); }
    std::vector<std::string> artists()
    {
        std::vector<std::string> out;
        for (const AudioFileinfo& record : tagList())
            out.push_back(record.Artist);
        return out;
    }
};

} // namespace

TEST_F(TagEditorTest, BothMenuItemsOpenTheEditorAtTheMainWindowsCorner)
{
    addThreeTaggedFiles();
    for (QMenu* from : {window->p_action(), window->p_lv()}) {
        withEditor(
            [&] {
                EXPECT_EQ(editor().windowTitle(), QStringLiteral("ID3 Edit"));
                EXPECT_TRUE(editor().isModal());
                EXPECT_EQ(editor().pos(), window->frameGeometry().topLeft());
                EXPECT_EQ(editor().lv_id3()->headerItem()->text(0), QStringLiteral("File Name"));
                EXPECT_EQ(editorCaptions(),
                          (QStringList{QStringLiteral("Alpha"), QStringLiteral("Second"),
                                       QStringLiteral("Third")}));
                EXPECT_EQ(editor().selectedRow(), 0);
                EXPECT_EQ(editor().returnRow(), 0);
                EXPECT_EQ(editor().edt_tatal()->text(), QStringLiteral("Alpha"));
                EXPECT_EQ(editor().edt_art()->text(), QStringLiteral("Ann"));
                EXPECT_EQ(editor().edt_genre()->currentText(), QStringLiteral("Jazz"));
                EXPECT_EQ(editor().edt_com()->toPlainText(), QStringLiteral("mp3 note"));
                EXPECT_EQ(editor().edt_year()->text(), QStringLiteral("1999"));
                // Keyboard: the list has the focus and Down loads the next row.
                keyClick(editor().lv_id3(), Qt::Key_Down);
                EXPECT_EQ(editor().selectedRow(), 1);
                EXPECT_EQ(editor().edt_art()->text(), QStringLiteral("Bob"));
                keyClick(&editor(), Qt::Key_Escape);
            },
            from);
    }
}

TEST_F(TagEditorTest, CancelEscapeAndTheCloseBoxLeaveTheTagListUnchanged)
{
    addThreeTaggedFiles();
    const tags::TagList before = tagList();
    const std::function<void()> closers[] = {
        [&] { editor().bt_cancel()->click(); },
        [&] { keyClick(editor().edt_alb(), Qt::Key_Escape); },
        [&] { editor().close(); },
    };
    for (const auto& closeEditor : closers) {
        withEditor([&] {
            type(editor().edt_art(), QStringLiteral("Changed"));
            editor().allButton(TagField::Album)->click();
            EXPECT_EQ(editor().workingCopy()[0].Artist, "Changed");
            closeEditor();
            EXPECT_EQ(editor().lv_id3()->topLevelItemCount(), 0);
        });
        EXPECT_EQ(tagList(), before);
    }
    EXPECT_EQ(
        column(window->lv(), 0),
        (QStringList{QStringLiteral("Alpha"), QStringLiteral("Second"), QStringLiteral("Third")}));
}

TEST_F(TagEditorTest, ResetRestoresEveryRowToTheCommittedValues)
{
    addThreeTaggedFiles();
    const tags::TagList before = tagList();
    withEditor([&] {
        type(editor().edt_tatal(), QStringLiteral("Renamed"));
        clickRow(2);
        type(editor().edt_year(), QStringLiteral("1984"));
        editor().allButton(TagField::Genre)->click();
        ASSERT_EQ(editorCaptions()[0], QStringLiteral("Renamed")); // left the Title box
        editor().bt_reset()->click();
        EXPECT_EQ(editorCaptions(), column(window->lv(), 0));
        EXPECT_EQ(editor().selectedRow(), 0);
        EXPECT_EQ(editor().edt_tatal()->text(), QStringLiteral("Alpha"));
        EXPECT_EQ(editor().workingCopy(), before);
        editor().bt_ok()->click();
    });
    EXPECT_EQ(tagList(), before);
}

TEST_F(TagEditorTest, OkCommitsTheWorkingCopyAndCaptionsFollowTheTitles)
{
    const std::string untagged = tone("untagged.wav", 1.0);
    addThroughDialog({untagged, mp3("a.mp3", {"Alpha", "Ann", "", "", "", "", ""})});
    ASSERT_EQ(tagList()[0].Title, "");
    withEditor([&] {
        // A file without a tag title shows its caption as the Title.
        EXPECT_EQ(editor().edt_tatal()->text(), QStringLiteral("untagged.wav"));
        clickRow(1);
        EXPECT_EQ(editor().edt_art()->text(), QStringLiteral("Ann"));
        // Committed titles become captions as typed, characters such as ':'
        // included.
        type(editor().edt_tatal(), QStringLiteral("Café: Ünïcode — 東京"));
        type(editor().edt_year(), QStringLiteral("2024"));
        type(editor().edt_genre(), QStringLiteral("Chiptune"));
        EXPECT_EQ(editorCaptions()[1], QStringLiteral("Café: Ünïcode — 東京"));
        editor().bt_ok()->click();
    });
    EXPECT_EQ(tagList()[0], (AudioFileinfo{"untagged.wav", "", "", "", "", "", ""}));
    EXPECT_EQ(tagList()[1],
              (AudioFileinfo{"Café: Ünïcode — 東京", "Ann", "2024", "", "", "Chiptune", ""}));
    EXPECT_EQ(column(window->lv(), 0), (QStringList{QStringLiteral("untagged.wav"),
                                                    QStringLiteral("Café: Ünïcode — 東京")}));
    EXPECT_EQ(window->model().sources().entries()[1].caption, "Café: Ünïcode — 東京");

    // A row whose title was emptied keeps its caption.
    withEditor([&] {
        clickRow(1);
        type(editor().edt_tatal(), QString());
        editor().bt_ok()->click();
    });
    EXPECT_EQ(tagList()[1].Title, "");
    EXPECT_EQ(column(window->lv(), 0)[1], QStringLiteral("Café: Ünïcode — 東京"));
}

TEST_F(TagEditorTest, TheCoverPictureIsShownReplacedAndRemoved)
{
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(dir.file("red.png"))));
    test::writeFileBytes(dir.file("notes.txt"), "no image");
    addThroughDialog({mp3("a.mp3", {.Title = "A"}), mp3("b.mp3", {.Title = "B"})});
    std::string chosen;
    QString informed;
    editor().setPictureDialogs([&](QWidget*) { return QString::fromStdString(chosen); },
                               [&](QWidget*, const QString& message) { informed = message; });
    withEditor([&] {
        EXPECT_EQ(editor().img_cover()->text(), QStringLiteral("None"));
        EXPECT_FALSE(editor().bt_nopicture()->isEnabled());
        chosen = dir.file("red.png");
        editor().bt_picture()->click();
        EXPECT_FALSE(editor().img_cover()->pixmap().isNull());
        EXPECT_TRUE(editor().bt_nopicture()->isEnabled());
        chosen = dir.file("notes.txt");
        editor().bt_picture()->click();
        EXPECT_EQ(informed, QString::fromStdString(chosen + " is no JPEG, PNG or GIF image"));
        clickRow(1);
        EXPECT_EQ(editor().img_cover()->text(), QStringLiteral("None"));
        chosen = dir.file("red.png");
        editor().bt_picture()->click();
        editor().bt_nopicture()->click();
        editor().bt_ok()->click();
    });
    EXPECT_EQ(tagList()[0].Cover.data, test::readFileBytes(dir.file("red.png")));
    EXPECT_EQ(tagList()[0].Cover.mimeType, "image/png");
    EXPECT_TRUE(tagList()[1].Cover.empty());
}

TEST_F(TagEditorTest, AllButtonsCopyOneBoxIntoEveryRow)
{
    addThreeTaggedFiles();
    withEditor([&] {
        type(editor().edt_com(), QString());
        editor().allButton(TagField::Comment)->click();
        type(editor().edt_art(), QStringLiteral("Everyone"));
        editor().allButton(TagField::Artist)->click();
        editor().allButton(TagField::Title)->click();
        // The Title button leaves the captions alone.
        EXPECT_EQ(editorCaptions(), column(window->lv(), 0));
        editor().bt_ok()->click();
    });
    for (const AudioFileinfo& record : tagList()) {
        EXPECT_EQ(record.Comment, "");
        EXPECT_EQ(record.Artist, "Everyone");
        EXPECT_EQ(record.Title, "Alpha");
    }
    EXPECT_EQ(tagList()[1].Genre, "Rock");
    // Committed titles are captions now.
    EXPECT_EQ(column(window->lv(), 0), QStringList(3, QStringLiteral("Alpha")));
}

TEST_F(TagEditorTest, TheGenreListHoldsEachNameOnceAfterTwoOpenings)
{
    addThroughDialog({tone("a.wav", 1.0)});
    for (int opening = 0; opening < 2; ++opening) {
        withEditor([&] {
            QComboBox* genre = editor().edt_genre();
            ASSERT_EQ(genre->count(), 148);
            QSet<QString> names;
            for (int i = 0; i < genre->count(); ++i)
                names.insert(genre->itemText(i));
            EXPECT_EQ(names.size(), 148);
            EXPECT_EQ(genre->itemText(0), QStringLiteral("Blues"));
            EXPECT_EQ(genre->itemText(64), QStringLiteral("Native US"));
            EXPECT_EQ(genre->itemText(140), QStringLiteral("Contemporary C"));
            EXPECT_EQ(genre->itemText(147), QStringLiteral("SynthPop"));
            // Choosing from the list stores at once; a typed name and Enter
            // store it without adding it to the list.
            genre->setCurrentIndex(17);
            EXPECT_EQ(editor().workingCopy()[0].Genre, "Rock");
            type(genre, QStringLiteral("Vaporwave"));
            keyClick(genre->lineEdit(), Qt::Key_Return);
            EXPECT_EQ(genre->count(), 148);
        });
        EXPECT_EQ(tagList()[0].Genre, "Vaporwave"); // Enter pressed Ok
    }
}

TEST_F(TagEditorTest, AnEmptyListShowsNoRowsAndStoresNothing)
{
    withEditor([&] {
        EXPECT_EQ(editor().lv_id3()->topLevelItemCount(), 0);
        EXPECT_EQ(editor().edt_tatal()->text(), QString());
        type(editor().edt_tatal(), QStringLiteral("Nowhere"));
        editor().allButton(TagField::Title)->click();
        mouseClick(editor().lv_id3()->viewport(), {20, 20});
        editor().bt_reset()->click();
        EXPECT_TRUE(editor().workingCopy().empty());
        editor().bt_ok()->click();
    });
    EXPECT_TRUE(tagList().empty());
    EXPECT_EQ(window->lv()->topLevelItemCount(), 0);
}

TEST_F(TagEditorTest, TheColumnNarrowsForTheScrollBarFromTwentyRows)
{
    const std::string file = tone("a.wav", 1.0);
    auto fileNameColumn = [&](int rows) {
        menu(window->p_action(), "Clear");
        addThroughDialog(std::vector<std::string>(static_cast<size_t>(rows), file));
        EXPECT_EQ(window->lv()->topLevelItemCount(), rows);
        int width = 0;
        withEditor([&] {
            QTreeWidget* list = editor().lv_id3();
            width = list->columnWidth(0);
            // The column always fits beside the scroll bar the list then shows.
            EXPECT_LE(width, list->viewport()->width()) << rows;
            EXPECT_EQ(list->verticalScrollBar()->isVisible(), rows >= 20) << rows;
            if (rows == 300)
                editor().grab().save(screenshotFolder() + QStringLiteral("/tag_editor_long.png"));
        });
        return width;
    };
    EXPECT_EQ(fileNameColumn(19), 143);
    EXPECT_EQ(fileNameColumn(20), 127);
    EXPECT_EQ(fileNameColumn(300), 127);
}

TEST_F(TagEditorTest, ClickingAwayFromEveryRowGoesBackToTheReturnRow)
{
    addThreeTaggedFiles();
    withEditor([&] {
        clickRow(2);
        EXPECT_EQ(editor().edt_art()->text(), QStringLiteral("Cid"));
        // Control-click deselects: the return row (row 0) is selected again
        // and its record loaded.
        QTreeWidget* list = editor().lv_id3();
        mouseClick(list->viewport(), list->visualItemRect(list->topLevelItem(2)).center(),
                   Qt::ControlModifier);
        EXPECT_EQ(editor().selectedRow(), 0);
        EXPECT_EQ(editor().edt_art()->text(), QStringLiteral("Ann"));
        EXPECT_EQ(editor().edt_tatal()->text(), QStringLiteral("Alpha"));
    });
}

TEST_F(TagEditorTest, TagsMoveWithTheirRowsAndTheEditorShowsThem)
{
    addThreeTaggedFiles();
    EXPECT_EQ(artists(), (std::vector<std::string>{"Ann", "Bob", "Cid"}));
    menu(window->p_action(), "File Down"); // row 0 is selected
    EXPECT_EQ(artists(), (std::vector<std::string>{"Bob", "Ann", "Cid"}));
    menu(window->p_action(), "File Down");
    EXPECT_EQ(artists(), (std::vector<std::string>{"Bob", "Cid", "Ann"}));
    menu(window->p_lv(), "UP");
    EXPECT_EQ(artists(), (std::vector<std::string>{"Bob", "Ann", "Cid"}));
    withEditor([&] {
        const char* expected[] = {"Bob", "Ann", "Cid"};
        for (int row = 0; row < 3; ++row) {
            clickRow(row);
            EXPECT_EQ(editor().edt_art()->text(), QString::fromUtf8(expected[row]));
        }
    });
    clickRow(window->lv(), 0);
    menu(window->p_action(), "Remove");
    EXPECT_EQ(artists(), (std::vector<std::string>{"Ann", "Cid"}));
    EXPECT_EQ(column(window->lv(), 0),
              (QStringList{QStringLiteral("Alpha"), QStringLiteral("Third")}));
    menu(window->p_action(), "Clear");
    EXPECT_TRUE(tagList().empty());
    withEditor([&] { EXPECT_EQ(editor().lv_id3()->topLevelItemCount(), 0); });
}

TEST_F(TagEditorTest, AddingAFolderSeedsTheSameRecordsAsAddingTheFiles)
{
    QDir().mkpath(QString::fromStdString(dir.file("music")));
    const std::vector<std::string> files = {
        mp3("music/a.mp3", {.Title = " a/b: c? ",
                            .Artist = "Ann",
                            .Year = "1999",
                            .Comment = "note",
                            .Genre = "Jazz"}),
        ogg("music/b.ogg", {.Title = "\tx|y ", .Artist = "Bob", .Date = "2001"}),
        wma("music/c.wma", {.Year = "2002",
                            .Artist = " Cid ",
                            .Title = " w:ma ",
                            .Comment = "wma note",
                            .Genre = "Pop"}),
        tone("music/d.wav", 1.0)};
    // MP3 and OGG titles are cleaned and trimmed, WMA values are taken as read.
    const tags::TagList expected = {{"ab c", "Ann", "1999", "", "note", "Jazz"},
                                    {"xy", "Bob", "2001", "", "", ""},
                                    {" w:ma ", " Cid ", "2002", "", "wma note", "Pop"},
                                    {}};
    nextFolder = QString::fromStdString(dir.file("music"));
    menu(window->p_file(), "Add Folder");
    EXPECT_EQ(tagList(), expected);
    // From a folder a title becomes the caption as read, not cleaned (the ID3
    // and Ogg readers give their text without outer blanks).
    EXPECT_EQ(column(window->lv(), 0),
              (QStringList{QStringLiteral("a/b: c?"), QStringLiteral("x|y"),
                           QStringLiteral(" w:ma "), QStringLiteral("d.wav")}));

    menu(window->p_action(), "Clear");
    EXPECT_TRUE(tagList().empty());
    addThroughDialog(files);
    EXPECT_EQ(tagList(), expected);
    EXPECT_EQ(column(window->lv(), 0),
              (QStringList{QStringLiteral("ab c"), QStringLiteral("xy"), QStringLiteral("wma"),
                           QStringLiteral("d.wav")}));
}
