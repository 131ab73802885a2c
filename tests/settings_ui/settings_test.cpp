// The settings dialog through its own controls: showing and reloading, the
// page tree, the number fields, the enabling rules, OK, Cancel and "Default".
#include "settingsfixture.h"

#include "base/units.h"
#include "settings/dialog/dir.h"
#include "settings/piecesettings.h"
#include "settings/settingkeys.h"

#include <QButtonGroup>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>

#include <filesystem>

using namespace brisklet;
using settings::dialog::Tfm_set;
using test::writeFileBytes;

namespace {

const QString oggRefusal =
    QStringLiteral("This OGG format is not supported. \nYou have set too high frequency and too "
                   "low bitrate or otherwise. \nPlease adjust the frequency or bitrate.");

} // namespace

TEST_F(SettingsDialogTest, TreeHasAPositionPerPageEachShowingItsPageAndHeading)
{
    const char* headings[] = {"Set General",     "Set MP3 General",      "Set MP3 General",
                              "Set MP3 VBR",     "Set MP3 Filter",       "Set MP3 Expert",
                              "Set MP3 Presets", "Set MP3 Command Line", "Set WAV Format",
                              "Set WMA Format",  "Set OGG Format",       "Set FLAC Format",
                              "Set Opus Format"};
    show([&] {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Settings"));
        EXPECT_EQ(dialog->pagePosition(), Tfm_set::GeneralPage);
        QTreeWidget* tree = dialog->TreeView1();
        QStringList top;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            top.append(tree->topLevelItem(i)->text(0));
        EXPECT_EQ(top.join(u','), QStringLiteral("General,MP3,WAV,WMA,OGG,FLAC,Opus"));
        QStringList mp3;
        for (int i = 0; i < tree->topLevelItem(1)->childCount(); ++i)
            mp3.append(tree->topLevelItem(1)->child(i)->text(0));
        EXPECT_EQ(mp3.join(u','),
                  QStringLiteral("General,VBR,Filtering,Expert,Presets,Command Line"));
        for (int position = 0; position < Tfm_set::pageCount; ++position) {
            dialog->selectPage(position);
            EXPECT_EQ(dialog->pagePosition(), position);
            EXPECT_EQ(dialog->heading()->text(), QString::fromUtf8(headings[position]));
            EXPECT_TRUE(dialog->page(position)->isVisible()) << position;
        }
        EXPECT_EQ(dialog->page(Tfm_set::Mp3Page), dialog->page(Tfm_set::Mp3GeneralPage));
        EXPECT_FALSE(dialog->page(Tfm_set::GeneralPage)->isVisible());
        // Buttons neither default nor pressed by Enter and Escape.
        for (QPushButton* button : {dialog->btn_ok(), dialog->btn_default(), dialog->btn_cancel()})
            EXPECT_FALSE(button->isDefault() || button->autoDefault());
        key(dialog.get(), Qt::Key_Escape);
        key(dialog.get(), Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());
    });
    EXPECT_TRUE(leftOpen);
}

TEST_F(SettingsDialogTest, TabGoesFromTheTreeThroughThePageInReadingOrder)
{
    show([&] {
        QStringList chain;
        for (QWidget* w = dialog->TreeView1()->nextInFocusChain(); w != dialog->page(1);
             w = w->nextInFocusChain()) {
            if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty())
                chain.append(w->objectName());
        }
        EXPECT_EQ(
            chain.join(u' ').toStdString(),
            QStringLiteral(
                "rb_custom rb_time edt_time rb_count edt_count rb_unification "
                "cb_fadein cb_fadeintime cb_fadeout cb_fadeouttime edt_dir bt_dir edt_name "
                "ud_silence_db qt_spinbox_lineedit ud_silence_pause qt_spinbox_lineedit "
                "ud_silence_piece qt_spinbox_lineedit ck_silence_trim ck_tracknumbers ck_writecue "
                "sp_workers qt_spinbox_lineedit ck_verify")
                .toStdString());
        dialog->btn_cancel()->click();
    });
}

TEST_F(SettingsDialogTest, ArrowKeysInTheTreeOpenOneBranchAndShowThePage)
{
    show([&] {
        QTreeWidget* tree = dialog->TreeView1();
        tree->setFocus();
        QTreeWidgetItem* mp3 = tree->topLevelItem(1);
        EXPECT_FALSE(mp3->isExpanded());
        key(tree, Qt::Key_Down);
        EXPECT_EQ(dialog->pagePosition(), Tfm_set::Mp3Page);
        EXPECT_TRUE(mp3->isExpanded());
        for (int i = 0; i < 6; ++i)
            key(tree, Qt::Key_Down);
        EXPECT_EQ(dialog->pagePosition(), Tfm_set::CommandLinePage);
        EXPECT_EQ(dialog->heading()->text(), QStringLiteral("Set MP3 Command Line"));
        EXPECT_TRUE(mp3->isExpanded());
        key(tree, Qt::Key_Down);
        EXPECT_EQ(dialog->pagePosition(), Tfm_set::WavPage);
        EXPECT_TRUE(dialog->page(Tfm_set::WavPage)->isVisible());
        EXPECT_FALSE(mp3->isExpanded()); // the branch left closes
        dialog->btn_cancel()->click();
    });
}

TEST_F(SettingsDialogTest, ShowAfterCancelReloadsAllButTheModeTheCommandLineAndThePage)
{
    writeFileBytes(settingsPath(), "[mp3]\nbitrate=3\n[ogg]\nquality=450\n");
    mirrors.FunctionChoice = 0;
    mirrors.splitMs = 42000;
    const uint64_t before = test::fileChecksum(settingsPath());
    show([&] {
        EXPECT_TRUE(radio("rb_custom")->isChecked());
        EXPECT_EQ(field("edt_time")->text(), QStringLiteral("42"));
        EXPECT_EQ(field("edt_dir")->text(), QString::fromStdString(mirrors.OutputDirectory));
        EXPECT_EQ(list("cb_mp3_bitrate")->currentIndex(), 3);
        EXPECT_EQ(spin("ud_ogg_quality")->value(), 450);
        EXPECT_EQ(spin("ud_mp3_quality")->value(), 4); // the dialog's default for an absent key
        radio("rb_time")->click();
        EXPECT_EQ(mirrors.FunctionChoice, 1); // at once, before OK
        pick(list("cb_mp3_bitrate"), 7);
        field("edt_time")->setText(QStringLiteral("5"));
        field("edt_dir")->setText(QStringLiteral("/elsewhere"));
        box("cb_fadein")->click();
        dialog->selectPage(Tfm_set::VbrPage);
        dialog->txtCommLine()->setPlainText(QStringLiteral("-b 96"));
        dialog->btn_cancel()->click();
    });
    EXPECT_EQ(test::fileChecksum(settingsPath()), before);
    EXPECT_EQ(mirrors.FunctionChoice, 1);
    EXPECT_EQ(mirrors.splitMs, 42000);
    EXPECT_FALSE(mirrors.fadeIn);
    EXPECT_EQ(selectionRuns, 0);
    show([&] {
        EXPECT_EQ(dialog->pagePosition(), Tfm_set::VbrPage);
        EXPECT_EQ(dialog->heading()->text(), QStringLiteral("Set MP3 VBR"));
        EXPECT_TRUE(radio("rb_time")->isChecked());
        EXPECT_EQ(field("edt_time")->text(), QStringLiteral("42"));
        EXPECT_EQ(list("cb_mp3_bitrate")->currentIndex(), 3);
        EXPECT_FALSE(box("cb_fadein")->isChecked());
        EXPECT_EQ(field("edt_dir")->text(), QString::fromStdString(mirrors.OutputDirectory));
        dialog->btn_cancel()->click();
    });
    EXPECT_EQ(dialog->commandLineText(), "-b 96");
    // A mode outside 0-3 leaves the buttons as they are.
    mirrors.FunctionChoice = 9;
    show([&] { EXPECT_TRUE(radio("rb_time")->isChecked()); });
}

TEST_F(SettingsDialogTest, NumberFieldsTurnOtherKeysAndPastesIntoBackspaces)
{
    show([&] {
        QLineEdit* time = field("edt_time");
        time->selectAll();
        typeText(time, QStringLiteral("12"));
        EXPECT_EQ(time->text(), QStringLiteral("12"));
        typeText(time, QStringLiteral("a"));
        EXPECT_EQ(time->text(), QStringLiteral("1"));
        QApplication::clipboard()->setText(QStringLiteral("345"));
        time->setText(QStringLiteral("78"));
        key(time, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
        EXPECT_EQ(time->text(), QStringLiteral("7"));
        typeText(time, QStringLiteral(" "));
        EXPECT_EQ(time->text(), QString());

        QLineEdit* count = field("edt_count");
        count->setText(QStringLiteral("9"));
        typeText(count, QStringLiteral("0-"));
        EXPECT_EQ(count->text(), QStringLiteral("9"));

        box("ck_oggquality")->click(); // enables the field
        QSpinBox* quality = spin("ud_ogg_quality");
        quality->setValue(0);
        field("edt_ogg_quality")->selectAll();
        typeText(quality, QStringLiteral("25x"));
        EXPECT_EQ(field("edt_ogg_quality")->text(), QStringLiteral("2"));
        dialog->btn_cancel()->click();
    });
}

TEST_F(SettingsDialogTest, LeavingTheSplitFieldsMendsThemOrRefusesAnOverflow)
{
    show([&] {
        QLineEdit* time = field("edt_time");
        QLineEdit* count = field("edt_count");
        auto leave = [](QLineEdit* from) {
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(from, &out);
        };
        time->setText(QStringLiteral("0"));
        leave(time);
        EXPECT_EQ(time->text(), QStringLiteral("60"));
        count->clear();
        leave(count);
        EXPECT_EQ(count->text(), QStringLiteral("1"));
        count->setText(QStringLiteral("0"));
        leave(count);
        EXPECT_EQ(count->text(), QStringLiteral("1"));
        // The window losing focus is no leaving.
        time->clear();
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(time, &away);
        EXPECT_EQ(time->text(), QString());
        EXPECT_TRUE(messages.isEmpty());

        time->setText(QStringLiteral("99999999999"));
        leave(time);
        EXPECT_EQ(messages,
                  QStringList{QStringLiteral("'99999999999' is not a valid integer value")});
        EXPECT_EQ(time->text(), QStringLiteral("99999999999"));
        // OK refuses it again after taking the output path.
        field("edt_dir")->setText(QStringLiteral("/taken"));
        dialog->btn_ok()->click();
        EXPECT_EQ(messages.size(), 2);
        EXPECT_TRUE(dialog->isVisible());
    });
    EXPECT_TRUE(leftOpen);
    EXPECT_EQ(mirrors.OutputDirectory, "/taken/");
    EXPECT_EQ(mirrors.splitMs, 60000);
    EXPECT_EQ(settingsText(), "");
}

TEST_F(SettingsDialogTest, PieceLengthAndFadesTakeMillisecondTimes)
{
    mirrors.splitMs = 1500;
    mirrors.fadeInMs = 2500;
    show([&] {
        EXPECT_EQ(field("edt_time")->text(), QStringLiteral("1.5"));
        EXPECT_EQ(list("cb_fadeintime")->currentText(), QStringLiteral("2.5s"));
        QLineEdit* time = field("edt_time");
        time->selectAll();
        typeText(time, QStringLiteral("1:02.25"));
        list("cb_fadeouttime")->setEditText(QStringLiteral("0.75"));
        dialog->btn_ok()->click();
    });
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    EXPECT_EQ(mirrors.splitMs, 62250);
    EXPECT_EQ(mirrors.fadeInMs, 2500);
    EXPECT_EQ(mirrors.fadeOutMs, 750);

    show([&] {
        list("cb_fadeintime")->setEditText(QStringLiteral("1.2345s"));
        dialog->btn_ok()->click();
        EXPECT_EQ(messages,
                  QStringList{QString::fromStdString(brisklet::notATimeMessage("1.2345s"))});
        dialog->btn_cancel()->click();
    });
    EXPECT_EQ(mirrors.fadeInMs, 2500);
}

// The general page's Pieces group: OK stores what it shows; a name template
// that cannot be used is refused and nothing is stored.
TEST_F(SettingsDialogTest, PiecesGroupStoresItsSettingsOrRefusesABadTemplate)
{
    show([&] {
        field("edt_name")->setText(QStringLiteral("{bogus}"));
        dialog->btn_ok()->click();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.front().startsWith(QStringLiteral("Names: ")))
            << messages.front().toStdString();
        EXPECT_TRUE(dialog->isVisible());

        field("edt_name")->setText(QStringLiteral("{n:02} {title}"));
        box("ck_tracknumbers")->click();
        box("ck_silence_trim")->click();
        spin("ud_silence_db")->setValue(-30);
        spin("ud_silence_pause")->setValue(250);
        spin("ud_silence_piece")->setValue(12);
        dialog->btn_ok()->click();
    });
    EXPECT_FALSE(leftOpen);
    settings::PieceSettings expected;
    expected.nameTemplate = "{n:02} {title}";
    expected.trackNumbers = true;
    expected.silenceTrim = true;
    expected.silenceDb = -30;
    expected.silencePauseMs = 250;
    expected.silencePieceMs = 12000;
    EXPECT_TRUE(settings::loadPieceSettings(profile) == expected);
}

TEST_F(SettingsDialogTest, OggCheckRefusesUnlessQualityModeAndMp3CheckAlwaysRuns)
{
    show([&] {
        pick(list("cb_ogg_fre"), 8);     // 48000 Hz
        pick(list("cb_ogg_bitrate"), 0); // 8 Kbps
        dialog->btn_ok()->click();
        EXPECT_EQ(messages, QStringList{oggRefusal});
        EXPECT_TRUE(dialog->isVisible());
        box("ck_oggquality")->click();
        messages.clear();
        dialog->btn_ok()->click();
    });
    EXPECT_FALSE(leftOpen);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(profile.readBoolean("ogg", "oggquality", false));

    show([&] {
        pick(list("cb_mp3_frequency"), 8); // 48000 Hz
        pick(list("cb_mp3_bitrate"), 0);   // 8 Kbps
        dialog->btn_ok()->click();
    });
    EXPECT_TRUE(leftOpen);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("This MP3 format is not supported. \n")));
    EXPECT_EQ(profile.readInteger("mp3", "bitrate", -1), 9);
}

TEST_F(SettingsDialogTest, EnablingRulesFollowTheUserTheLoadAndDefault)
{
    writeFileBytes(settingsPath(),
                   "[MP3VBR]\nCoding Method=2\n[MP3Filt]\nchLFilt=1\n[wav]\nmode=2\n");
    show([&] {
        QComboBox* method = list("cb_mp3vbrcm");
        EXPECT_EQ(method->currentIndex(), 2);
        for (const char* name : {"cb_mp3_vbr", "ud_mp3_vbr", "ck_mp3_VBR", "ck_mp3_semb"})
            EXPECT_TRUE(control<QWidget>(name)->isEnabled()) << name;
        pick(method, 0);
        for (const char* name : {"cb_mp3_vbr", "ud_mp3_vbr", "ck_mp3_VBR", "ck_mp3_semb"})
            EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name;
        pick(method, 4);
        EXPECT_TRUE(list("cb_mp3_vbr")->isEnabled());

        EXPECT_TRUE(spin("udLFiltF")->isEnabled() && spin("udLFiltW")->isEnabled());
        EXPECT_TRUE(control<QLabel>("lb_lfiltw")->isEnabled());
        EXPECT_FALSE(spin("udHFiltF")->isEnabled() || spin("udHFiltW")->isEnabled());
        EXPECT_FALSE(control<QLabel>("lb_hfiltw")->isEnabled());
        box("chHFilt")->click();
        EXPECT_TRUE(spin("udHFiltF")->isEnabled() && spin("udHFiltW")->isEnabled());
        EXPECT_TRUE(control<QLabel>("lb_hfiltw")->isEnabled());

        EXPECT_TRUE(list("cb_wav_frequency")->isEnabled());
        radio("rb_cdmode_1")->click();
        for (const char* name : {"cb_wav_frequency", "cb_wav_bit", "cb_wav_channel"})
            EXPECT_FALSE(list(name)->isEnabled()) << name;

        QCheckBox* vbr = box("ck_oggvbr");
        QCheckBox* quality = box("ck_oggquality");
        EXPECT_FALSE(list("cb_ogg_minbit")->isEnabled() || spin("ud_ogg_quality")->isEnabled());
        vbr->click();
        EXPECT_FALSE(quality->isEnabled());
        EXPECT_TRUE(list("cb_ogg_minbit")->isEnabled() && list("cb_ogg_maxbit")->isEnabled());
        vbr->click();
        quality->click();
        EXPECT_FALSE(vbr->isEnabled());
        EXPECT_FALSE(list("cb_ogg_minbit")->isEnabled());
        EXPECT_TRUE(spin("ud_ogg_quality")->isEnabled());

        dialog->btn_default()->click();
        EXPECT_EQ(method->currentIndex(), 0);
        EXPECT_FALSE(list("cb_mp3_vbr")->isEnabled());
        EXPECT_FALSE(spin("udLFiltF")->isEnabled() || spin("udHFiltW")->isEnabled());
        EXPECT_FALSE(list("cb_wav_frequency")->isEnabled());
        EXPECT_TRUE(vbr->isEnabled() && quality->isEnabled());
        EXPECT_FALSE(spin("ud_ogg_quality")->isEnabled());
        dialog->btn_cancel()->click();
    });
}

TEST_F(SettingsDialogTest, PresetBoxesShutEachOtherOut)
{
    show([&] {
        QCheckBox* preset = box("ck_preset");
        QCheckBox* alt = box("ck_alt");
        QGroupBox* presets = control<QGroupBox>("rg_prest");
        QGroupBox* alts = control<QGroupBox>("rg_alt");
        EXPECT_FALSE(presets->isEnabled() || alts->isEnabled());
        preset->click();
        EXPECT_TRUE(presets->isEnabled());
        EXPECT_FALSE(alt->isEnabled() || alts->isEnabled());
        preset->click();
        EXPECT_TRUE(alt->isEnabled());
        EXPECT_FALSE(presets->isEnabled() || alts->isEnabled());
        alt->click();
        EXPECT_TRUE(alts->isEnabled());
        EXPECT_FALSE(preset->isEnabled() || presets->isEnabled());
        dialog->btn_cancel()->click();
    });
    writeFileBytes(settingsPath(), "[MP3Prest]\npreset=1\nalt=1\nrg_prest=8\nrg_alt=3\n");
    show([&] {
        EXPECT_TRUE(box("ck_preset")->isChecked() && box("ck_alt")->isChecked());
        EXPECT_FALSE(box("ck_preset")->isEnabled() || box("ck_alt")->isEnabled());
        EXPECT_TRUE(control<QGroupBox>("rg_prest")->isEnabled());
        EXPECT_TRUE(control<QGroupBox>("rg_alt")->isEnabled());
        EXPECT_TRUE(radio("rg_prest_8")->isChecked());
        EXPECT_TRUE(radio("rg_alt_3")->isChecked());
        dialog->btn_default()->click();
        EXPECT_FALSE(box("ck_preset")->isChecked() || box("ck_alt")->isChecked());
        EXPECT_TRUE(box("ck_preset")->isEnabled() && box("ck_alt")->isEnabled());
        EXPECT_FALSE(control<QGroupBox>("rg_prest")->isEnabled());
        EXPECT_FALSE(control<QGroupBox>("rg_alt")->isEnabled());
        EXPECT_TRUE(radio("rg_prest_0")->isChecked() && radio("rg_alt_0")->isChecked());
        dialog->btn_cancel()->click();
    });
}

TEST_F(SettingsDialogTest, FirstOkWritesEveryFormatKeyMainPathAndTheMirrors)
{
    show([&] {
        radio("rb_count")->click();
        field("edt_time")->setText(QStringLiteral("90"));
        field("edt_count")->setText(QStringLiteral("4"));
        box("cb_fadeout")->click();
        pick(list("cb_fadeouttime"), 11);
        pick(list("cb_fadeintime"), 0);
        field("edt_dir")->setText(QStringLiteral("D:/Out"));
        pick(list("cb_ogg_channel"), 0);
        spin("udLFiltW")->setValue(900);
        dialog->btn_ok()->click();
    });
    EXPECT_FALSE(leftOpen);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    EXPECT_EQ(mirrors.FunctionChoice, 2);
    EXPECT_EQ(mirrors.splitMs, 90000);
    EXPECT_EQ(mirrors.splitCount, 4);
    EXPECT_FALSE(mirrors.fadeIn);
    EXPECT_TRUE(mirrors.fadeOut);
    EXPECT_EQ(mirrors.fadeInMs, 1000);
    EXPECT_EQ(mirrors.fadeOutMs, 12000);
    EXPECT_EQ(mirrors.OutputDirectory, "D:/Out/");
    EXPECT_EQ(profile.readText("Main", "Path", "absent"), "D:/Out");
    EXPECT_EQ(selectionRuns, 1);
    for (const settings::SettingKey* key : settings::formatKeys)
        EXPECT_NE(profile.readText(key->section, key->name, "absent"), "absent")
            << key->section << "/" << key->name;
    EXPECT_EQ(profile.readInteger("mp3", "quality", -1), 4); // the shown value is stored
    EXPECT_EQ(profile.readInteger("ogg", "channel", -1), 0);
    EXPECT_EQ(profile.readInteger("MP3Filt", "udLFiltW", -1), 900);
    // General values go to the mirrors only.
    EXPECT_EQ(profile.readText("Choice", "Count", "absent"), "absent");
    // Each section's keys stand in the order of the key table.
    const std::string text = settingsText();
    EXPECT_LT(text.find("bitrate=9"), text.find("channel=1"));
    EXPECT_LT(text.find("[MP3Prest]\npreset=0\nalt=0\nrg_prest=0\nrg_alt=0\n"), std::string::npos);
}

TEST_F(SettingsDialogTest, EmptyOutputPathKeepsTheFolderInUse)
{
    mirrors.OutputDirectory = "/music/";
    show([&] {
        field("edt_dir")->clear();
        dialog->btn_ok()->click();
    });
    EXPECT_FALSE(leftOpen);
    EXPECT_EQ(mirrors.OutputDirectory, "/music/");
    EXPECT_EQ(profile.readText("Main", "Path", "absent"), "");
}

TEST_F(SettingsDialogTest, DefaultSetsTheFormatPagesOnlyAndCancelKeepsNothing)
{
    writeFileBytes(settingsPath(), "[mp3]\nquality=1\n[wav]\nfrequency=2\n[wma]\nformat=30\n"
                                   "[MP3Expert]\nBit=0\n[ogg]\nquality=10\n");
    mirrors.splitMs = 33000;
    const uint64_t before = test::fileChecksum(settingsPath());
    const engine::MainState mirrorsBefore = mirrors;
    show([&] {
        dialog->txtCommLine()->setPlainText(QStringLiteral("--lowpass 10"));
        field("edt_time")->setText(QStringLiteral("77"));
        dialog->btn_default()->click();
        EXPECT_EQ(spin("ud_mp3_quality")->value(), 5);
        EXPECT_EQ(spin("ud_mp3_vbr")->value(), 5);
        EXPECT_EQ(list("cb_wav_frequency")->currentIndex(), 8);
        EXPECT_EQ(list("cb_wma")->currentIndex(), 9);
        EXPECT_EQ(list("cb_wma")->currentText(),
                  QStringLiteral("WMA9 44KHz, 128Kbps, Stereo, CBR"));
        EXPECT_TRUE(box("ck_bit")->isChecked() && box("ck_short")->isChecked());
        EXPECT_TRUE(box("ck_mp3_VBR")->isChecked());
        EXPECT_EQ(spin("udLFiltF")->value(), 15160);
        EXPECT_EQ(spin("udHFiltF")->value(), 30);
        EXPECT_EQ(spin("ud_ogg_quality")->value(), 300);
        EXPECT_EQ(list("cb_ogg_maxbit")->currentText(), QStringLiteral("128 Kbps"));
        EXPECT_TRUE(radio("rb_cdmode_0")->isChecked());
        EXPECT_EQ(field("edt_time")->text(), QStringLiteral("77"));
        EXPECT_EQ(dialog->txtCommLine()->toPlainText(), QStringLiteral("--lowpass 10"));
        dialog->btn_cancel()->click();
    });
    EXPECT_EQ(test::fileChecksum(settingsPath()), before);
    EXPECT_EQ(mirrors.splitMs, mirrorsBefore.splitMs);
    EXPECT_EQ(mirrors.OutputDirectory, mirrorsBefore.OutputDirectory);
    show([&] { EXPECT_EQ(spin("ud_mp3_quality")->value(), 1); });
}

TEST_F(SettingsDialogTest, CloseBoxStoresNothingAndOddFadeLengthsShowTheNearestEntry)
{
    mirrors.fadeInMs = 50000; // only a hand-edited file holds these
    mirrors.fadeOutMs = 0;
    show([&] {
        EXPECT_EQ(list("cb_fadeintime")->currentText(), QStringLiteral("20s"));
        EXPECT_EQ(list("cb_fadeouttime")->currentText(), QStringLiteral("1s"));
        pick(list("cb_mp3_bitrate"), 2);
        field("edt_dir")->setText(QStringLiteral("/closed"));
        dialog->close();
    });
    EXPECT_FALSE(leftOpen);
    EXPECT_FALSE(std::filesystem::exists(settingsPath()));
    EXPECT_EQ(mirrors.fadeInMs, 50000);
    EXPECT_NE(mirrors.OutputDirectory, "/closed/");
}

TEST_F(SettingsDialogTest, WmaTextNamingNoEntryKeepsThePosition)
{
    auto storedAfter = [&](const std::function<void(QComboBox*)>& edit) {
        show([&] {
            edit(list("cb_wma"));
            dialog->btn_ok()->click();
        });
        return profile.readInteger("wma", "format", -1);
    };
    EXPECT_EQ(storedAfter([](QComboBox* wma) { pick(wma, 22); }), 22); // text shared with 20
    EXPECT_EQ(storedAfter([](QComboBox* wma) {
                  wma->setEditText(QStringLiteral("wma9 48khz, 64kbps, stereo, cbr"));
              }),
              4);
    EXPECT_EQ(storedAfter([](QComboBox* wma) { wma->setEditText(QStringLiteral("320 please")); }),
              4);
}

TEST_F(SettingsDialogTest, FolderButtonOpensOnThePathAndPutsTheChosenFolderIntoIt)
{
    settings::dialog::Tfm_dir chooser(profile, &mainWindow);
    dialog->setFolderChooser(&chooser);
    const QString out = QString::fromStdString(dir.file("chosen"));
    const QString current = QString::fromStdString(dir.file("current"));
    QDir().mkpath(out);
    QDir().mkpath(current);
    show([&] {
        // The chooser opens on the folder the path field names.
        field("edt_dir")->setText(current);
        QTimer::singleShot(0, &chooser, [&] {
            EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Output Directory"));
            EXPECT_EQ(chooser.selectedFolder(), current);
            chooser.selectFolder(out);
            chooser.btn_ok()->click();
        });
        control<QPushButton>("bt_dir")->click();
        EXPECT_EQ(field("edt_dir")->text(), out);
        // Giving up in the chooser leaves the path alone.
        QTimer::singleShot(0, &chooser, [&] { chooser.btn_cancel()->click(); });
        control<QPushButton>("bt_dir")->click();
        EXPECT_EQ(field("edt_dir")->text(), out);
        dialog->btn_ok()->click();
    });
    EXPECT_EQ(profile.readText("Output", "Dir", "absent"), out.toStdString());
    EXPECT_EQ(mirrors.OutputDirectory, out.toStdString() + "/");
}

TEST(SettingsDialogWriteTest, RefusedWriteShowsItsMessageAndKeepsTheDialogOpen)
{
    test::TempDir dir;
    // A folder where the file should be: every write is refused.
    const std::string path = dir.file("Brisklet.ini");
    QDir().mkpath(QString::fromStdString(path));
    settings::ProfileFile profile(path);
    auto component = audio::createAudioFile();
    engine::MainState mirrors;
    QStringList messages;
    settings::dialog::SettingsDialogHooks hooks;
    hooks.inform = [&](QWidget*, const QString& message) { messages.append(message); };
    Tfm_set dialog(profile, *component, mirrors, nullptr, hooks);
    bool open = false;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.btn_ok()->click();
        open = dialog.isVisible();
        dialog.btn_cancel()->click();
    });
    dialog.exec();
    EXPECT_TRUE(open);
    EXPECT_EQ(messages,
              QStringList{QStringLiteral("Unable to write to ") + QString::fromStdString(path)});
}
