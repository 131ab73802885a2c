#pragma once
// Internal: an output written beside its target and renamed over it only when
// complete, so an existing file is never left half-written. Every encoder
// writes through one of these.

#include <cstdint>
#include <cstdio>
#include <string>

namespace brisklet::audio {

class OutputFile {
public:
    // Creates ".<name>.brisklet-tmp-XXXXXX" in the target's folder.
    // Throws AudioError "cannot create <target>: <reason>".
    explicit OutputFile(std::string targetPath);
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
    // Throws AudioError "disk full while writing <target>" (or "cannot write
    // <target>: <reason>") when an earlier call failed.
    void throwIfFailed() const;

    // Flushes, closes and renames over the target; the file keeps the old
    // target's permissions. Throws AudioError on any failure (the target is
    // then unchanged).
    void commit();

private:
    void fail(int error) noexcept;

    std::string m_target;
    std::string m_temporary;
    std::FILE* m_file = nullptr;
    int m_error = 0;
};

} // namespace brisklet::audio
