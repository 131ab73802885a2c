#include "smallmount.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>

namespace brisklet::test {

SmallMount::SmallMount(size_t bytes)
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "brisklet-mount-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        m_reason = std::strerror(errno);
        return;
    }
    m_path = pattern;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
    if (::mount("tmpfs", m_path.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        m_reason = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
        return;
    }
    m_mounted = true;
}

SmallMount::~SmallMount()
{
    if (m_mounted)
        ::umount2(m_path.c_str(), MNT_DETACH);
    if (!m_path.empty())
        ::rmdir(m_path.c_str());
}

bool SmallMount::makeReadOnly()
{
    return ::mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

void SmallMount::fill()
{
    std::FILE* filler = std::fopen(file("filler").c_str(), "wb");
    if (!filler)
        return;
    const std::string block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
    }
    std::fclose(filler);
    // A few small files use up the last inodes' worth of slack.
    for (int i = 0; i < 64; ++i) {
        std::FILE* small = std::fopen(file("filler" + std::to_string(i)).c_str(), "wb");
        if (!small)
            break;
        std::fputc('x', small);
        std::fclose(small);
    }
}

std::vector<std::string> folderNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace brisklet::test
