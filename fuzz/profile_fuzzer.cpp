// The settings file: any content reads without harm, and writing one key
// reads back as written while every other key keeps its value.
#include "fuzzsupport.h"
#include "settings/profilefile.h"

#include <vector>

using namespace brisklet;

namespace {

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool isTrimmed(const std::string& text)
{
    const char* blanks = " \t\r\n\v\f";
    return !text.empty() && text.find_first_of(blanks) != 0 &&
           text.find_last_of(blanks) != text.size() - 1;
}

// Names the program itself would write: no line breaks, no brackets or "="
// where they would end the name, nothing that starts a comment.
bool isWritableName(const std::string& name, const char* stops)
{
    return isTrimmed(name) && name.find_first_of(stops) == std::string::npos &&
           name.find('\n') == std::string::npos && name[0] != ';' && name[0] != '#' &&
           name[0] != '[';
}

struct Probe {
    std::string section;
    std::string key;
};

// Names to look up: those in the file, as far as a line looks like one.
std::vector<Probe> probesFrom(const std::string& content, const Probe& written)
{
    std::vector<std::string> sections{written.section};
    std::vector<std::string> keys{written.key};
    size_t start = 0;
    while (start < content.size() && sections.size() + keys.size() < 12) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        const std::string line = content.substr(start, end - start);
        if (!line.empty() && line[0] == '[' && line.find(']') != std::string::npos)
            sections.push_back(line.substr(1, line.find(']') - 1));
        else if (line.find('=') != std::string::npos)
            keys.push_back(line.substr(0, line.find('=')));
        start = end + 1;
    }
    std::vector<Probe> probes;
    for (const std::string& section : sections) {
        for (const std::string& key : keys)
            probes.push_back({section, key});
    }
    return probes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader reader(data, size);
    const Probe written{reader.text(16), reader.text(16)};
    const std::string value = reader.text(64);
    const std::string content(reader.rest());
    const std::string path = fuzz::writeScratchFile("Brisklet.ini", content);

    settings::ProfileFile file(path);
    const std::vector<Probe> probes = probesFrom(content, written);
    std::vector<std::string> before;
    for (const Probe& probe : probes) {
        before.push_back(file.readText(probe.section, probe.key, "\x01 absent"));
        fuzz::require(before.back().size() <= settings::ProfileFile::maxTextLength,
                      "a text value is longer than the reader allows");
        file.readInteger(probe.section, probe.key, 7);
        file.readBoolean(probe.section, probe.key, true);
    }
    fuzz::require(fuzz::readWholeFile(path) == content, "reading changed the settings file");

    const bool quoted =
        value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    if (!isWritableName(written.section, "]") || !isWritableName(written.key, "=") ||
        (!value.empty() && (!isTrimmed(value) || value.find('\n') != std::string::npos || quoted)))
        return 0;
    file.writeText(written.section, written.key, value);
    fuzz::require(file.readText(written.section, written.key, "\x01 absent") == value,
                  "a written value does not read back");
    for (size_t i = 0; i < probes.size(); ++i) {
        if (sameName(probes[i].section, written.section) && sameName(probes[i].key, written.key))
            continue;
        fuzz::require(file.readText(probes[i].section, probes[i].key, "\x01 absent") == before[i],
                      "writing one key changed another: [" + probes[i].section + "] " +
                          probes[i].key);
    }
    return 0;
}
