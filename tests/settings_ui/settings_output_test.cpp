// The settings dialog from the main window: "Settings" and "Set" open it, OK
// rebuilds the segment list for the mode, and a setting of each output format
// chosen in it reaches the next output the split writes (checked with ffprobe).
#include "settings/dialog/settings.h"
#include "tests/app/windowfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <filesystem>
#include <functional>

using namespace brisklet;
using namespace brisklet::test;
using settings::dialog::Tfm_set;

namespace {

class SettingsFromWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        out = dir.file("out") + "/";
        std::filesystem::create_directory(out);
        window->state().OutputDirectory = out;
        addThroughDialog({tone("tone.wav", 2.0)});
    }

    // Opens the dialog with the skin button `button`, does `act` in it and
    // presses OK (or Cancel, with `cancel`).
    void inSettings(const char* button, const std::function<void()>& act, bool cancel = false)
    {
        Tfm_set* set = window->settingsDialog();
        bool shown = false;
        QTimer::singleShot(0, set, [&] {
            shown = set->isVisible();
            act();
            (cancel ? set->btn_cancel() : set->btn_ok())->click();
            if (set->isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                set->btn_cancel()->click();
            }
        });
        click(button);
        EXPECT_TRUE(shown);
        EXPECT_TRUE(dialogs.messages.isEmpty())
            << dialogs.messages.join(QLatin1Char('\n')).toStdString();
    }
    template <typename Widget> Widget* control(const char* name) const
    {
        auto* widget = window->settingsDialog()->findChild<Widget*>(QString::fromUtf8(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void pick(const char* name, int position) const
    {
        control<QComboBox>(name)->setCurrentIndex(position);
    }
    // Splits the source into format `format` and returns the output's path.
    std::string split(int format, const std::string& name)
    {
        window->cb_format()->setCurrentIndex(format);
        click("Split");
        EXPECT_TRUE(dialogs.messages.isEmpty())
            << dialogs.messages.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(std::filesystem::exists(out + name)) << name;
        return out + name;
    }

    std::string out;
};

} // namespace

TEST_F(SettingsFromWindowTest, SettingsAndSetOpenItOnTheWindowAndOkRebuildsTheSegments)
{
    addThroughDialog({tone("long.wav", 65.0)});
    clickRow(window->lv(), 1);
    ASSERT_EQ(window->lv_time()->topLevelItemCount(), 1);
    inSettings("Settings", [&] {
        EXPECT_EQ(window->settingsDialog()->pos(), window->frameGeometry().topLeft());
        control<QRadioButton>("rb_time")->click();
        control<QLineEdit>("edt_time")->setText(QStringLiteral("20"));
    });
    EXPECT_EQ(window->state().FunctionChoice, 1);
    EXPECT_EQ(window->state().splitMs, 20000);
    EXPECT_EQ(window->lv_time()->topLevelItemCount(), 4); // 20 + 20 + 20 + 5 s

    // A mode chosen and then cancelled stays chosen; the segments wait for
    // the next selection.
    inSettings(
        "Set", [&] { control<QRadioButton>("rb_count")->click(); }, true);
    EXPECT_EQ(window->state().FunctionChoice, 2);
    EXPECT_EQ(window->lv_time()->topLevelItemCount(), 4);
}

TEST_F(SettingsFromWindowTest, Mp3SettingsAndTheCommandLineReachTheNextOutput)
{
    inSettings("Settings", [&] {
        pick("cb_mp3_frequency", 4); // 22050 Hz
        pick("cb_mp3_bitrate", 5);   // 64 Kbps
        pick("cb_mp3_channel", 0);   // Mono
    });
    std::string first = split(0, "tone_1.mp3");
    EXPECT_EQ(ffprobeValue(first, "sample_rate"), "22050");
    EXPECT_EQ(ffprobeValue(first, "channels"), "1");
    EXPECT_EQ(ffprobeValue(first, "bit_rate"), "64000");

    inSettings("Settings", [&] {
        window->settingsDialog()->txtCommLine()->setPlainText(QStringLiteral("-b 96"));
    });
    std::string second = split(0, "tone_2.mp3");
    EXPECT_EQ(ffprobeValue(second, "bit_rate"), "96000");
    EXPECT_EQ(ffprobeValue(second, "sample_rate"), "22050");
}

TEST_F(SettingsFromWindowTest, CustomWavFormatReachesTheNextOutput)
{
    inSettings("Settings", [&] {
        control<QRadioButton>("rb_cdmode_2")->click(); // "Custom WAV format."
        pick("cb_wav_frequency", 1);                   // 11025 Hz
        pick("cb_wav_bit", 0);                         // 8 bps
        pick("cb_wav_channel", 1);                     // Stereo
    });
    std::string output = split(1, "tone_1.wav");
    EXPECT_EQ(ffprobeValue(output, "sample_rate"), "11025");
    EXPECT_EQ(ffprobeValue(output, "codec_name"), "pcm_u8");
    EXPECT_EQ(ffprobeValue(output, "channels"), "2");
}

TEST_F(SettingsFromWindowTest, TypedWmaProfileReachesTheNextOutput)
{
    inSettings("Settings", [&] {
        control<QComboBox>("cb_wma")->setEditText(
            QStringLiteral("WMA9 32KHz, 48Kbps, Stereo, CBR"));
    });
    EXPECT_EQ(window->profile().readInteger("wma", "format", -1), 18);
    std::string output = split(2, "tone_1.wma");
    EXPECT_EQ(ffprobeValue(output, "codec_name"), "wmav2");
    EXPECT_EQ(ffprobeValue(output, "sample_rate"), "32000");
    EXPECT_EQ(ffprobeValue(output, "channels"), "2");
    EXPECT_NEAR(std::stoi(ffprobeValue(output, "bit_rate")), 48000, 1000);
}

TEST_F(SettingsFromWindowTest, OggRateChannelsAndBitrateReachTheNextOutput)
{
    inSettings("Settings", [&] {
        pick("cb_ogg_fre", 4);     // 22050 Hz
        pick("cb_ogg_channel", 0); // Mono
        pick("cb_ogg_bitrate", 5); // 64 Kbps
    });
    std::string output = split(3, "tone_1.ogg");
    EXPECT_EQ(ffprobeValue(output, "codec_name"), "vorbis");
    EXPECT_EQ(ffprobeValue(output, "sample_rate"), "22050");
    EXPECT_EQ(ffprobeValue(output, "channels"), "1");
    EXPECT_EQ(ffprobeValue(output, "bit_rate"), "64000");
}
