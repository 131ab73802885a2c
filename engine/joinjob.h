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
// appended) and the file type, 1 MP3, 2 WAV, 3 WMA, 4 OGG.
struct SaveChoice {
    std::string fileName;
    int filterIndex = 1;
};

// The questions a join asks the user, and what it does after.
class JoinDialogs {
public:
    virtual ~JoinDialogs() = default;
    // The save dialog, opened in `folder` with file type `filterIndex`; nothing
    // when the user cancels.
    virtual std::optional<SaveChoice> askOutputName(const std::string& folder, int filterIndex) = 0;
    // Asked when the name with its extension appended names an existing file.
    virtual bool confirmReplace(const std::string& path) = 0;
    // After a confirmed join (also after Stop): show the output folder.
    virtual void openFolder(const std::string& folder) = 0;
};

// ".mp3", ".wav", ".wma", ".ogg" for file types 1-4.
std::string extensionForFilter(int filterIndex);

// Runs the join command. `outputFormat` is the format list's position; the
// dialog's choice is written back into it. Returns the output path, or "" when
// no join ran (running job, empty list, dialog cancelled, replace refused).
// Errors end the job cleanly and are rethrown, as in runSplit.
std::string runJoin(JobModel& model, JobParts& parts, JoinDialogs& dialogs, int& outputFormat);

} // namespace brisklet::engine
