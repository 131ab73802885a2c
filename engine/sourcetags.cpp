#include "engine/sourcetags.h"

#include "tags/id3.h"
#include "tags/ogg.h"
#include "tags/tagcarryover.h"
#include "tags/wmatag.h"

namespace brisklet::engine {

SourceTags readSourceTags(const std::string& path, AddOrigin origin)
{
    SourceTags result;
    const std::string extension = tags::lowerExtension(path);
    if (extension == ".wma") {
        tags::WMATagStruct wma;
        if (tags::ReadWmaTag(path, wma))
            result.titles.push_back(wma.Title);
    } else if (extension == ".ogg") {
        tags::OGGTag ogg;
        tags::ReadOggComments(path, ogg);
        result.titles.push_back(ogg.Title);
    } else if (extension == ".mp3") {
        // From a folder only the ID3v2 title counts; through the dialog the
        // ID3v1 title is the fallback.
        if (origin == AddOrigin::Dialog)
            result.titles.push_back(tags::ReadID3v1(path).Title);
        result.titles.push_back(tags::ReadID3v2(path).Title);
    }
    result.record = tags::seedTagRecord(path);
    return result;
}

} // namespace brisklet::engine
