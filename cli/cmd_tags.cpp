// brisklet-cli tags FILE: the tag record that adding FILE would seed, one
// Field=value line per field (Title, Artist, Album, Year, Genre, Comment,
// Track, then Picture: its MIME type and byte count, or empty).
// Backslashes and line breaks in a value are written as \\, \n and \r, so that
// every field stays on its own line. With --json: one object of the same fields.
#include "audio/sourceprobe.h"
#include "cli/commands.h"
#include "cli/jsonout.h"
#include "cli/options.h"
#include "engine/sourcetags.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
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

constexpr OptionSpec tagsOptions[] = {{"--json", false}};

// The cover picture as its MIME type and byte count, or empty.
std::string pictureText(const tags::AudioFileinfo& record)
{
    return record.Cover.empty()
               ? std::string()
               : record.Cover.mimeType + " " + std::to_string(record.Cover.data.size()) + " bytes";
}

void printRecord(const tags::AudioFileinfo& record)
{
    printField("Title", record.Title);
    printField("Artist", record.Artist);
    printField("Album", record.Album);
    printField("Year", record.Year);
    printField("Genre", record.Genre);
    printField("Comment", record.Comment);
    printField("Track", record.Track);
    printField("Picture", pictureText(record));
}

void printJsonRecord(const std::string& path, const tags::AudioFileinfo& record)
{
    printJson(QJsonObject{{QStringLiteral("path"), jsonText(path)},
                          {QStringLiteral("Title"), jsonText(record.Title)},
                          {QStringLiteral("Artist"), jsonText(record.Artist)},
                          {QStringLiteral("Album"), jsonText(record.Album)},
                          {QStringLiteral("Year"), jsonText(record.Year)},
                          {QStringLiteral("Genre"), jsonText(record.Genre)},
                          {QStringLiteral("Comment"), jsonText(record.Comment)},
                          {QStringLiteral("Track"), jsonText(record.Track)},
                          {QStringLiteral("Picture"), jsonText(pictureText(record))}});
}

} // namespace

int runTags(const Arguments& args)
{
    ParsedArguments parsed;
    if (std::string error = parseArguments(args, tagsOptions, parsed); !error.empty())
        return usageError(error);
    if (parsed.operands.size() != 1)
        return usageError("tags needs exactly one FILE");
    const std::string& path = parsed.operands[0];
    try {
        // The tag readers take a file they cannot open as one without a tag,
        // and would wait on a FIFO.
        audio::requireRegularFile(path);
        if (!std::ifstream(path, std::ios::binary))
            return fail("cannot open " + path + ": " + std::strerror(errno));
        const engine::SourceTags read = engine::readSourceTags(path, engine::AddOrigin::Dialog);
        if (parsed.options.empty())
            printRecord(read.record);
        else
            printJsonRecord(path, read.record);
        if (!read.pictureRefused.empty())
            std::fprintf(stderr, "brisklet-cli: %s\n", read.pictureRefused.c_str());
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return 0;
}

} // namespace brisklet::cli
