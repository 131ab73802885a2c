#include "settings/profilefile.h"

#include "settings/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <climits>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace brisklet::settings {
namespace {

struct Line {
    std::string text; // without its line end
    std::string end;  // "\n", "\r\n" or "" for a last line without one
};

enum class LineKind { Other, Section, Key };

// Views into the line parsed: a line may be a megabyte long, and every read
// parses the whole file, so nothing is copied until a value is taken.
struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed
};

std::string_view trimmed(std::string_view text)
{
    const char* blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Comments (";" or "#") and lines that are neither a section nor a key are
// kept as they are and never match a name.
ParsedLine parse(std::string_view text)
{
    const std::string_view line = trimmed(text);
    if (line.empty() || line[0] == ';' || line[0] == '#') {
        return {};
    }
    if (line[0] == '[') {
        const size_t close = line.find(']');
        if (close == std::string_view::npos) {
            return {}; // a broken header opens no section
        }
        return {LineKind::Section, trimmed(line.substr(1, close - 1)), {}};
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return {};
    }
    return {LineKind::Key, trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1))};
}

std::vector<Line> splitLines(const std::string& content)
{
    std::vector<Line> lines;
    size_t start = 0;
    while (start < content.size()) {
        const size_t newline = content.find('\n', start);
        if (newline == std::string::npos) {
            lines.push_back({content.substr(start), {}});
            break;
        }
        size_t textEnd = newline;
        if (textEnd > start && content[textEnd - 1] == '\r') {
            --textEnd;
        }
        lines.push_back({content.substr(start, textEnd - start),
                         content.substr(textEnd, newline + 1 - textEnd)});
        start = newline + 1;
    }
    return lines;
}

std::string joinLines(const std::vector<Line>& lines)
{
    std::string content;
    for (const Line& line : lines) {
        content += line.text;
        content += line.end;
    }
    return content;
}

// An absent or unreadable file reads as an empty one.
std::string fileContent(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

// Editors may start a UTF-8 file with a byte-order mark; it is no part of the
// first line. Removes it from `content`, returning what was removed.
std::string takeByteOrderMark(std::string& content)
{
    static const std::string mark = "\xEF\xBB\xBF";
    if (content.compare(0, mark.size(), mark) != 0) {
        return {};
    }
    content.erase(0, mark.size());
    return mark;
}

// Where a key's line is, or where a new one goes.
struct KeyPlace {
    std::optional<size_t> section; // header line of the first matching section
    std::optional<size_t> key;     // line of the first matching key in it
    size_t insertAt = 0;           // after the section's last non-blank line
};

KeyPlace findKey(const std::vector<Line>& lines, const std::string& section, const std::string& key)
{
    KeyPlace place;
    for (size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = parse(lines[i].text);
        if (parsed.kind == LineKind::Section) {
            if (place.section) {
                break; // the end of the first matching section
            }
            if (sameName(parsed.name, section)) {
                place.section = i;
                place.insertAt = i + 1;
            }
            continue;
        }
        if (!place.section) {
            continue;
        }
        if (!trimmed(lines[i].text).empty()) {
            place.insertAt = i + 1;
        }
        if (parsed.kind == LineKind::Key && !place.key && sameName(parsed.name, key)) {
            place.key = i;
        }
    }
    return place;
}

std::optional<std::string> findValue(const std::string& path, const std::string& section,
                                     const std::string& key)
{
    std::string content = fileContent(path);
    takeByteOrderMark(content);
    const std::vector<Line> lines = splitLines(content);
    const KeyPlace place = findKey(lines, section, key);
    if (!place.key) {
        return std::nullopt;
    }
    std::string value(parse(lines[*place.key].text).value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::string cutToLength(std::string text, size_t length)
{
    if (text.size() <= length) {
        return text;
    }
    // Step back over UTF-8 continuation bytes so that no character is cut in two.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    text.resize(length);
    return text;
}

bool isBareName(const std::string& fileName)
{
    return fileName.find('/') == std::string::npos && fileName.find('\\') == std::string::npos;
}

std::string resolvePath(const std::string& fileName)
{
    if (!isBareName(fileName)) {
        return fileName;
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (folder + QLatin1Char('/') + QString::fromStdString(fileName)).toStdString();
}

bool parseHex(const std::string& digits, int* value)
{
    uint64_t number = 0;
    for (const char c : digits) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        number = number * 16 + static_cast<uint64_t>(digit);
        if (number > UINT32_MAX) {
            return false;
        }
    }
    // 0x80000000 to 0xFFFFFFFF are the negative 32-bit values.
    *value = static_cast<int32_t>(static_cast<uint32_t>(number));
    return true;
}

bool parseDecimal(const std::string& text, int* value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) {
        return false;
    }
    int64_t number = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        number = number * 10 + (text[i] - '0');
        if (number > int64_t(INT_MAX) + 1) {
            return false;
        }
    }
    number = negative ? -number : number;
    if (number > INT_MAX || number < INT_MIN) {
        return false;
    }
    *value = static_cast<int>(number);
    return true;
}

} // namespace

SettingsWriteError::SettingsWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path)
{
}

bool parseProfileInteger(const std::string& text, int* value)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return parseHex(text.substr(2), value);
    }
    return parseDecimal(text, value);
}

ProfileFile::ProfileFile(const std::string& fileName)
    : m_path(resolvePath(fileName)), m_inConfigFolder(isBareName(fileName))
{
}

int ProfileFile::readInteger(const std::string& section, const std::string& key,
                             int defaultValue) const
{
    int value = 0;
    if (parseProfileInteger(readText(section, key, {}), &value)) {
        return value;
    }
    return defaultValue;
}

bool ProfileFile::readBoolean(const std::string& section, const std::string& key,
                              bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::string ProfileFile::readText(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) const
{
    const std::optional<std::string> value = findValue(m_path, section, key);
    return cutToLength(value.value_or(defaultValue), maxTextLength);
}

void ProfileFile::writeInteger(const std::string& section, const std::string& key, int value)
{
    writeText(section, key, std::to_string(value));
}

void ProfileFile::writeBoolean(const std::string& section, const std::string& key, bool value)
{
    writeText(section, key, value ? "1" : "0");
}

void ProfileFile::writeText(const std::string& section, const std::string& key,
                            const std::string& value)
{
    const QString path = QString::fromStdString(m_path);
    const QFileInfo info(path);
    // A file whose write permission is taken away is refused, as a read-only
    // file is; the atomic rename would otherwise replace it anyway.
    const bool exists = info.exists();
    if (exists && !info.permission(QFileDevice::WriteOwner)) {
        throw SettingsWriteError(m_path);
    }
    if (exists && !info.isReadable()) {
        throw SettingsWriteError(m_path); // rewriting it would lose what we cannot read
    }
    if (m_inConfigFolder) {
        QDir().mkpath(info.absolutePath()); // a fresh account may have no configuration folder yet
    }

    std::string content = fileContent(m_path);
    const std::string mark = takeByteOrderMark(content); // kept as it was
    std::vector<Line> lines = splitLines(content);
    const std::string newline = (!lines.empty() && lines.front().end == "\r\n") ? "\r\n" : "\n";
    const KeyPlace place = findKey(lines, section, key);
    if (place.key) {
        Line& line = lines[*place.key];
        line.text = std::string(parse(line.text).name) + "=" + value;
    } else if (place.section) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.insertAt),
                     Line{key + "=" + value, newline});
        Line& before = lines[place.insertAt - 1];
        if (before.end.empty()) {
            before.end = newline;
        }
    } else {
        if (!lines.empty()) {
            if (lines.back().end.empty()) {
                lines.back().end = newline;
            }
            if (!trimmed(lines.back().text).empty()) {
                lines.push_back({{}, newline});
            }
        }
        lines.push_back({"[" + section + "]", newline});
        lines.push_back({key + "=" + value, newline});
    }

    if (!replaceFileAtomically(m_path, mark + joinLines(lines), tempSuffix)) {
        throw SettingsWriteError(m_path);
    }
}

} // namespace brisklet::settings
