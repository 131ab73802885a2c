#include "audio/output_file.h"

#include "audio/audioerror.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace brisklet::audio {

namespace {

constexpr size_t BufferBytes = 1 << 16;

std::string randomSuffix(std::mt19937& random)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<size_t> pick(0, sizeof(letters) - 2);
    std::string suffix;
    for (int i = 0; i < 6; ++i)
        suffix += letters[pick(random)];
    return suffix;
}

bool isDiskFull(int error)
{
#ifdef EDQUOT
    if (error == EDQUOT)
        return true;
#endif
    return error == ENOSPC;
}

} // namespace

OutputFile::OutputFile(std::string targetPath) : m_target(std::move(targetPath))
{
    fs::path target(m_target);
    if (target.filename().empty())
        throw AudioError("cannot create " + m_target + ": " + std::strerror(EISDIR));
    std::mt19937 random(std::random_device{}());
    // "x": exclusive creation, so an existing file of the same name is never taken over.
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "." + name.
        std::string name(1, '.');
        name += target.filename().string();
        name += ".brisklet-tmp-";
        name += randomSuffix(random);
        m_temporary = (target.parent_path() / name).string();
        errno = 0;
        m_file = std::fopen(m_temporary.c_str(), "w+bx");
        if (!m_file && errno != EEXIST)
            break;
    }
    if (!m_file)
        throw AudioError("cannot create " + m_target + ": " +
                         std::strerror(errno ? errno : EEXIST));
    std::setvbuf(m_file, nullptr, _IOFBF, BufferBytes);
}

OutputFile::~OutputFile()
{
    if (m_file) {
        std::fclose(m_file);
        std::error_code ignored;
        fs::remove(m_temporary, ignored);
    }
}

void OutputFile::fail(int error) noexcept
{
    if (!m_error)
        m_error = error ? error : EIO;
}

bool OutputFile::write(const void* data, size_t size) noexcept
{
    if (m_error || !m_file)
        return false;
    if (size == 0)
        return true;
    errno = 0;
    if (std::fwrite(data, 1, size, m_file) != size) {
        fail(errno);
        return false;
    }
    return true;
}

bool OutputFile::seek(int64_t offset, int whence) noexcept
{
    if (m_error || !m_file)
        return false;
    errno = 0;
    if (std::fseek(m_file, static_cast<long>(offset), whence) != 0) {
        fail(errno);
        return false;
    }
    return true;
}

int64_t OutputFile::tell() noexcept
{
    return m_file ? static_cast<int64_t>(std::ftell(m_file)) : -1;
}

int64_t OutputFile::size() noexcept
{
    if (!m_file)
        return -1;
    long here = std::ftell(m_file);
    if (here < 0 || std::fseek(m_file, 0, SEEK_END) != 0)
        return -1;
    long end = std::ftell(m_file);
    std::fseek(m_file, here, SEEK_SET);
    return end;
}

size_t OutputFile::read(void* data, size_t size) noexcept
{
    return m_file && !m_error ? std::fread(data, 1, size, m_file) : 0;
}

void OutputFile::append(const void* data, size_t size)
{
    write(data, size);
    throwIfFailed();
}

void OutputFile::throwIfFailed() const
{
    if (!m_error)
        return;
    if (isDiskFull(m_error))
        throw AudioError("disk full while writing " + m_target);
    throw AudioError("cannot write " + m_target + ": " + std::strerror(m_error));
}

void OutputFile::commit()
{
    throwIfFailed();
    errno = 0;
    if (std::fflush(m_file) != 0)
        fail(errno);
    errno = 0;
    int closed = std::fclose(m_file);
    m_file = nullptr;
    if (closed != 0)
        fail(errno);
    std::error_code ec;
    if (!m_error) {
        // A replaced file keeps its permissions; a new one gets the usual ones.
        fs::file_status old = fs::status(m_target, ec);
        if (!ec && fs::exists(old))
            fs::permissions(m_temporary, old.permissions(), ec);
        ec.clear();
        fs::rename(m_temporary, m_target, ec);
    }
    if (m_error || ec) {
        std::error_code ignored;
        fs::remove(m_temporary, ignored);
        throwIfFailed();
        throw AudioError("cannot create " + m_target + ": " + ec.message());
    }
}

} // namespace brisklet::audio
