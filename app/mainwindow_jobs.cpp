// The main window's split and join: the engines run on the window's thread
// through its view, keeping it alive by processing events once per source, per
// piece and per chunk, so that "Stop" arrives in the middle of a job.
#include "app/mainwindow_jobs.h"

#include "app/mainwindow.h"
#include "engine/splitjob.h"
#include "settings/settingkeys.h"
#include "tags/tagcarryover.h"

#include <QUrl>
#include <QWidget>

namespace brisklet::app {

namespace {

QString buildJoinFileFilter()
{
    QStringList types;
    for (audio::OutputFormat format : audio::allOutputFormats) {
        types.append(QString::fromStdString(audio::displayNameOf(format) + " Files(*" +
                                            audio::extensionOf(format) + ")"));
    }
    // A lossless join keeps its sources' format, whose extension it gets.
    types.append(QStringLiteral("Lossless Files(*.*)"));
    return types.join(QStringLiteral(";;"));
}

} // namespace

const QString joinFileFilter = buildJoinFileFilter();

QStringList formatListItems()
{
    QStringList items;
    for (audio::OutputFormat format : audio::allOutputFormats)
        items.append(QString::fromStdString(audio::displayNameOf(format)));
    items.append(QStringLiteral("Lossless"));
    return items;
}

bool losslessAtListIndex(int index)
{
    return index == static_cast<int>(audio::allOutputFormats.size());
}

audio::OutputFormat formatAtListIndex(int index)
{
    return audio::outputFormatAt(index).value_or(audio::OutputFormat::Mp3);
}

QString replaceQuestion(const QString& path)
{
    return path + QStringLiteral(" already exists.\nDo you want to replace it?");
}

WindowJobs::WindowJobs(QWidget& window, UserDialogs& dialogs, const settings::ProfileFile& profile,
                       audio::IAudioFile2& writer, settings::CommandLineSource commandLine)
    : m_window(window), m_dialogs(dialogs), m_transform(audio::createAudioTransform()),
      m_configuration(profile, writer, m_lame, commandLine),
      m_parts{writer,
              *m_transform,
              [this](audio::OutputFormat format) { m_configuration.configure(format); },
              &tags::WriteOutputTags,
              {},
              nullptr},
      m_profile(profile), m_commandLine(std::move(commandLine))
{
    m_parts.configureWorkerWriter = [this](audio::OutputFormat format, audio::IAudioFile2& output,
                                           audio::IAudioFile2LameEnc& encoder) {
        settings::EncoderConfiguration(m_profile, output, encoder, m_commandLine).configure(format);
    };
    m_parts.noteLoss = [this](const std::string& source, const std::string& text) {
        m_losses += source + ": " + text + "\n";
    };
}

void WindowJobs::tellLosses()
{
    if (m_losses.empty())
        return;
    m_dialogs.inform(&m_window, QStringLiteral("Not all of the audio could be read; the outputs "
                                               "keep what could be:\n") +
                                    QString::fromStdString(m_losses));
    m_losses.clear();
}

// The save dialog's file types count from 1 in the format list's order.
std::optional<engine::SaveChoice> WindowJobs::askOutputName(const std::string& folder,
                                                            audio::OutputFormat format)
{
    const int losslessIndex = static_cast<int>(audio::allOutputFormats.size());
    const int shown = m_parts.options.lossless ? losslessIndex : audio::listIndexOf(format);
    std::optional<SaveAnswer> answer = m_dialogs.chooseSaveFile(
        &m_window, QString::fromStdString(folder), joinFileFilter, shown + 1);
    if (!answer || answer->fileName.isEmpty())
        return std::nullopt;
    m_parts.options.lossless = losslessAtListIndex(answer->filterIndex - 1);
    return engine::SaveChoice{answer->fileName.toStdString(),
                              audio::outputFormatAt(answer->filterIndex - 1).value_or(format)};
}

bool WindowJobs::confirmReplace(const std::string& path)
{
    return m_dialogs.confirm(&m_window, replaceQuestion(QString::fromStdString(path)));
}

void WindowJobs::openFolder(const std::string& folder)
{
    m_dialogs.open(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

// --- the window's hooks ---

WindowJobs& Tfm_main::jobs()
{
    if (!m_jobs)
        m_jobs = std::make_shared<WindowJobs>(*this, *m_dialogs, m_profile, *m_audioFile2write,
                                              [this] { return commandLineText(); });
    return *m_jobs;
}

// The split of the current FunctionChoice over every source, in the format
// chosen in cb_format. An error has ended the job cleanly when it reaches the
// command's error box.
void Tfm_main::runSplitJob()
{
    jobs().parts().options.lossless = losslessAtListIndex(m_format->currentIndex());
    jobs().parts().options.verify = settings::readFlag(m_profile, settings::keys::verifyOutputs);
    jobs().parts().options.workers =
        engine::workersFor(settings::readKey(m_profile, settings::keys::workers));
    refreshPieceSettings();
    jobs().forgetLosses();
    engine::runSplit(model(), jobs().parts(), formatAtListIndex(m_format->currentIndex()));
    jobs().tellLosses();
}

// The join's save dialog: the chosen file name, or empty when cancelled (or
// when replacing an existing file was refused). The chosen type becomes the
// format list's choice.
QString Tfm_main::joinSaveDialogStep()
{
    audio::OutputFormat format = formatAtListIndex(m_format->currentIndex());
    jobs().parts().options.lossless = losslessAtListIndex(m_format->currentIndex());
    std::optional<engine::SaveChoice> choice = engine::joinSaveDialogStep(model(), jobs(), format);
    if (!choice)
        return {};
    m_format->setCurrentIndex(jobs().parts().options.lossless
                                  ? static_cast<int>(audio::allOutputFormats.size())
                                  : audio::listIndexOf(format));
    return QString::fromStdString(choice->fileName);
}

// The join of the current FunctionChoice into `fileName` plus the extension of
// the type chosen in the save dialog.
void Tfm_main::runJoinJob(const QString& fileName)
{
    jobs().parts().options.lossless = losslessAtListIndex(m_format->currentIndex());
    jobs().parts().options.verify = settings::readFlag(m_profile, settings::keys::verifyOutputs);
    refreshPieceSettings();
    const engine::SaveChoice choice{fileName.toStdString(),
                                    formatAtListIndex(m_format->currentIndex())};
    jobs().forgetLosses();
    engine::runJoinJob(model(), jobs().parts(), choice);
    jobs().tellLosses();
    if (state().writeCueSheet && state().converting) // not stopped
        writeJoinCueSheet(choice.outputPath());
}

} // namespace brisklet::app
