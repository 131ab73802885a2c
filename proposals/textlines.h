#pragma once
// The lines of a small UTF-8 text file, for the cue sheet and label readers.

#include <string>
#include <vector>

namespace brisklet::proposals {

// The file's lines without their line ends ("\n", "\r\n" or "\r") and without
// a leading byte order mark. Throws ProposalError naming the file when it
// cannot be read, is larger than `maxBytes`, or holds invalid UTF-8 (with the
// line of the first bad byte).
std::vector<std::string> readTextLines(const std::string& path, size_t maxBytes = 1 << 20);

// Writes `text` beside `path` and renames it over `path`, so that a reader
// never sees half a file. Throws ProposalError naming the file.
void writeTextFile(const std::string& path, const std::string& text);

// True when the text is well-formed UTF-8 (no overlong forms, surrogates or
// code points above U+10FFFF).
bool isValidUtf8(const std::string& text);

} // namespace brisklet::proposals
