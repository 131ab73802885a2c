// The tag editor over three tagged sources, and the segment editor over a
// spoken-word-like file: the whole file, and zoomed in at a cut.
#include "screenshots.h"
#include "tests/app/windowfixture.h"

#include "app/tfm_wave.h"
#include "tags/editor/tfm_id3.h"
#include "tags/id3.h"
#include "tags/ogg.h"
#include "tagtestfiles.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <cmath>

// Tags are written with designated initializers; the fields left out are
// meant to be empty.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace brisklet;

namespace {

// Types `text` into `box` as the keyboard does.
void typeInto(QWidget* box, const QString& text)
{
    box->setFocus();
    for (QChar c : text) {
        const bool newLine = c == QLatin1Char('\n');
        QKeyEvent press(QEvent::KeyPress, newLine ? Qt::Key_Return : Qt::Key_unknown,
                        Qt::NoModifier, newLine ? QStringLiteral("\r") : QString(c));
        QCoreApplication::sendEvent(box, &press);
    }
}

// Phrases of a voice-like sound with pauses between them, left and right a little apart.
std::string phrasesWav(const test::TempDir& dir)
{
    constexpr int phraseRate = 22050;
    const int64_t frames = 16 * phraseRate;
    std::vector<float> samples(frames * 2);
    for (int64_t f = 0; f < frames; ++f) {
        const double t = double(f) / phraseRate;
        const double phrase =
            std::fmod(t, 4.0) < 3.1 ? std::pow(std::sin(M_PI * std::fmod(t, 4.0) / 3.1), 0.5) : 0.0;
        const double syllables = 0.55 + 0.45 * std::sin(2 * M_PI * 3.3 * t);
        const double voice = std::sin(2 * M_PI * 180 * t) + 0.5 * std::sin(2 * M_PI * 360 * t + 1) +
                             0.25 * std::sin(2 * M_PI * 720 * t);
        samples[f * 2] = static_cast<float>(0.45 * phrase * syllables * voice);
        samples[f * 2 + 1] = static_cast<float>(0.38 * phrase * syllables * voice);
    }
    const std::string path = dir.file("phrases.wav");
    test::writePcmFile(path, samples, phraseRate, 2);
    return path;
}

} // namespace

TEST_F(WindowTest, TagEditor)
{
    const std::string a = test::makeEncodedTone(dir, "a.mp3", 1.5);
    tags::WriteID3v2(a, {.Title = "Morning interview",
                         .Artist = "Radio Nord",
                         .Album = "Talks 2024",
                         .Genre = "Speech"});
    const std::string b = test::makeEncodedTone(dir, "b.ogg", 1.5);
    tags::WriteOggComments(b, {.Album = "Field notes",
                               .Title = "Street ambience",
                               .Artist = "A. Walker",
                               .Genre = "Ambient"});
    addThroughDialog({a, b, tone("Theme music.wav", 1.0)});
    tags::editor::Tfm_id3& editor = *window->tagEditor();
    bool shown = false;
    QTimer::singleShot(0, &editor, [&] {
        shown = true;
        QCoreApplication::processEvents(); // the list lays out its rows
        QTreeWidget* list = editor.lv_id3();
        list->setCurrentItem(list->topLevelItem(1));
        typeInto(editor.edt_year(), QStringLiteral("2024"));
        typeInto(editor.edt_com(), QStringLiteral("Recorded at 7am\nnear the harbour"));
        editor.edt_year()->setFocus();
        saveScreenshot(editor.grab(), QStringLiteral("tag_editor.png"));
        editor.reject();
    });
    menu(window->p_action(), "ID3 info");
    EXPECT_TRUE(shown);
}

TEST(SegmentEditor, WholeFileAndACut)
{
    test::TempDir dir;
    app::SegmentEditorSetup setup;
    setup.path = phrasesWav(dir);
    setup.caption = QStringLiteral("Morning interview");
    setup.edit = {{{150, 3250}, {4100, 7200}}, {8120, 11230}, 16000};
    app::Tfm_wave editor(std::move(setup));
    editor.resize(900, 380);
    editor.show();
    QElapsedTimer timer;
    timer.start();
    while (editor.peaksProgress()->isVisible() && timer.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    app::WaveformView* view = editor.view();
    view->selectEdge({-1, true});
    view->setCursorFrame(view->frameOfMs(9400));
    saveScreenshot(editor.grab(), QStringLiteral("segment_editor_whole.png"));

    // Close to the open segment's begin: the pause before a phrase, sample by sample.
    view->setZoom(2, 0);
    view->scrollTo(view->frameOfMs(8120) - 400 * 4);
    view->setCursorFrame(-1);
    saveScreenshot(editor.grab(), QStringLiteral("segment_editor_cut.png"));
}
