#include "tags/replacementfile.h"

#include "tags/tagerror.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace brisklet::tags {

std::string temporaryPathFor(const std::string& target)
{
    fs::path path(target);
    if (path.extension() == ".temp")
        return target + ".temp";
    return path.replace_extension(".temp").string();
}

ReplacementFile::ReplacementFile(std::string target, std::string errorPrefix)
    : m_target(std::move(target)), m_temporary(temporaryPathFor(m_target)),
      m_errorPrefix(std::move(errorPrefix))
{
}

ReplacementFile::~ReplacementFile()
{
    if (!m_committed) {
        std::error_code ignored;
        fs::remove(m_temporary, ignored);
    }
}

void ReplacementFile::commit()
{
    std::error_code error;
    const fs::perms permissions = fs::status(m_target, error).permissions();
    if (!error)
        fs::permissions(m_temporary, permissions, error);
    if (!error)
        fs::rename(m_temporary, m_target, error);
    if (error)
        throw TagError(m_errorPrefix + "cannot replace " + m_target + ": " + error.message());
    m_committed = true;
}

} // namespace brisklet::tags
