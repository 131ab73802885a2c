#include "settings/dialog/settings.h"
#include "settings/dialog/piecesgroup.h"
#include "settings/piecesettings.h"

#include "audio/audiofile.h"
#include "base/units.h"
#include "settings/dialog/digitfield.h"
#include "settings/dialog/dir.h"
#include "settings/encoderconfig.h"
#include "settings/generalsettings.h"
#include "settings/profilefile.h"
#include "settings/settingkeys.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTreeWidget>

#include <algorithm>
#include <optional>

namespace brisklet::settings::dialog {

namespace {

const QString splitSecondsFallback = QStringLiteral("60");
const QString splitCountFallback = QStringLiteral("1");

int positionOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

// What a fade-length list shows, "5s" or a typed "2.5s", in milliseconds.
std::optional<int64_t> fadeLengthOf(const QComboBox* list)
{
    QString text = list->currentText().trimmed();
    if (text.endsWith(u's'))
        text.chop(1);
    return parseTimeMs(text.trimmed().toStdString());
}

void showFadeLength(QComboBox* list, int64_t ms)
{
    if (ms % 1000 != 0) {
        list->setEditText(QString::fromStdString(decimalSeconds(ms)) + u's');
        return;
    }
    // A hand-edited length outside 1-20 s shows as the nearest entry.
    const int position = static_cast<int>(std::clamp<int64_t>(ms / 1000 - 1, 0, list->count() - 1));
    list->setCurrentIndex(position);
    list->setEditText(list->itemText(position));
}

bool branchHolds(const QTreeWidgetItem* ancestor, const QTreeWidgetItem* item)
{
    for (const QTreeWidgetItem* up = item ? item->parent() : nullptr; up; up = up->parent()) {
        if (up == ancestor)
            return true;
    }
    return false;
}

} // namespace

Tfm_set::Tfm_set(ProfileFile& profile, const audio::IAudioFile2& component,
                 engine::MainState& mirrors, QWidget* mainWindow, SettingsDialogHooks hooks)
    : QDialog(mainWindow), m_profile(profile), m_component(component), m_mirrors(mirrors),
      m_mainWindow(mainWindow), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("Tfm_set"));
    setWindowTitle(QStringLiteral("Settings"));
    // Single border, system menu and minimise button: no maximise, no resize.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    buildPages();
    for (const SettingKey* key : formatKeys)
        bindingOf(*key); // every format key has its control

    connect(m_tree, &QTreeWidget::currentItemChanged, this, &Tfm_set::TreeView1Change);
    connect(m_mode, &QButtonGroup::idClicked, this, &Tfm_set::modeClick);
    connect(m_time, &DigitField::left, this, &Tfm_set::edt_timeExit);
    connect(m_count, &DigitField::left, this, &Tfm_set::edt_countExit);
    connect(m_dirButton, &QPushButton::clicked, this, &Tfm_set::bt_dirClick);
    connect(m_ok, &QPushButton::clicked, this, &Tfm_set::OkClick);
    connect(m_default, &QPushButton::clicked, this, &Tfm_set::DefaultClick);
    connect(m_cancel, &QPushButton::clicked, this, &Tfm_set::CancelClick);
    connect(m_codingMethod, &QComboBox::currentIndexChanged, this, &Tfm_set::codingMethodChange);
    connect(m_highpass, &QCheckBox::toggled, this, &Tfm_set::highpassClick);
    connect(m_lowpass, &QCheckBox::toggled, this, &Tfm_set::lowpassClick);
    connect(m_preset, &QCheckBox::toggled, this, &Tfm_set::presetRules);
    connect(m_altPreset, &QCheckBox::toggled, this, &Tfm_set::presetRules);
    connect(m_wavMode, &QButtonGroup::idToggled, this, &Tfm_set::wavModeClick);
    connect(m_oggVbr, &QCheckBox::toggled, this, &Tfm_set::oggVbrClick);
    connect(m_oggQualityMode, &QCheckBox::toggled, this, &Tfm_set::oggQualityClick);
    applyEnablingRules();

    // The classic 383 x 311, or what the pages need at the user's font.
    setFixedSize(sizeHint().expandedTo(QSize(383, 311)));
}

Tfm_set::~Tfm_set() = default;

std::string Tfm_set::commandLineText() const
{
    return m_commandLine->toPlainText().toStdString();
}

int Tfm_set::pagePosition() const
{
    return positionOf(m_tree->currentItem());
}

void Tfm_set::selectPage(int position)
{
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if (positionOf(*it) == position) {
            m_tree->setCurrentItem(*it);
            return;
        }
    }
}

QWidget* Tfm_set::page(int position) const
{
    return position >= 0 && position < pageCount ? m_pageOf[static_cast<size_t>(position)]
                                                 : nullptr;
}

void Tfm_set::showEvent(QShowEvent* event)
{
    // A window restored from the task bar is not shown anew: keep what the user set.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void Tfm_set::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape press no button; only the buttons and the close box end the dialog.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}

void Tfm_set::FormShow()
{
    if (m_mainWindow)
        move(m_mainWindow->frameGeometry().topLeft());
    loadGeneralPage();
    loadFormatPages();
    if (!m_tree->currentItem())
        selectPage(GeneralPage);
    TreeView1Change(m_tree->currentItem(), nullptr);
}

void Tfm_set::loadGeneralPage()
{
    const engine::MainState& s = m_mirrors;
    if (QAbstractButton* mode = m_mode->button(s.FunctionChoice))
        mode->setChecked(true);
    m_dir->setText(QString::fromStdString(s.OutputDirectory));
    m_time->setText(QString::fromStdString(decimalSeconds(s.splitMs)));
    m_count->setText(QString::number(s.splitCount));
    m_fadeIn->setChecked(s.fadeIn);
    m_fadeOut->setChecked(s.fadeOut);
    m_verify->setChecked(readFlag(m_profile, keys::verifyOutputs));
    m_workers->setValue(std::max(0, readKey(m_profile, keys::workers)));
    showFadeLength(m_fadeInTime, s.fadeInMs);
    showFadeLength(m_fadeOutTime, s.fadeOutMs);
    m_pieces->load(loadPieceSettings(m_profile));
}

void Tfm_set::loadFormatPages()
{
    for (const SettingKey* key : formatKeys)
        bindingOf(*key).set(readKey(m_profile, *key, Reader::Dialog));
    applyEnablingRules();
}

void Tfm_set::TreeView1Change(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    if (!current)
        return;
    // One branch open at a time: the node selected opens, the one left closes
    // (with its parents, unless they hold the new node).
    current->setExpanded(true);
    for (QTreeWidgetItem* up = previous; up && up != current && !branchHolds(up, current);
         up = up->parent())
        up->setExpanded(false);

    const int position = positionOf(current);
    if (position < 0 || position >= pageCount)
        return;
    m_heading->setText(headingOf(position));
    m_pages->setCurrentWidget(m_pageOf[static_cast<size_t>(position)]);
}

void Tfm_set::modeClick(int functionChoice)
{
    // The mode takes effect at once, whether or not OK follows.
    m_mirrors.FunctionChoice = functionChoice;
}

bool Tfm_set::checkSplitField(QLineEdit* field, const QString& fallback, int* value)
{
    const QString shown = field->text();
    bool valid = false;
    int number = shown.toInt(&valid, 10);
    if (shown.isEmpty() || (valid && number < 1)) {
        field->setText(fallback);
        number = fallback.toInt();
    } else if (!valid) {
        inform(QStringLiteral("'%1' is not a valid integer value").arg(shown));
        return false;
    }
    *value = number;
    return true;
}

bool Tfm_set::checkTimeField(int64_t* ms)
{
    const QString shown = m_time->text();
    std::optional<int64_t> length = parseTimeMs(shown.toStdString());
    if (shown.isEmpty() || (length && *length < 1)) {
        m_time->setText(splitSecondsFallback);
        length = parseTimeMs(splitSecondsFallback.toStdString());
    } else if (!length) {
        inform(QString::fromStdString(notATimeMessage(shown.toStdString())));
        return false;
    }
    *ms = *length;
    return true;
}

void Tfm_set::edt_timeExit()
{
    int64_t ms = 0;
    checkTimeField(&ms);
}

void Tfm_set::edt_countExit()
{
    int count = 0;
    checkSplitField(m_count, splitCountFallback, &count);
}

void Tfm_set::bt_dirClick()
{
    if (!m_folderChooser)
        return;
    // It opens on the folder the path field names.
    const QString chosen = m_folderChooser->choose(QStringLiteral("Output Directory"),
                                                   DirPurpose::OutputFolder, m_dir->text());
    if (!chosen.isEmpty())
        m_dir->setText(chosen);
}

int Tfm_set::wmaPosition() const
{
    // A picked entry keeps its own position even where two entries share a
    // text; a typed text finds its entry; a text naming none keeps the position.
    const int position = std::max(m_wma->currentIndex(), 0);
    const QString typed = m_wma->currentText().trimmed();
    if (m_wma->itemText(position) == typed)
        return position;
    const int found = m_wma->findText(typed, Qt::MatchFixedString);
    return found >= 0 ? found : position;
}

void Tfm_set::OkClick()
{
    FormatChoice choice;
    choice.mp3Frequency = m_mp3Frequency->currentIndex();
    choice.mp3Bitrate = m_mp3Bitrate->currentIndex();
    choice.mp3Channel = m_mp3Channel->currentIndex();
    choice.oggFrequency = m_oggFrequency->currentIndex();
    choice.oggChannel = m_oggChannel->currentIndex();
    choice.oggBitrate = m_oggBitrate->currentIndex();
    choice.oggMinBitrate = m_oggMinBitrate->currentIndex();
    choice.oggMaxBitrate = m_oggMaxBitrate->currentIndex();
    choice.oggQualityMode = m_oggQualityMode->isChecked();
    const FormatCheck check = checkFormats(m_component, choice);
    if (!check.passed) {
        inform(QString::fromStdString(lineBreaksForDisplay(check.message)));
        return;
    }

    // An empty path keeps the folder in use: there is no folder to name.
    const QString path = m_dir->text();
    if (!path.isEmpty())
        m_mirrors.OutputDirectory = withFinalSlash(path.toStdString());

    int64_t pieceMs = 0;
    int count = 0;
    if (!checkTimeField(&pieceMs) || !checkSplitField(m_count, splitCountFallback, &count))
        return;
    m_mirrors.splitMs = pieceMs;
    m_mirrors.splitCount = count;
    if (const QString refusal = m_pieces->check(); !refusal.isEmpty()) {
        inform(refusal);
        return;
    }
    const std::optional<int64_t> fadeInMs = fadeLengthOf(m_fadeInTime);
    const std::optional<int64_t> fadeOutMs = fadeLengthOf(m_fadeOutTime);
    if (!fadeInMs || !fadeOutMs) {
        const QString typed = (fadeInMs ? m_fadeOutTime : m_fadeInTime)->currentText();
        inform(QString::fromStdString(notATimeMessage(typed.toStdString())));
        return;
    }

    try {
        m_profile.writeText(keys::mainPath.section, keys::mainPath.name, path.toStdString());
        m_mirrors.fadeIn = m_fadeIn->isChecked();
        m_mirrors.fadeOut = m_fadeOut->isChecked();
        m_mirrors.fadeInMs = *fadeInMs;
        m_mirrors.fadeOutMs = *fadeOutMs;
        writeKey(m_profile, keys::verifyOutputs, m_verify->isChecked() ? 1 : 0);
        writeKey(m_profile, keys::workers, m_workers->value());
        for (const SettingKey* key : formatKeys)
            writeKey(m_profile, *key, bindingOf(*key).get());
        savePieceSettings(m_profile, m_pieces->value());
    } catch (const SettingsWriteError& error) {
        inform(QString::fromStdString(error.what()));
        return;
    }

    if (m_hooks.selectionChanged)
        m_hooks.selectionChanged();
    accept();
}

void Tfm_set::CancelClick()
{
    reject();
}

void Tfm_set::DefaultClick()
{
    // The format pages only: the general page and the command line stay.
    for (const SettingKey* key : formatKeys)
        bindingOf(*key).set(key->resetValue);
    applyEnablingRules();
}

void Tfm_set::codingMethodChange()
{
    const bool variable = m_codingMethod->currentIndex() > 0; // 0 is "None"
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_vbrBitrate, m_vbrQuality, m_vbrHeader, m_vbrEnforce})
        control->setEnabled(variable);
}

void Tfm_set::highpassClick()
{
    const bool on = m_highpass->isChecked();
    m_highpassFrequency->setEnabled(on);
    m_highpassWidth->setEnabled(on);
    m_highpassWidthCaption->setEnabled(on);
}

void Tfm_set::lowpassClick()
{
    const bool on = m_lowpass->isChecked();
    m_lowpassFrequency->setEnabled(on);
    m_lowpassWidth->setEnabled(on);
    m_lowpassWidthCaption->setEnabled(on);
}

void Tfm_set::presetRules()
{
    // The two boxes shut each other out: a checked box enables its own group
    // and disables the other box. Applied as a rule of the boxes' state (not of
    // the box that changed), a file holding both shows both groups enabled
    // whatever the dialog showed before.
    const bool preset = m_preset->isChecked();
    const bool alt = m_altPreset->isChecked();
    m_presetGroup->setEnabled(preset);
    m_altPresetGroup->setEnabled(alt);
    m_preset->setEnabled(!alt);
    m_altPreset->setEnabled(!preset);
}

void Tfm_set::wavModeClick()
{
    const bool custom = m_wavMode->checkedId() == 2; // "Custom WAV format."
    for (QComboBox* list : {m_wavFrequency, m_wavBits, m_wavChannel})
        list->setEnabled(custom);
}

void Tfm_set::oggVbrClick()
{
    const bool variable = m_oggVbr->isChecked();
    m_oggQualityMode->setEnabled(!variable);
    m_oggMinBitrate->setEnabled(variable);
    m_oggMaxBitrate->setEnabled(variable);
}

void Tfm_set::oggQualityClick()
{
    const bool quality = m_oggQualityMode->isChecked();
    m_oggVbr->setEnabled(!quality);
    m_oggQuality->setEnabled(quality);
}

void Tfm_set::applyEnablingRules()
{
    codingMethodChange();
    highpassClick();
    lowpassClick();
    presetRules();
    wavModeClick();
    oggVbrClick();
    oggQualityClick();
}

void Tfm_set::inform(const QString& message)
{
    if (m_hooks.inform) {
        m_hooks.inform(this, message);
        return;
    }
    QMessageBox box(QMessageBox::Information, QGuiApplication::applicationDisplayName(), message,
                    QMessageBox::Ok, this);
    box.exec();
}

} // namespace brisklet::settings::dialog
