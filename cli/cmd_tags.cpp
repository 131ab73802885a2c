// brisklet-cli tags FILE: the tag record that adding FILE would seed, one
// Field=value line per field.
#include "cli/commands.h"
#include "tags/tagcarryover.h"

#include <cstdio>
#include <exception>

namespace brisklet::cli {

int runTags(const Arguments& args)
{
    if (args.size() != 1)
        return usageError("tags needs exactly one FILE");
    try {
        const tags::AudioFileinfo record = tags::seedTagRecord(args[0]);
        std::printf("Title=%s\nArtist=%s\nAlbum=%s\nYear=%s\nGenre=%s\nComment=%s\n",
                    record.Title.c_str(), record.Artist.c_str(), record.Album.c_str(),
                    record.Year.c_str(), record.Genre.c_str(), record.Comment.c_str());
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return 0;
}

} // namespace brisklet::cli
