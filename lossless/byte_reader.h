#pragma once
// Reads a source file by position through one buffer, so that walking frame
// after frame costs one system call per buffer, not one per frame. The source
// is only read, never changed.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace brisklet::lossless {

class ByteReader {
public:
    // Throws AudioError "cannot open <path>: <reason>".
    explicit ByteReader(const std::string& path);
    ~ByteReader();
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    const std::string& path() const { return m_path; }
    int64_t size() const { return m_size; }
    // Copies up to `count` bytes at `offset` into `out`; returns how many there were.
    size_t readAt(int64_t offset, void* out, size_t count);

private:
    bool fill(int64_t offset);

    std::string m_path;
    std::FILE* m_file = nullptr;
    int64_t m_size = 0;
    std::vector<uint8_t> m_buffer;
    int64_t m_bufferStart = 0;
    size_t m_bufferFill = 0;
};

} // namespace brisklet::lossless
