// Every page of the settings dialog.
#include "screenshots.h"
#include "tests/settings_ui/settingsfixture.h"

using namespace brisklet;
using settings::dialog::Tfm_set;

TEST_F(SettingsDialogTest, EveryPage)
{
    test::writeFileBytes(settingsPath(), "[MP3VBR]\nCoding Method=1\n[MP3Filt]\nchHFilt=1\n"
                                         "[MP3Prest]\npreset=1\nrg_prest=3\n[wav]\nmode=2\n"
                                         "[ogg]\noggvbr=1\n");
    show([&] {
        dialog->txtCommLine()->setPlainText(QStringLiteral("--lowpass 16 -q 2"));
        for (int position = 0; position < Tfm_set::pageCount; ++position) {
            dialog->selectPage(position);
            saveScreenshot(
                dialog->grab(),
                QStringLiteral("settings_%1.png").arg(position, 2, 10, QLatin1Char('0')));
        }
        dialog->btn_cancel()->click();
    });
}
