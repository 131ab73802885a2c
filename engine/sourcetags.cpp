#include "engine/sourcetags.h"

namespace brisklet::engine {

SourceTags readSourceTags(const std::string& path, AddOrigin origin)
{
    return tags::readSourceTags(path, origin == AddOrigin::Dialog ? tags::Id3v1Title::Fallback
                                                                  : tags::Id3v1Title::Ignored);
}

} // namespace brisklet::engine
