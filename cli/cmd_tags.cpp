// brisklet-cli tags FILE: the tag record that adding FILE would seed, one
// Field=value line per field (Title, Artist, Album, Year, Genre, Comment,
// Track, then Picture: its MIME type and byte count, or empty).
// Backslashes and line breaks in a value are written as \\, \n and \r, so that
// every field stays on its own line.
#include "cli/commands.h"
#include "engine/sourcetags.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

namespace brisklet::cli {

namespace {

std::string escaped(const std::string& value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

void printField(const char* name, const std::string& value)
{
    std::printf("%s=%s\n", name, escaped(value).c_str());
}

} // namespace

int runTags(const Arguments& args)
{
    if (args.size() != 1)
        return usageError("tags needs exactly one FILE");
    const std::string& path = args[0];
    // The tag readers take a file they cannot open as one without a tag.
    if (std::filesystem::is_directory(path))
        return fail("cannot open " + path + ": it is a folder");
    if (!std::ifstream(path, std::ios::binary))
        return fail("cannot open " + path + ": " + std::strerror(errno));
    try {
        const engine::SourceTags read = engine::readSourceTags(path, engine::AddOrigin::Dialog);
        const tags::AudioFileinfo& record = read.record;
        printField("Title", record.Title);
        printField("Artist", record.Artist);
        printField("Album", record.Album);
        printField("Year", record.Year);
        printField("Genre", record.Genre);
        printField("Comment", record.Comment);
        printField("Track", record.Track);
        printField("Picture", record.Cover.empty()
                                  ? std::string()
                                  : record.Cover.mimeType + " " +
                                        std::to_string(record.Cover.data.size()) + " bytes");
        if (!read.pictureRefused.empty())
            std::fprintf(stderr, "brisklet-cli: %s\n", read.pictureRefused.c_str());
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return 0;
}

} // namespace brisklet::cli
