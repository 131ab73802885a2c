#pragma once
// Helpers shared by the fuzz targets: a private scratch folder for inputs that
// the code under test can only read from a path, and a small failure report.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brisklet::fuzz {

// A folder of this process, created on first use and removed at exit.
const std::string& scratchFolder();
// scratchFolder() + "/" + name, holding exactly `bytes`.
std::string writeScratchFile(const std::string& name, std::string_view bytes);
std::string readWholeFile(const std::string& path);

// Prints what broke and aborts, so that libFuzzer keeps the input.
[[noreturn]] void fail(const std::string& what);
inline void require(bool condition, const std::string& what)
{
    if (!condition)
        fail(what);
}

// Reads the input front to back: small numbers and strings to steer a target.
class InputReader {
public:
    InputReader(const uint8_t* data, size_t size)
        : m_bytes(reinterpret_cast<const char*>(data), size)
    {
    }
    uint8_t byte();
    // At most `maxBytes` bytes, length taken from the input.
    std::string text(size_t maxBytes);
    std::string_view rest() const { return m_bytes; }

private:
    std::string_view m_bytes;
};

} // namespace brisklet::fuzz
