#pragma once
// What the main window's split and join need beside the window itself: the
// transform that fades, the MP3 encoder settings and the encoder configuration
// over the settings file, and the join's questions put to the user.

#include "app/userdialogs.h"
#include "audio/audiofile.h"
#include "audio/lameencoder.h"
#include "audio/transform.h"
#include "engine/joinjob.h"
#include "settings/encoderconfig.h"
#include "settings/profilefile.h"

#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

namespace brisklet::app {

// The save dialog's file types, one per item of the format list and in its
// order: "MP3 Files(*.mp3);;WAV Files(*.wav);;...;;Lossless Files(*.*)".
extern const QString joinFileFilter;

// The format list's items: "MP3", "WAV", ...
QStringList formatListItems();

// The output format at a position of the format list (MP3 for none).
audio::OutputFormat formatAtListIndex(int index);
// Whether the position is "Lossless", the last item: pieces keep their
// source's format and coded data.
bool losslessAtListIndex(int index);

// The question asked before a join replaces a file the dialog did not name.
QString replaceQuestion(const QString& path);

class WindowJobs : public engine::JoinDialogs {
public:
    // All four outlive this object. `commandLine` gives the settings dialog's
    // "Command Line" text before each MP3 output.
    WindowJobs(QWidget& window, UserDialogs& dialogs, const settings::ProfileFile& profile,
               audio::IAudioFile2& writer, settings::CommandLineSource commandLine = {});

    engine::JobParts& parts() { return m_parts; }

    // engine::JoinDialogs, answered by the user through the window's dialogs.
    // The save dialog shows the Lossless type while the parts' options say
    // lossless, and the type the user chooses sets them.
    std::optional<engine::SaveChoice> askOutputName(const std::string& folder,
                                                    audio::OutputFormat format) override;
    bool confirmReplace(const std::string& path) override;
    void openFolder(const std::string& folder) override;

    // Forgets the losses of an earlier job; after a job, tellLosses() shows
    // its sources that lost frames in one message, if any did.
    void forgetLosses() { m_losses.clear(); }
    void tellLosses();

private:
    QWidget& m_window;
    UserDialogs& m_dialogs;
    std::unique_ptr<audio::IAudioTransform2> m_transform; // `AudioTransform21`
    audio::LameEncoderSettings m_lame;                    // `Mp3LameEncoder`
    settings::EncoderConfiguration m_configuration;
    engine::JobParts m_parts;
    const settings::ProfileFile& m_profile;
    settings::CommandLineSource m_commandLine;
    std::string m_losses; // a line per source that lost frames
};

} // namespace brisklet::app
