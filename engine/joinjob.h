#pragma once
// The join job: one output that holds, in source-list order, each source's own
// segments (Custom), every source whole (by time, by count) or the shared
// segments applied to every source (Unification), at the first source's rate
// and channel count. Joined outputs carry no tags.

#include "engine/jobrun.h"

#include <optional>
#include <string>

namespace brisklet::engine {

// The save dialog's answer: the file name as typed (the extension is always
// appended) and the chosen file type.
struct SaveChoice {
    std::string fileName;
    audio::OutputFormat format = audio::OutputFormat::Mp3;

    // The name with the format's extension appended.
    std::string outputPath() const { return fileName + audio::extensionOf(format); }
};

// The questions a join asks the user, and what it does after.
class JoinDialogs {
public:
    virtual ~JoinDialogs() = default;
    // The save dialog, opened in `folder` with file type `format`; nothing
    // when the user cancels.
    virtual std::optional<SaveChoice> askOutputName(const std::string& folder,
                                                    audio::OutputFormat format) = 0;
    // Asked when the name with its extension appended names an existing file.
    virtual bool confirmReplace(const std::string& path) = 0;
    // After a confirmed join (also after Stop): show the output folder.
    virtual void openFolder(const std::string& folder) = 0;
};

// The save dialog step: asks for the output name in `OutputDirectory` with
// file type `outputFormat` and writes the chosen type back into
// `outputFormat`. When the name with its extension appended names an existing
// file, which the dialog did not confirm, the user is asked before it is
// replaced; "no" counts as cancelling. Nothing (no dialog) while a job runs or
// for an empty source list.
std::optional<SaveChoice> joinSaveDialogStep(JobModel& model, JoinDialogs& dialogs,
                                             audio::OutputFormat& outputFormat);

// The join of the mode in `FunctionChoice` into the chosen file. Returns the
// output path, or "" for an unknown mode (no job). `converting` is left set
// for the command to clear. Errors end the job cleanly (reader and writer
// closed, `converting` cleared, progress emptied) and are rethrown, as in
// runSplit.
std::string runJoinJob(JobModel& model, JobParts& parts, const SaveChoice& choice);

// The whole join command: the save dialog step, the join, then `converting`
// cleared and the output folder shown. Returns the output path, or "" when no
// join ran (running job, empty list, dialog cancelled, replace refused).
std::string runJoin(JobModel& model, JobParts& parts, JoinDialogs& dialogs,
                    audio::OutputFormat& outputFormat);

} // namespace brisklet::engine
