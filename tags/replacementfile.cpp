#include "tags/replacementfile.h"

#include "tags/tagerror.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace brisklet::tags {

ReplacementFile::ReplacementFile(std::string target, std::string errorPrefix)
    : m_target(std::move(target)), m_errorPrefix(std::move(errorPrefix)),
      m_file(m_target, base::OutputFile::Options{}, m_createError)
{
    if (m_createError)
        throw TagError(m_errorPrefix + "cannot create a file beside " + m_target + ": " +
                       m_createError.message());
    m_file.closeHandle(); // the caller writes it by its path
}

std::ofstream ReplacementFile::openForWriting() const
{
    std::ofstream out(temporaryPath(), std::ios::binary | std::ios::trunc);
    if (!out)
        throw TagError(m_errorPrefix + "cannot create " + temporaryPath() + ": " +
                       std::strerror(errno));
    return out;
}

void ReplacementFile::failedWriting() const
{
    const int reason = errno != 0 ? errno : EIO;
    throw TagError(m_errorPrefix + "cannot write " + temporaryPath() + ": " +
                   std::strerror(reason));
}

void ReplacementFile::closeWritten(std::ofstream& out) const
{
    if (out) {
        errno = 0;
        out.close();
    }
    if (!out)
        failedWriting();
}

void ReplacementFile::commit()
{
    std::error_code error;
    m_file.commit(error);
    if (error)
        throw TagError(m_errorPrefix + "cannot replace " + m_target + ": " + error.message());
}

} // namespace brisklet::tags
