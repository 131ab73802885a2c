#pragma once
// The settings dialog Tfm_set: the job mode, the fades and the output folder
// (in the main window's setting mirrors) and the encoder settings of the four
// output formats (in the settings file). Created once and kept for the
// program's life: the command-line text and the page last viewed outlive each
// showing, everything else is filled in afresh every time it is shown.

#include "engine/mainstate.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace brisklet::audio {
class IAudioFile2;
}

namespace brisklet::settings {
class ProfileFile;
struct SettingKey;
} // namespace brisklet::settings

namespace brisklet::settings::dialog {

class DigitField;
class Tfm_dir;

// The conversations of the dialog with the user that tests answer.
struct SettingsDialogHooks {
    // An information box with one OK button; null: a real message box.
    std::function<void(QWidget* parent, const QString& message)> inform;
    // The source list's selection handling, run by OK so that the segment list
    // follows the mode; may be null.
    std::function<void()> selectionChanged;
};

class Tfm_set : public QDialog {
    Q_OBJECT
public:
    // The page tree's positions, counted over every node from the top.
    enum Page {
        GeneralPage = 0,
        Mp3Page = 1,
        Mp3GeneralPage = 2,
        VbrPage = 3,
        FilterPage = 4,
        ExpertPage = 5,
        PresetsPage = 6,
        CommandLinePage = 7,
        WavPage = 8,
        WmaPage = 9,
        OggPage = 10,
        FlacPage = 11,
        OpusPage = 12,
    };
    static constexpr int pageCount = 13;

    // `profile` holds the format settings; `component` makes the format checks;
    // `mirrors` are the main window's general settings; the dialog places
    // itself on `mainWindow`. All outlive the dialog.
    Tfm_set(ProfileFile& profile, const audio::IAudioFile2& component, engine::MainState& mirrors,
            QWidget* mainWindow, SettingsDialogHooks hooks = {});
    ~Tfm_set() override;

    // The folder chooser that "..." opens (created after this dialog).
    void setFolderChooser(Tfm_dir* chooser) { m_folderChooser = chooser; }

    // The "Command Line" page's text (UTF-8): extra MP3 encoder options. Not
    // stored anywhere; it lives as long as the dialog.
    std::string commandLineText() const;

    // The tree position whose page is shown, or -1 before the first showing.
    int pagePosition() const;
    // Selects the tree node at `position`, as a click on it does.
    void selectPage(int position);
    QTreeWidget* TreeView1() const { return m_tree; }
    QLabel* heading() const { return m_heading; }
    QWidget* page(int position) const;
    // The heading of the page at `position`, or empty outside 0-10.
    static QString headingOf(int position);
    QPushButton* btn_ok() const { return m_ok; }
    QPushButton* btn_default() const { return m_default; }
    QPushButton* btn_cancel() const { return m_cancel; }
    QPlainTextEdit* txtCommLine() const { return m_commandLine; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // One control's value as a settings key stores it.
    struct Binding {
        const SettingKey* key;
        std::function<int()> get;
        std::function<void(int)> set;
    };

    // Building (settings_pages.cpp).
    void buildPages();
    QWidget* buildGeneralPage();
    QWidget* buildMp3GeneralPage();
    QWidget* buildVbrPage();
    QWidget* buildFilterPage();
    QWidget* buildExpertPage();
    QWidget* buildPresetsPage();
    QWidget* buildCommandLinePage();
    QWidget* buildWavPage();
    QWidget* buildWmaPage();
    QWidget* buildOggPage();
    QWidget* buildFlacPage();
    QWidget* buildOpusPage();
    void buildTree();
    // A control made for `key` (a list from the key's own list) and bound to it.
    QComboBox* boundList(const SettingKey& key, const char* name);
    QCheckBox* boundBox(const SettingKey& key, const char* caption, const char* name);
    QSpinBox* boundSpin(const SettingKey& key, const char* name, int minimum, int maximum);
    QGroupBox* boundRadios(const SettingKey& key, const char* name, const char* title, int columns,
                           QButtonGroup* buttons);
    void bind(const SettingKey& key, QComboBox* list);
    void bind(const SettingKey& key, QSpinBox* spin);
    void bind(const SettingKey& key, QCheckBox* box);
    void bind(const SettingKey& key, QButtonGroup* group);
    const Binding& bindingOf(const SettingKey& key) const;

    // Handlers.
    void FormShow();
    void TreeView1Change(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void modeClick(int functionChoice);
    void edt_timeExit();
    void edt_countExit();
    void bt_dirClick();
    void OkClick();
    void CancelClick();
    void DefaultClick();

    // Enabling rules.
    void codingMethodChange();
    void highpassClick();
    void lowpassClick();
    void presetRules();
    void wavModeClick();
    void oggVbrClick();
    void oggQualityClick();
    void applyEnablingRules();

    void loadGeneralPage();
    void loadFormatPages();
    // The leave rule of a split field: an empty or too small number becomes
    // `fallback`; false (after the refusal) when the text is no 32-bit integer.
    bool checkSplitField(QLineEdit* field, const QString& fallback, int* value);
    // edt_time as a piece length; empty or zero becomes "60".
    bool checkTimeField(int64_t* ms);
    int wmaPosition() const;
    void inform(const QString& message);

    ProfileFile& m_profile;
    const audio::IAudioFile2& m_component;
    engine::MainState& m_mirrors;
    QWidget* m_mainWindow;
    SettingsDialogHooks m_hooks;
    Tfm_dir* m_folderChooser = nullptr;
    std::vector<Binding> m_bindings;

    QTreeWidget* m_tree = nullptr;
    QLabel* m_heading = nullptr;
    QStackedWidget* m_pages = nullptr;
    std::vector<QWidget*> m_pageOf; // by tree position
    QPushButton* m_ok = nullptr;
    QPushButton* m_default = nullptr;
    QPushButton* m_cancel = nullptr;

    // General page.
    QButtonGroup* m_mode = nullptr;
    DigitField* m_time = nullptr;
    DigitField* m_count = nullptr;
    QCheckBox* m_fadeIn = nullptr;
    QCheckBox* m_fadeOut = nullptr;
    QCheckBox* m_verify = nullptr; // "ck_verify": check what was written
    QSpinBox* m_workers = nullptr; // "sp_workers": pieces encoded at once, 0 one per core
    QComboBox* m_fadeInTime = nullptr;
    QComboBox* m_fadeOutTime = nullptr;
    QLineEdit* m_dir = nullptr;
    QPushButton* m_dirButton = nullptr;
    class PiecesGroup* m_pieces = nullptr;
    // MP3 pages.
    QComboBox* m_mp3Frequency = nullptr;
    QComboBox* m_mp3Channel = nullptr;
    QComboBox* m_mp3Bitrate = nullptr;
    QComboBox* m_codingMethod = nullptr;
    QComboBox* m_vbrBitrate = nullptr;
    QSpinBox* m_vbrQuality = nullptr;
    QCheckBox* m_vbrHeader = nullptr;
    QCheckBox* m_vbrEnforce = nullptr;
    QCheckBox* m_highpass = nullptr;
    QCheckBox* m_lowpass = nullptr;
    QLabel* m_highpassWidthCaption = nullptr;
    QLabel* m_lowpassWidthCaption = nullptr;
    QSpinBox* m_highpassFrequency = nullptr;
    QSpinBox* m_highpassWidth = nullptr;
    QSpinBox* m_lowpassFrequency = nullptr;
    QSpinBox* m_lowpassWidth = nullptr;
    QCheckBox* m_preset = nullptr;
    QCheckBox* m_altPreset = nullptr;
    QGroupBox* m_presetGroup = nullptr;
    QGroupBox* m_altPresetGroup = nullptr;
    QPlainTextEdit* m_commandLine = nullptr;
    // WAV, WMA, OGG pages.
    QButtonGroup* m_wavMode = nullptr;
    QComboBox* m_wavFrequency = nullptr;
    QComboBox* m_wavBits = nullptr;
    QComboBox* m_wavChannel = nullptr;
    QComboBox* m_wma = nullptr;
    QComboBox* m_oggFrequency = nullptr;
    QComboBox* m_oggChannel = nullptr;
    QComboBox* m_oggBitrate = nullptr;
    QComboBox* m_oggMinBitrate = nullptr;
    QComboBox* m_oggMaxBitrate = nullptr;
    QSpinBox* m_oggQuality = nullptr;
    QCheckBox* m_oggVbr = nullptr;
    QCheckBox* m_oggQualityMode = nullptr;
};

} // namespace brisklet::settings::dialog
