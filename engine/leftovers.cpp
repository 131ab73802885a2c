#include "engine/leftovers.h"

#include "base/output_file.h"

#include <chrono>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace brisklet::engine {

bool isLeftoverName(const std::string& name)
{
    // The mark and the random ending, as temporaryPrefixFor makes them.
    const std::string mark = fs::path(base::temporaryPrefixFor("x")).filename().string().substr(2);
    const size_t suffix = base::kTemporarySuffixBytes;
    return name.size() > 1 + mark.size() + suffix && name.front() == '.' &&
           name.compare(name.size() - suffix - mark.size(), mark.size(), mark) == 0;
}

int removeOldLeftovers(const std::string& folder)
{
    const auto dayAgo = fs::file_time_type::clock::now() - std::chrono::hours(24);
    int removed = 0;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (!isLeftoverName(it->path().filename().string()) || !it->is_regular_file(ignored) ||
            it->last_write_time(ignored) > dayAgo || ignored)
            continue;
        if (fs::remove(it->path(), ignored))
            ++removed;
    }
    return removed;
}

} // namespace brisklet::engine
