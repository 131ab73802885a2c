#include "engine/namereservation.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace brisklet::engine {

NameReservation::NameReservation(std::string path, std::error_code& error)
{
    error.clear();
    // O_EXCL with O_CREAT also refuses a symbolic link, dangling or not.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = std::error_code(errno, std::generic_category());
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
        m_device = info.st_dev;
        m_inode = info.st_ino;
    }
    ::close(fd);
    m_path = std::move(path);
}

NameReservation::~NameReservation()
{
    release();
}

NameReservation::NameReservation(NameReservation&& other) noexcept
    : m_path(std::exchange(other.m_path, {})), m_device(other.m_device), m_inode(other.m_inode)
{
}

NameReservation& NameReservation::operator=(NameReservation&& other) noexcept
{
    if (this != &other) {
        release();
        m_path = std::exchange(other.m_path, {});
        m_device = other.m_device;
        m_inode = other.m_inode;
    }
    return *this;
}

void NameReservation::release() noexcept
{
    if (m_path.empty())
        return;
    struct stat info {};
    if (::lstat(m_path.c_str(), &info) == 0 && info.st_dev == m_device && info.st_ino == m_inode &&
        info.st_size == 0)
        ::unlink(m_path.c_str());
    m_path.clear();
}

} // namespace brisklet::engine
