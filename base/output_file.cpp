#include "base/output_file.h"

#include "base/fileerror.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <random>
#include <string_view>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace brisklet::base {

namespace {

constexpr size_t BufferBytes = 1 << 16;

std::string randomSuffix(std::mt19937& random)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<size_t> pick(0, sizeof(letters) - 2);
    std::string suffix;
    for (size_t i = 0; i < kTemporarySuffixBytes; ++i)
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

std::error_code errnoCode(int error)
{
    return {error ? error : EIO, std::generic_category()};
}

// Whether the data of an open file reached the disk.
bool syncToDisk(std::FILE* file) noexcept
{
#if defined(__unix__) || defined(__APPLE__)
    return ::fsync(::fileno(file)) == 0;
#else
    (void)file;
    return true;
#endif
}

// The text cut to at most `bytes` bytes without splitting a UTF-8 sequence.
std::string cutAtCharacter(const std::string& text, size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

std::string temporaryPrefixFor(const std::string& target)
{
    constexpr std::string_view mark = ".brisklet-tmp-";
    constexpr size_t maxNameBytes = 255; // of one path component
    constexpr size_t room = maxNameBytes - 1 - mark.size() - kTemporarySuffixBytes;
    const fs::path path(target);
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "." + name.
    std::string name(1, '.');
    name += cutAtCharacter(path.filename().string(), room);
    name += mark;
    return (path.parent_path() / name).string();
}

OutputFile::OutputFile(std::string targetPath) : OutputFile(std::move(targetPath), Options{})
{
}

OutputFile::OutputFile(std::string targetPath, Options options) : m_target(std::move(targetPath))
{
    std::error_code error;
    create(options, error);
    if (error)
        throw FileError("cannot create " + m_target + ": " + error.message());
}

OutputFile::OutputFile(std::string targetPath, Options options, std::error_code& error)
    : m_target(std::move(targetPath))
{
    create(options, error);
}

void OutputFile::create(const Options& options, std::error_code& error) noexcept
{
    error.clear();
    m_sync = options.syncBeforeRename;
    try {
        fs::path target(m_target);
        if (target.filename().empty()) {
            error = errnoCode(EISDIR);
            fail(EISDIR);
            return;
        }
        const std::string start =
            options.temporary.empty() ? temporaryPrefixFor(m_target) : options.temporary;
        std::mt19937 random(std::random_device{}());
        // "x": exclusive creation, so an existing file of the same name is never
        // taken over. Without randomSuffix the plain name is tried first.
        for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
            m_temporary = start;
            if (options.randomSuffix || attempt > 0) {
                m_temporary += options.randomSuffix ? "" : "-";
                m_temporary += randomSuffix(random);
            }
            errno = 0;
            m_file = std::fopen(m_temporary.c_str(), "w+bx");
            if (!m_file && errno != EEXIST)
                break;
        }
    } catch (...) { // out of memory while building the name
        errno = ENOMEM;
    }
    if (!m_file) {
        const int reason = errno ? errno : EEXIST;
        error = errnoCode(reason);
        fail(reason);
        return;
    }
    m_created = true;
    // glibc takes a size only with the buffer: without one it buffers a file
    // system block (4 KiB), a system call for every 4 KiB written.
    m_buffer.reset(new (std::nothrow) char[BufferBytes]);
    if (m_buffer)
        std::setvbuf(m_file, m_buffer.get(), _IOFBF, BufferBytes);
}

OutputFile::~OutputFile()
{
    if (m_file)
        std::fclose(m_file);
    if (m_created) {
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
        throw FileError("disk full while writing " + m_target);
    throw FileError("cannot write " + m_target + ": " + std::strerror(m_error));
}

void OutputFile::closeHandle() noexcept
{
    if (!m_file)
        return;
    errno = 0;
    if (std::fclose(m_file) != 0)
        fail(errno);
    m_file = nullptr;
}

void OutputFile::commit()
{
    std::error_code error;
    commit(error);
    if (!error)
        return;
    throwIfFailed();
    throw FileError("cannot create " + m_target + ": " + error.message());
}

void OutputFile::commit(std::error_code& error) noexcept
{
    error.clear();
    if (!m_created) {
        fail(EBADF);
        error = errnoCode(m_error);
        return;
    }
    if (m_sync && !m_file && !m_error) {
        // Written by others through the path: open it again to reach its data.
        m_file = std::fopen(m_temporary.c_str(), "rb");
        if (!m_file)
            fail(errno);
    }
    if (m_file && !m_error) {
        errno = 0;
        if (std::fflush(m_file) != 0 || (m_sync && !syncToDisk(m_file)))
            fail(errno);
    }
    closeHandle();
    if (!m_error) {
        // A replaced file keeps its permissions; a new one gets the usual ones.
        std::error_code ignored;
        fs::file_status old = fs::status(m_target, ignored);
        if (!ignored && fs::exists(old))
            fs::permissions(m_temporary, old.permissions(), ignored);
        fs::rename(m_temporary, m_target, error);
        if (!error) {
            m_created = false; // it is the target now
            return;
        }
    } else {
        error = errnoCode(m_error);
    }
    std::error_code ignored;
    fs::remove(m_temporary, ignored);
    m_created = false;
}

} // namespace brisklet::base
