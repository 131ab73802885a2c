// Command dispatch: every skin object name and popup-menu item, and which of
// them a running job (`converting`) turns away.
#include "app/about.h"
#include "app/mainwindow.h"
#include "base/units.h"
#include "engine/foldersources.h"
#include "settings/dialog/dir.h"

#include <QDir>
#include <QUrl>

namespace brisklet::app {

void Tfm_main::runCommand(const std::function<void()>& command)
{
    // The application's standard error box: an error of the audio component
    // (or any other) ends the command and is shown with its message.
    try {
        command();
    } catch (const std::exception& error) {
        m_dialogs->inform(this, QString::fromStdString(error.what()));
    }
}

void Tfm_main::inform(const std::string& message)
{
    if (!message.empty())
        m_dialogs->inform(this, QString::fromStdString(message));
}

void Tfm_main::Skin1Click(const QString& name)
{
    const bool idle = !state().converting;
    runCommand([&] {
        // Names are compared exactly, in this order; the first match acts.
        if (name == u"file") {
            if (idle)
                popupMenu(m_pFile, 19, 80);
        } else if (name == u"Action") {
            if (idle)
                popupMenu(m_pAction, 69, 80);
        } else if (name == u"Settings") {
            showSettingsDialog();
        } else if (name == u"Help") {
            popupMenu(m_pHelp, 276, 80);
        } else if (name == u"addfile") {
            if (idle)
                addFiles();
        } else if (name == u"Up") {
            model().moveSelectedUp();
        } else if (name == u"Down") {
            model().moveSelectedDown();
        } else if (name == u"Remove") {
            if (idle)
                removeCommand();
        } else if (name == u"Clear") {
            if (idle)
                clearCommand();
        } else if (name == u"Set") {
            showSettingsDialog();
        } else if (name == u"play") {
            if (idle)
                playCommand();
        } else if (name == u"stop") {
            if (state().previewPlaying)
                stopPreview();
        } else if (name == u"hou") {
            if (idle)
                stepBarBack();
        } else if (name == u"qian") {
            if (idle)
                stepBarForward();
        } else if (name == u"Split") {
            if (idle && splitCommand())
                openOutputFolder();
        } else if (name == u"Join") {
            if (idle)
                joinCommand();
        } else if (name == u"Begin") {
            if (idle)
                inform(model().takeBegin());
        } else if (name == u"End") {
            if (idle)
                inform(model().takeEnd());
        } else if (name == u"Ok") {
            if (idle)
                inform(model().commitSegment());
        } else if (name == u"Stop") {
            stopCommand();
        } else if (name == u"helpfile") {
            openHelpFile();
        }
    });
}

void Tfm_main::popupMenu(QMenu* menu, int dx, int dy)
{
    m_dialogs->popup(*menu, frameGeometry().topLeft() + QPoint(dx, dy));
}

void Tfm_main::createMenus()
{
    m_pFile = new QMenu(this);
    m_pAction = new QMenu(this);
    m_pHelp = new QMenu(this);
    m_pLv = new QMenu(this);
    m_pFile->setObjectName(QStringLiteral("p_file"));
    m_pAction->setObjectName(QStringLiteral("p_action"));
    m_pHelp->setObjectName(QStringLiteral("p_help"));
    m_pLv->setObjectName(QStringLiteral("p_lv"));

    auto item = [this](QMenu* menu, const char* caption, std::function<void()> action) {
        connect(menu->addAction(QString::fromUtf8(caption)), &QAction::triggered, this,
                [this, action] { runCommand(action); });
    };
    auto unlessConverting = [this](std::function<void()> action) {
        return [this, action] {
            if (!state().converting)
                action();
        };
    };
    auto up = [this] { model().moveSelectedUp(); };
    auto down = [this] { model().moveSelectedDown(); };
    // The menus' "Remove" never removes a segment.
    auto removeFile = [this] {
        if (!state().converting && !state().segmentListFocused) {
            model().removeSelectedSource();
            model().refreshTotalTime();
        }
    };
    auto clear = unlessConverting([this] { clearCommand(); });
    auto stop = [this] { stopCommand(); };
    auto tags = [this] { showTagEditor(); };
    auto segments = unlessConverting([this] { showSegmentEditor(); });

    item(m_pFile, "Add File", unlessConverting([this] { addFiles(); }));
    item(m_pFile, "Add Folder", unlessConverting([this] { addFolder(); }));
    item(m_pFile, "Remove", removeFile);
    m_pFile->addSeparator();
    item(m_pFile, "Exit", [this] { close(); });

    item(m_pAction, "File Up", up);
    item(m_pAction, "File Down", down);
    item(m_pAction, "Remove", removeFile);
    item(m_pAction, "Clear", clear);
    m_pAction->addSeparator();
    item(m_pAction, "ID3 info", tags);
    item(m_pAction, "Segment Editor", segments);
    m_pAction->addSeparator();
    item(m_pAction, "Split", unlessConverting([this] { splitCommand(); }));
    item(m_pAction, "Join", unlessConverting([this] { joinCommand(); }));
    item(m_pAction, "Stop", stop);
    createPiecesMenu(m_pAction);

    item(m_pLv, "Add File", unlessConverting([this] { addFiles(); }));
    item(m_pLv, "Add Path", unlessConverting([this] { addFolder(); }));
    m_pLv->addSeparator();
    item(m_pLv, "Clear", clear);
    item(m_pLv, "Remove", removeFile);
    item(m_pLv, "ID3 info", tags);
    item(m_pLv, "Segment Editor", segments);
    m_pLv->addSeparator();
    item(m_pLv, "UP", up);
    item(m_pLv, "Down", down);
    m_pLv->addSeparator();
    item(m_pLv, "Play", unlessConverting([this] { playCommand(); }));
    item(m_pLv, "Stop", stop);

    item(m_pHelp, "Content", [this] { openHelpFile(); });
    item(m_pHelp, "HomePage", [this] { m_dialogs->open(QUrl(homePageUrl)); });
    m_pHelp->addSeparator();
    item(m_pHelp, "About", [this] { showAbout(); });
}

QAction* Tfm_main::menuItem(QMenu* menu, const QString& caption) const
{
    for (QAction* action : menu->actions()) {
        if (action->text() == caption)
            return action;
    }
    return nullptr;
}

void Tfm_main::addFiles()
{
    QStringList files = m_dialogs->chooseSourceFiles(this, sourceFileFilter);
    if (files.isEmpty())
        return;
    if (state().previewPlaying)
        stopPreview();
    for (const QString& file : files) {
        pumpEvents();
        inform(model().addSource(QDir::cleanPath(file).toStdString(), engine::AddOrigin::Dialog));
    }
    model().finishAdding();
}

void Tfm_main::addFolder()
{
    QString folder = m_setup.chooseSourceFolder
                         ? m_setup.chooseSourceFolder()
                         : m_dir->choose(QStringLiteral("Add File Directory"),
                                         settings::dialog::DirPurpose::SourceFolder);
    if (folder.isEmpty())
        return;
    if (state().previewPlaying)
        stopPreview();
    addFolderContents(folder);
    model().finishAdding();
}

void Tfm_main::addFolderContents(const QString& folder)
{
    for (const std::string& path : engine::folderSources(folder.toStdString())) {
        pumpEvents();
        inform(model().addSource(QDir::cleanPath(QString::fromStdString(path)).toStdString(),
                                 engine::AddOrigin::Folder));
    }
}

void Tfm_main::removeCommand()
{
    if (state().segmentListFocused)
        inform(model().removeSelectedSegment());
    else
        model().removeSelectedSource();
    model().refreshTotalTime();
}

void Tfm_main::clearCommand()
{
    if (state().segmentListFocused)
        model().resetSegments();
    else
        model().clearSources();
    model().refreshTotalTime();
}

void Tfm_main::playCommand()
{
    if (state().segmentListFocused && state().segmentsEditable())
        playSelectedSegment();
    else
        playSelectedFile();
}

bool Tfm_main::splitCommand()
{
    if (model().sources().empty())
        return false;
    if (state().previewPlaying)
        stopPreview();
    runSplitJob();
    return true;
}

void Tfm_main::joinCommand()
{
    if (state().previewPlaying)
        stopPreview();
    QString fileName = joinSaveDialogStep();
    if (fileName.isEmpty())
        return;
    runJoinJob(fileName);
    state().converting = false;
    openOutputFolder();
}

void Tfm_main::stopCommand()
{
    if (state().previewPlaying)
        stopPreview();
    if (state().converting)
        model().stopJob();
}

void Tfm_main::openOutputFolder()
{
    m_dialogs->open(QUrl::fromLocalFile(QString::fromStdString(state().OutputDirectory)));
}

void Tfm_main::openHelpFile()
{
    m_dialogs->open(QUrl::fromLocalFile(m_programFolder + QStringLiteral("/help/brisklet.html")));
}

void Tfm_main::showAbout()
{
    m_about->exec();
}

skin::SkinObject* Tfm_main::skinObject(const QString& name) const
{
    try {
        return m_skin->GetSkinForm(const_cast<Tfm_main*>(this))->FindObject(name);
    } catch (const skin::SkinError&) {
        return nullptr;
    }
}

// --- clicks in the lists and on the position bar ---

void Tfm_main::selectionClick()
{
    if (m_updatingLists)
        return;
    model().selectionChanged();
}

void Tfm_main::segmentClick()
{
    if (m_updatingLists)
        return;
    model().segmentListClicked();
}

void Tfm_main::barMouseDown(skin::SkinObject* source)
{
    if (source->GetName() == u"pb")
        state().positionDragging = true;
}

void Tfm_main::barScrollTrack(skin::SkinObject* source)
{
    if (source->GetName() != u"pb" || !state().positionDragging || selectedSourceRow() < 0)
        return;
    engine::MainState& s = state();
    s.barPosition = std::min(m_pb->GetPosition(), positionBar().usableRange());
    const engine::listrecord& entry =
        model().sources().entries()[s.mode() == engine::Mode::Unification ? 0
                                                                          : selectedSourceRow()];
    if (showPlayedSegmentTimeAtBar(s.barPosition))
        return; // a segment preview shows the time within the played segment
    setTimeCaption(
        timeTextMs(engine::timeAtBar(s.barPosition, entry.wholeMs(), positionBar().usableRange())));
}

void Tfm_main::barMouseUp(skin::SkinObject* source)
{
    if (source->GetName() != u"pb")
        return;
    state().positionDragging = false;
    if (state().previewPlaying)
        previewBarReleased();
}

} // namespace brisklet::app
