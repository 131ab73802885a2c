#pragma once
// The main window Tfm_main: the skinned face, the source and segment lists,
// the window-wide state (in its job model) and the dispatch of every command.

#include "app/preview.h"
#include "app/userdialogs.h"
#include "audio/audiofile.h"
#include "audio/player/player.h"
#include "engine/jobmodel.h"
#include "settings/profilefile.h"
#include "skin/skin.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <memory>

namespace brisklet::settings::dialog {
class Tfm_dir;
class Tfm_set;
} // namespace brisklet::settings::dialog

namespace brisklet::tags::editor {
class Tfm_id3;
}

namespace brisklet::app {

class Tfm_about;
class WindowJobs;

// The program's title; also what keeps a second instance from starting.
inline const QString applicationTitle = QStringLiteral("Brisklet V1.01");
inline const QString homePageUrl = QStringLiteral("https://brisklet.github.io/");
inline const QString sourceFileFilter = QStringLiteral(
    "All Supported Files (*.mp3 *.wav *.wma *.ogg *.mp2 *.flac *.opus *.m4a);;"
    "MP3 Files (*.mp3 *.mp2);;WMA Files (*.wma);;OGG Files (*.ogg);;WAV File (*.wav);;"
    "FLAC Files (*.flac);;Opus Files (*.opus);;M4A Files (*.m4a)");

struct MainWindowSetup {
    // The settings file: the bare name lives in the user's configuration folder.
    std::string settingsPath = settings::ProfileFile::programFileName;
    // Where the skin file and the manual are; empty: resourceFolder() of the
    // program's folder.
    QString programFolder;
    // Answers the dialogs; null: the real ones. Not owned.
    UserDialogs* dialogs = nullptr;
    // Asks for a source folder instead of the folder chooser (tests).
    std::function<QString()> chooseSourceFolder;
    // Makes the preview player; null: the one over the system's sound output.
    std::function<std::unique_ptr<audio::IAudioPlayer2>()> createPlayer;
};

class Tfm_main : public QWidget, public engine::JobView {
    Q_OBJECT
public:
    explicit Tfm_main(MainWindowSetup setup = {});
    ~Tfm_main() override;

    engine::JobModel& model() { return *m_model; }
    engine::MainState& state() { return m_model->state(); }
    settings::ProfileFile& profile() { return m_profile; }
    skin::Skin& Skin1() { return *m_skin; }
    QTreeWidget* lv() const { return m_lv; }
    QTreeWidget* lv_time() const { return m_lvTime; }
    QPlainTextEdit* sm() const { return m_hint; }
    QComboBox* cb_format() const { return m_format; }
    // The mode, the piece length or count and the fades, as Settings left them.
    QLabel* lb_job() const { return m_jobSummary; }
    QMenu* p_file() const { return m_pFile; }
    QMenu* p_action() const { return m_pAction; }
    QMenu* p_help() const { return m_pHelp; }
    QMenu* p_lv() const { return m_pLv; }
    settings::dialog::Tfm_dir* folderChooser() const { return m_dir; }
    settings::dialog::Tfm_set* settingsDialog() const { return m_set; }
    // The settings dialog's "Command Line" text, read before each MP3 output.
    std::string commandLineText() const;
    Tfm_about* about() const { return m_about; }
    tags::editor::Tfm_id3* tagEditor() const { return m_id3; }
    // The skin's named object, or null when the skin lacks it.
    skin::SkinObject* skinObject(const QString& name) const;
    // False when the skin could not be set up (its message was shown).
    bool skinReady() const { return m_skinReady; }
    // Once closed the window is on its way out and is not brought back.
    bool closing() const { return m_closing; }
    QString programFolder() const { return m_programFolder; }

    // Adds files as the Add dialog does (with its refusals) and the audio
    // files of folders as Add Folder does: files dropped on the window or
    // given on the command line. During a job or a modal window they wait.
    void addPaths(const QStringList& paths);

    // A click on a skin object: the command of that exact name.
    void Skin1Click(const QString& name);
    // The menu item with that caption, or null.
    QAction* menuItem(QMenu* menu, const QString& caption) const;

    // engine::JobView
    void appendSourceRow(const engine::listrecord& entry) override;
    void setSourceRow(int row, const engine::listrecord& entry) override;
    void removeSourceRow(int row) override;
    void clearSourceRows() override;
    int selectedSourceRow() const override;
    void selectSourceRow(int row) override;
    void focusSourceList() override;
    void showSegmentRows(const std::vector<engine::SegmentRow>& rows) override;
    void appendSegmentRow(const engine::SegmentRow& row) override;
    void setSegmentRow(int row, const engine::SegmentRow& content) override;
    void removeSegmentRow(int row) override;
    int selectedSegmentRow() const override;
    void selectSegmentRow(int row) override;
    engine::BarValues positionBar() const override;
    void setPositionBarRange(int max, int pageSize) override;
    void setBarPosition(int position) override;
    void setTimeCaption(const std::string& text) override;
    void setTotalTime(const std::string& text) override;
    void setPathText(const std::string& text) override;
    void setPercentText(const std::string& text) override;
    void setProgressWidth(int pixels) override;
    void showHint(bool shown) override;
    void showJobStopped(const std::string& line) override;
    void pumpEvents() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Set-up when first shown.
    void FormShow();
    void setUpSkin();
    void createLists();
    void showJobSettings();
    void createMenus();
    // Keys for the skin's commands and the menu items (mainwindow_keys.cpp).
    void createShortcuts();

    // Commands.
    void runCommand(const std::function<void()>& command);
    void popupMenu(QMenu* menu, int dx, int dy);
    void addFiles();
    void addFolder();
    void addFolderContents(const QString& folder);
    void removeCommand();
    void clearCommand();
    void playCommand();
    bool splitCommand();
    void joinCommand();
    void stopCommand();
    void inform(const std::string& message);
    void openOutputFolder();
    void openHelpFile();
    void showAbout();
    void selectionClick();
    void segmentClick();
    void barMouseDown(skin::SkinObject* source);
    void barScrollTrack(skin::SkinObject* source);
    void barMouseUp(skin::SkinObject* source);

    // The settings dialog and the tag editor (mainwindow_settings.cpp,
    // mainwindow_hooks.cpp), the segment editor and the jobs.
    void showSettingsDialog();
    void createSettingsDialog();
    void showTagEditor();
    // The segment editor Tfm_wave for the selected source (mainwindow_editor.cpp).
    void showSegmentEditor();
    void runSplitJob();
    // The join's save dialog step: the chosen file name, or empty.
    QString joinSaveDialogStep();
    void runJoinJob(const QString& fileName);
    // The jobs' component objects and dialogs, made on first use (mainwindow_jobs.cpp).
    WindowJobs& jobs();
    // Pieces found for the user (mainwindow_pieces.cpp): the "Pieces" menu,
    // its commands, and the piece settings read before each job.
    void createPiecesMenu(QMenu* parent);
    void refreshPieceSettings();
    void proposePauses(bool everySource);
    void importCueSheet();
    void importLabels();
    void exportLabelsCommand();
    void writeJoinCueSheet(const std::string& outputPath);
    // Preview playback (mainwindow_preview.cpp).
    void playSelectedFile();
    void playSelectedSegment();
    void stopPreview();
    void stepBarBack();
    void stepBarForward();
    void previewBarReleased();

    MainWindowSetup m_setup;
    WidgetDialogs m_widgetDialogs;
    UserDialogs* m_dialogs;
    QString m_programFolder;
    settings::ProfileFile m_profile;
    std::unique_ptr<audio::IAudioFile2> m_audioFileRead;
    std::unique_ptr<audio::IAudioFile2> m_audioFile2write;
    std::unique_ptr<engine::JobModel> m_model;

    skin::Skin* m_skin;
    QTreeWidget* m_lv;
    QTreeWidget* m_lvTime;
    QPlainTextEdit* m_hint;
    QComboBox* m_format;
    QLabel* m_jobSummary;
    QMenu* m_pFile;
    QMenu* m_pAction;
    QMenu* m_pHelp;
    QMenu* m_pLv;
    settings::dialog::Tfm_set* m_set = nullptr; // mainwindow_settings.cpp
    settings::dialog::Tfm_dir* m_dir = nullptr;
    Tfm_about* m_about = nullptr;
    tags::editor::Tfm_id3* m_id3 = nullptr;

    // The skin's display objects; null when the skin lacks one.
    skin::SkinObject* m_pb = nullptr;
    skin::SkinObject* m_timecaption = nullptr;
    skin::SkinObject* m_tataltime = nullptr;
    skin::SkinObject* m_nm = nullptr;
    skin::SkinObject* m_pbpos = nullptr;
    skin::SkinObject* m_convertpb = nullptr;
    QRect m_convertpbRect; // as set up: progress moves its right edge

    bool m_shown = false;
    bool m_skinReady = false;
    bool m_closing = false;
    bool m_updatingLists = false; // selections made by the program, not the user
    QStringList m_pendingPaths;   // addPaths() waiting for a job or a dialog to end
    QTimer m_pendingPathsTimer;
    bool m_addingPaths = false;

    // --- preview playback (mainwindow_preview.cpp) ---
    // The player, made on first use with its events and the timer that delivers them.
    audio::IAudioPlayer2& AudioPlayer21();
    // Marks entry `fileIndex` as played, opens it and prepares the player for its blocks.
    void openPreviewSource(int fileIndex);
    void seekPreview(int64_t frame);
    void feedPreviewBlock();
    void followPreview(int64_t playedFrames);
    void showPreviewLevels(int left, int right);
    // A segment preview shows the time within the segment while the bar is dragged.
    bool showPlayedSegmentTimeAtBar(int position);
    // Runs one step of the preview; a failure ends the preview and shows its message.
    void guardPreview(const std::function<void()>& step, bool resetBarOnFailure);
    // Stops the player, closes the reader, gives the played row its status back
    // and clears the flags; the bar stays where it is.
    void releasePreview();
    void stepBar(bool forward);
    std::unique_ptr<audio::IAudioPlayer2> m_audioPlayer21;
    QTimer m_playerTimer;
    PreviewPlayback m_preview;
    skin::SkinObject* m_levelL = nullptr;
    skin::SkinObject* m_levelR = nullptr;
    bool m_levelsLookedUp = false;
    // --- end of preview playback ---
    // Last member: it refers to the writer and the settings file above.
    // shared_ptr, so that the destructor needs no complete type here.
    std::shared_ptr<WindowJobs> m_jobs;
};

} // namespace brisklet::app
