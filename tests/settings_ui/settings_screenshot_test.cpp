// Saves a picture of every page of the settings dialog into the build folder,
// for a look at the layout.
#include "settingsfixture.h"

#include <QDir>
#include <QPixmap>

using namespace brisklet;
using settings::dialog::Tfm_set;
using test::writeFileBytes;

TEST_F(SettingsDialogTest, ScreenshotOfEveryPage)
{
    writeFileBytes(settingsPath(), "[MP3VBR]\nCoding Method=1\n[MP3Filt]\nchHFilt=1\n"
                                   "[MP3Prest]\npreset=1\nrg_prest=3\n[wav]\nmode=2\n"
                                   "[ogg]\noggvbr=1\n");
    const QString folder =
        QString::fromLocal8Bit(qgetenv("BRISKLET_BUILD_DIR")) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    show([&] {
        dialog->txtCommLine()->setPlainText(QStringLiteral("--lowpass 16 -q 2"));
        EXPECT_GE(dialog->width(), 383);
        EXPECT_GE(dialog->height(), 311);
        for (int position = 0; position < Tfm_set::pageCount; ++position) {
            dialog->selectPage(position);
            const QString name =
                folder + QStringLiteral("/settings_%1.png").arg(position, 2, 10, QLatin1Char('0'));
            EXPECT_TRUE(dialog->grab().save(name)) << name.toStdString();
        }
        dialog->btn_cancel()->click();
    });
}
