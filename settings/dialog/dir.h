#pragma once
// The folder chooser Tfm_dir: a folders-only tree of the file system with "New
// Folder", "Ok" and "Cancel". Created once and kept for the program's life, so
// the tree keeps its expansion and selection from one use to the next.

#include <QDialog>
#include <QString>

class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace brisklet::settings {
class ProfileFile;
}

namespace brisklet::settings::dialog {

// Who asks: the settings dialog's "..." (the output folder) or the main
// window's add-folder command (a folder of source files).
enum class DirPurpose { OutputFolder, SourceFolder };

// The folder "New Folder" makes under `parent`: "/music" gives "/music/New Folder",
// the root "/" gives "/New Folder" (no doubled separator).
QString newFolderPath(const QString& parent);

class Tfm_dir : public QDialog {
    Q_OBJECT
public:
    // `profile` is the program's settings file, written by "Ok" for the output
    // purpose; `mainWindow` is where the chooser shows itself. Both outlive it.
    Tfm_dir(ProfileFile& profile, QWidget* mainWindow);

    // Shows the chooser modally with `caption` for `purpose`, on `startFolder`
    // when it names a folder (else where the tree was left); returns
    // chosenFolder() when it closes.
    QString choose(const QString& caption, DirPurpose purpose, const QString& startFolder = {});

    // The chosen folder's path (no final "/" unless it is the root), or empty
    // when the user gave up. Kept until the next use.
    const QString& chosenFolder() const { return m_chosenFolder; }

    // The tree's selected folder, or empty.
    QString selectedFolder() const;
    // Selects and shows `path` in the tree.
    void selectFolder(const QString& path);

    QPushButton* Button1() const { return m_newFolder; }
    QPushButton* btn_ok() const { return m_ok; }
    QPushButton* btn_cancel() const { return m_cancel; }
    QTreeView* ShellTreeView1() const { return m_tree; }

Q_SIGNALS:
    // "Ok" for the output purpose: the settings dialog's edt_dir takes the text.
    void outputFolderChosen(const QString& folder);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OkClick();
    void CancelClick();
    void NewFolderClick();

    ProfileFile& m_profile;
    QWidget* m_mainWindow;
    DirPurpose m_purpose = DirPurpose::SourceFolder;
    QString m_chosenFolder;
    QFileSystemModel* m_model;
    QTreeView* m_tree;
    QPushButton* m_newFolder;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

} // namespace brisklet::settings::dialog
