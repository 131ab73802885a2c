#pragma once
// Temporary files this program leaves when it is killed mid-write: hidden
// names of the form base::temporaryPrefixFor(target) + six characters. A job
// that starts in a folder removes the ones older than a day, which no running
// job is still writing.

#include <string>

namespace brisklet::engine {

// True for a name the program gives its temporary files.
bool isLeftoverName(const std::string& name);

// Removes the regular files in `folder` with a leftover's name last changed
// more than a day ago; returns how many. Failures are ignored: the files are
// the program's own and harmless.
int removeOldLeftovers(const std::string& folder);

} // namespace brisklet::engine
