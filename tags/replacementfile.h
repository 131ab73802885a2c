#pragma once
// Replaces a file atomically: the new content is written to a temporary file
// beside it (a hidden name, base::temporaryPrefixFor), which is given the old file's permissions
// and renamed over it. Until then the old file stays whole; a failed write leaves it untouched.

#include "base/output_file.h"

#include <fstream>
#include <string>
#include <system_error>

namespace brisklet::tags {

class ReplacementFile {
public:
    // Creates the temporary file, empty, never taking over an existing file, for
    // the caller to write by its path. errorPrefix starts the messages of the
    // TagErrors thrown, e.g. "Cannot write comments: ".
    ReplacementFile(std::string target, std::string errorPrefix);
    ~ReplacementFile() = default; // removes the temporary file unless committed
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    const std::string& temporaryPath() const { return m_file.temporaryPath(); }
    // The temporary file opened as a stream; throws TagError "<prefix>cannot
    // create <temporary>: <reason>".
    std::ofstream openForWriting() const;
    // Throws TagError "<prefix>cannot write <temporary>: <reason>", the reason
    // being the failed write's errno.
    [[noreturn]] void failedWriting() const;
    // Closes the stream written; throws as failedWriting() when a write or the
    // close failed.
    void closeWritten(std::ofstream& out) const;
    // Renames the (closed) temporary file over the target; throws TagError.
    void commit();

private:
    std::string m_target;
    std::string m_errorPrefix;
    std::error_code m_createError;
    base::OutputFile m_file;
};

} // namespace brisklet::tags
