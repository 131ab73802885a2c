#pragma once
// Replacing a file's content in one step: the new content goes to a temporary
// file in the same folder, is flushed to disk and renamed over the old file,
// so readers see either the old content or the new one, never a part.

#include <string>

namespace brisklet::settings {

// False when any step fails; the old file (if any) is then untouched and the
// temporary file removed. The temporary file is named path + tempSuffix + six
// random characters, so that one left by a crash can be recognised. A symbolic
// link is followed: its target is replaced. The old file's permissions are kept.
bool replaceFileAtomically(const std::string& path, const std::string& content,
                           const std::string& tempSuffix);

} // namespace brisklet::settings
