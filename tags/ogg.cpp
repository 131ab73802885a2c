#include "tags/ogg.h"

#include "tags/replacementfile.h"
#include "tags/tagerror.h"
#include "tags/tagtext.h"
#include "tags/vorbiscommenteditor.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>

namespace brisklet::tags {

namespace {

// The key table, in the field order of OGGTag.
constexpr std::array<std::string_view, 7> Keys = {"album", "title", "artist",     "comment",
                                                  "genre", "date",  "tracknumber"};

bool isNameCharacter(unsigned char c)
{
    return c >= 0x20 && c <= 0x7D && c != '=';
}

struct SplitComment {
    std::string name; // empty when the comment has no valid name
    std::string value;
};

SplitComment splitComment(const std::string& text)
{
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        return {{}, text};
    for (size_t i = 0; i < equals; ++i) {
        if (!isNameCharacter(static_cast<unsigned char>(text[i])))
            return {{}, text};
    }
    return {text.substr(0, equals), text.substr(equals + 1)};
}

std::string asciiLower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::ifstream openForReading(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw TagError("Cannot open " + fileName + ": " + std::strerror(errno));
    return in;
}

} // namespace

OGGTag oggTagFromComments(const std::vector<std::string>& comments)
{
    std::array<std::string, Keys.size()> slots;
    for (const std::string& comment : comments) {
        const SplitComment split = splitComment(comment);
        if (split.name.empty())
            continue;
        const std::string name = asciiLower(split.name);
        for (size_t key = 0; key < Keys.size(); ++key) {
            if (name == Keys[key]) {
                // Comments are written as zero-terminated texts: a value ends at
                // its first zero byte, so that what is read can be written back.
                slots[key] =
                    sanitizeUtf8(std::string_view(split.value).substr(0, split.value.find('\0')));
                break;
            }
        }
    }
    OGGTag tag;
    std::array<std::string*, Keys.size()> fields = {
        &tag.Album, &tag.Title, &tag.Artist, &tag.Comment, &tag.Genre, &tag.Date, &tag.TrackNumber};
    for (size_t key = 0; key < Keys.size(); ++key)
        *fields[key] = trimControl(slots[key]);
    return tag;
}

void ReadOggComments(const std::string& fileName, OGGTag& tag)
{
    std::ifstream in = openForReading(fileName);
    try {
        VorbisCommentEditor editor(in);
        tag = oggTagFromComments(editor.comments());
    } catch (const OggFormatError& error) {
        throw TagError("Cannot open " + fileName + ": " + error.what());
    }
}

std::vector<std::string> commentsFromOggTag(const OGGTag& tag)
{
    const std::array<std::pair<const char*, const std::string*>, 7> order = {{
        {"Title=", &tag.Title},
        {"Artist=", &tag.Artist},
        {"Album=", &tag.Album},
        {"TrackNumber=", &tag.TrackNumber},
        {"Date=", &tag.Date},
        {"Genre=", &tag.Genre},
        {"Comment=", &tag.Comment},
    }};
    std::vector<std::string> comments;
    for (const auto& [name, value] : order) {
        if (!value->empty())
            comments.push_back(name + *value);
    }
    return comments;
}

bool WriteOggComments(const std::string& fileName, const OGGTag& tag,
                      const std::vector<std::string>& extraComments)
{
    std::ifstream in = openForReading(fileName);
    std::optional<VorbisCommentEditor> editor;
    try {
        editor.emplace(in);
    } catch (const OggFormatError& error) {
        throw TagError("Cannot open " + fileName + ": " + error.what());
    }

    const std::string prefix = "Cannot write comments: ";
    ReplacementFile replacement(fileName, prefix);
    std::ofstream out = replacement.openForWriting();
    try {
        std::vector<std::string> comments = commentsFromOggTag(tag);
        comments.insert(comments.end(), extraComments.begin(), extraComments.end());
        editor->write(out, comments);
    } catch (const OggFormatError& error) {
        if (!out) // the disk refused the copy (full, or an I/O error)
            replacement.failedWriting();
        throw TagError(prefix + error.what());
    }
    replacement.closeWritten(out);
    in.close();
    replacement.commit();
    return true;
}

} // namespace brisklet::tags
