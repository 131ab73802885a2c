#include "fuzzsupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <unistd.h>

namespace brisklet::fuzz {

namespace {

std::string createScratchFolder()
{
    // Memory-backed where there is one: every iteration writes a file.
    std::error_code error;
    const bool shm = !std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", error);
    const std::filesystem::path base = shm ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (base / "brisklet-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a scratch folder");
    static std::string removeAtExit;
    removeAtExit = pattern;
    std::atexit([] {
        std::error_code error;
        std::filesystem::remove_all(removeAtExit, error);
    });
    return pattern;
}

} // namespace

const std::string& scratchFolder()
{
    static const std::string folder = createScratchFolder();
    return folder;
}

std::string writeScratchFile(const std::string& name, std::string_view bytes)
{
    const std::string path = scratchFolder() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        fail("cannot write the scratch file " + path);
    return path;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void fail(const std::string& what)
{
    std::cerr << "fuzz check failed: " << what << std::endl;
    std::abort();
}

uint8_t InputReader::byte()
{
    if (m_bytes.empty())
        return 0;
    const auto value = static_cast<uint8_t>(m_bytes.front());
    m_bytes.remove_prefix(1);
    return value;
}

std::string InputReader::text(size_t maxBytes)
{
    const size_t length = std::min<size_t>({byte(), maxBytes, m_bytes.size()});
    std::string value(m_bytes.substr(0, length));
    m_bytes.remove_prefix(length);
    return value;
}

} // namespace brisklet::fuzz
