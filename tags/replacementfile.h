#pragma once
// Replaces a file atomically: the new content is written to a temporary file
// beside it, which is given the old file's permissions and renamed over it.
// Until then the old file stays whole; a failed write leaves it untouched.

#include <string>

namespace brisklet::tags {

// "song.mp3" -> "song.temp": the name a leftover is recognised by.
std::string temporaryPathFor(const std::string& target);

class ReplacementFile {
public:
    // errorPrefix starts the message of a failed commit, e.g. "Cannot write comments: ".
    ReplacementFile(std::string target, std::string errorPrefix);
    ~ReplacementFile(); // removes the temporary file unless committed
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    const std::string& temporaryPath() const { return m_temporary; }
    // Renames the (closed) temporary file over the target; throws TagError.
    void commit();

private:
    std::string m_target;
    std::string m_temporary;
    std::string m_errorPrefix;
    bool m_committed = false;
};

} // namespace brisklet::tags
