#pragma once
// A file replaced in one step: the new content is written to a temporary file
// beside the target and renamed over it only when complete, so an existing file
// is never left half-written. Every encoder writes through one of these, and
// so do the settings file and the tag writers.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>

namespace brisklet::base {

// Random characters that end a temporary file's name.
constexpr size_t kTemporarySuffixBytes = 6;

// The start of the hidden name a temporary file for `target` gets beside it:
// ".<name>.brisklet-tmp-", the name cut short when it leaves no room for the
// rest within the 255 bytes a file name may have. Leftovers are recognised by it.
std::string temporaryPrefixFor(const std::string& target);

class OutputFile {
public:
    struct Options {
        // The temporary file's path, or the start of it when randomSuffix is set
        // (six random characters follow). An existing file is never taken over:
        // without randomSuffix, when the path is taken, "-" and six random
        // characters are appended to it. Empty: temporaryPrefixFor(target).
        std::string temporary;
        bool randomSuffix = true;
        // Flush the data to the disk before the rename, so that after a power
        // failure the target holds the old content or the new, never neither.
        bool syncBeforeRename = false;
    };

    // Creates the temporary file, open for writing. Throws FileError
    // "cannot create <target>: <reason>".
    explicit OutputFile(std::string targetPath);
    OutputFile(std::string targetPath, Options options);
    // The same without throwing: `error` tells the reason; the object is then
    // unusable (every later call fails).
    OutputFile(std::string targetPath, Options options, std::error_code& error);
    // Without commit() the temporary file is removed and the target untouched.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& targetPath() const { return m_target; }
    const std::string& temporaryPath() const { return m_temporary; }

    // For library callbacks, which must not throw: false on failure, and the
    // first failure is kept for throwIfFailed().
    bool write(const void* data, size_t size) noexcept;
    bool seek(int64_t offset, int whence) noexcept;
    int64_t tell() noexcept;
    int64_t size() noexcept;
    size_t read(void* data, size_t size) noexcept;

    // Throwing forms for the encoders' own code.
    void append(const void* data, size_t size);
    // Throws FileError "disk full while writing <target>" (or "cannot write
    // <target>: <reason>") when an earlier call failed.
    void throwIfFailed() const;

    // Closes this object's handle, so that other code can write the temporary
    // file by its path; commit() still renames it over the target.
    void closeHandle() noexcept;

    // Flushes, closes and renames over the target (a symbolic link as target is
    // replaced itself); the file keeps the old target's permissions. Throws
    // FileError on any failure; the target is then unchanged and the
    // temporary file removed.
    void commit();
    // The same without throwing; `error` is cleared on success.
    void commit(std::error_code& error) noexcept;

private:
    void create(const Options& options, std::error_code& error) noexcept;
    void fail(int error) noexcept;

    std::string m_target;
    std::string m_temporary;
    std::FILE* m_file = nullptr;
    std::unique_ptr<char[]> m_buffer; // m_file's, until it is closed
    bool m_created = false;           // the temporary file exists and is ours to remove
    bool m_sync = false;
    int m_error = 0;
};

} // namespace brisklet::base
