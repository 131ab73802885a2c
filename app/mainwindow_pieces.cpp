// The main window's commands for pieces found for the user: pauses, cue
// sheets and label files fill the segment lists, where they can be edited
// before a split; the segments go out as a label file; a join may write a cue
// sheet. The search for pauses runs like a job, with progress and Stop.
#include "app/mainwindow.h"
#include "app/mainwindow_jobs.h"
#include "engine/piecesettingsmirror.h"
#include "engine/proposalcommands.h"
#include "settings/piecesettings.h"

#include <QMenu>

#include <filesystem>

namespace brisklet::app {

void Tfm_main::createPiecesMenu(QMenu* parent)
{
    QMenu* pieces = parent->addMenu(QStringLiteral("Pieces"));
    pieces->setObjectName(QStringLiteral("p_pieces"));
    auto item = [this, pieces](const char* caption, std::function<void()> action) {
        connect(pieces->addAction(QString::fromUtf8(caption)), &QAction::triggered, this,
                [this, action] {
                    if (!state().converting)
                        runCommand(action);
                });
    };
    item("Find Pauses", [this] { proposePauses(false); });
    item("Find Pauses in Every File", [this] { proposePauses(true); });
    pieces->addSeparator();
    item("Import Cue Sheet...", [this] { importCueSheet(); });
    item("Import Labels...", [this] { importLabels(); });
    item("Export Labels...", [this] { exportLabelsCommand(); });
}

void Tfm_main::refreshPieceSettings()
{
    engine::mirrorPieceSettings(state(), settings::loadPieceSettings(m_profile));
}

void Tfm_main::proposePauses(bool everySource)
{
    refreshPieceSettings();
    inform(engine::proposeFromSilence(model(), state().silence,
                                      everySource ? engine::ProposalScope::Every
                                                  : engine::ProposalScope::Selected));
}

void Tfm_main::importCueSheet()
{
    const QStringList chosen =
        m_dialogs->chooseSourceFiles(this, QStringLiteral("Cue sheets (*.cue *.CUE)"));
    if (chosen.isEmpty())
        return;
    inform(engine::proposeFromCueSheet(model(), chosen.front().toStdString(),
                                       engine::ProposalScope::Selected));
}

void Tfm_main::importLabels()
{
    const QStringList chosen =
        m_dialogs->chooseSourceFiles(this, QStringLiteral("Label files (*.txt);;All files (*)"));
    if (chosen.isEmpty())
        return;
    inform(engine::proposeFromLabels(model(), chosen.front().toStdString(),
                                     engine::ProposalScope::Selected));
}

void Tfm_main::exportLabelsCommand()
{
    if (model().sources().empty())
        return;
    const std::optional<SaveAnswer> answer =
        m_dialogs->chooseSaveFile(this, QString::fromStdString(state().OutputDirectory),
                                  QStringLiteral("Label files (*.txt)"), 1);
    if (!answer || answer->fileName.isEmpty())
        return;
    std::string path = answer->fileName.toStdString();
    if (std::filesystem::path(path).extension().empty())
        path += ".txt";
    if (std::filesystem::exists(path) &&
        !m_dialogs->confirm(this, replaceQuestion(QString::fromStdString(path))))
        return;
    inform(engine::exportLabels(model(), path));
}

void Tfm_main::writeJoinCueSheet(const std::string& outputPath)
{
    try {
        engine::writeJoinCueSheet(model(), outputPath);
    } catch (const std::exception& error) {
        inform(error.what());
    }
}

} // namespace brisklet::app
