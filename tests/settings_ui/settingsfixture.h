#pragma once
// A settings dialog over a private settings file and mirrors, shown modally
// and worked through its own controls, with message boxes the test answers.

#include "audio/audiofile.h"
#include "engine/mainstate.h"
#include "settings/dialog/settings.h"
#include "settings/profilefile.h"

#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace brisklet::test {

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mirrors.OutputDirectory = dir.path() + "/out/";
        settings::dialog::SettingsDialogHooks hooks;
        hooks.inform = [this](QWidget*, const QString& message) { messages.append(message); };
        hooks.selectionChanged = [this] { ++selectionRuns; };
        dialog = std::make_unique<settings::dialog::Tfm_set>(profile, *component, mirrors,
                                                             &mainWindow, std::move(hooks));
    }

    // Shows the dialog and, once it runs modally, does `act` inside it. A
    // dialog that `act` left open is cancelled (and `leftOpen` says so).
    int show(const std::function<void()>& act)
    {
        leftOpen = false;
        QTimer::singleShot(0, dialog.get(), [this, act] {
            act();
            if (dialog->isVisible()) {
                leftOpen = true;
                dialog->btn_cancel()->click();
            }
        });
        return dialog->exec();
    }

    template <typename Widget> Widget* control(const char* name) const
    {
        auto* widget = dialog->findChild<Widget*>(QString::fromUtf8(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QComboBox* list(const char* name) const { return control<QComboBox>(name); }
    QCheckBox* box(const char* name) const { return control<QCheckBox>(name); }
    QSpinBox* spin(const char* name) const { return control<QSpinBox>(name); }
    QLineEdit* field(const char* name) const { return control<QLineEdit>(name); }
    QRadioButton* radio(const char* name) const { return control<QRadioButton>(name); }
    // The user picks an entry, as from the drop-down.
    static void pick(QComboBox* list, int position)
    {
        list->setCurrentIndex(position);
        Q_EMIT list->activated(position);
    }

    // A key pressed and let go over `widget`, as the keyboard sends it.
    static void key(QWidget* widget, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    const QString& text = QString())
    {
        QKeyEvent press(QEvent::KeyPress, code, modifiers, text);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, code, modifiers, text);
        QApplication::sendEvent(widget, &release);
    }
    static void typeText(QWidget* widget, const QString& text)
    {
        for (QChar c : text)
            key(widget, c.toUpper().unicode(), Qt::NoModifier, QString(c));
    }

    std::string settingsText() const { return readFileBytes(settingsPath()); }
    std::string settingsPath() const { return dir.file("Brisklet.ini"); }

    TempDir dir;
    settings::ProfileFile profile{dir.file("Brisklet.ini")};
    std::unique_ptr<audio::IAudioFile2> component = audio::createAudioFile();
    engine::MainState mirrors;
    QWidget mainWindow;
    QStringList messages;
    int selectionRuns = 0;
    bool leftOpen = false;
    std::unique_ptr<settings::dialog::Tfm_set> dialog;
};

} // namespace brisklet::test

using brisklet::test::SettingsDialogTest;
