#include "proposals/textlines.h"

#include "proposals/proposal.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace brisklet::proposals {

std::string lineMessage(const std::string& path, int line, const std::string& reason)
{
    if (line <= 0)
        return path + ": " + reason;
    return path + ", line " + std::to_string(line) + ": " + reason;
}

void numberProposals(std::vector<Proposal>& proposals)
{
    for (size_t i = 0; i < proposals.size(); ++i)
        proposals[i].number = static_cast<int>(i) + 1;
}

bool isValidUtf8(const std::string& text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        int extra = 0;
        uint32_t point = 0;
        if (c < 0x80) {
            ++p;
            continue;
        } else if ((c & 0xe0) == 0xc0) {
            extra = 1;
            point = c & 0x1f;
        } else if ((c & 0xf0) == 0xe0) {
            extra = 2;
            point = c & 0x0f;
        } else if ((c & 0xf8) == 0xf0) {
            extra = 3;
            point = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xc0) != 0x80)
                return false;
            point = (point << 6) | (p[i] & 0x3f);
        }
        static constexpr uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (point < smallest[extra] || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff))
            return false;
        p += extra + 1;
    }
    return true;
}

std::vector<std::string> readTextLines(const std::string& path, size_t maxBytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ProposalError(lineMessage(path, 0, "cannot be read"));
    std::ostringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    if (in.bad())
        throw ProposalError(lineMessage(path, 0, "cannot be read"));
    if (text.size() > maxBytes)
        throw ProposalError(lineMessage(path, 0, "is too large for a list of pieces"));
    if (text.rfind("\xef\xbb\xbf", 0) == 0)
        text.erase(0, 3);

    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (!isValidUtf8(lines.back()))
            throw ProposalError(
                lineMessage(path, static_cast<int>(lines.size()), "invalid UTF-8 text"));
        start = end;
        if (start < text.size() && text[start] == '\r')
            ++start;
        if (start < text.size() && text[start] == '\n')
            ++start; // "\n" alone, or the second half of "\r\n"
    }
    return lines;
}

void writeTextFile(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            throw ProposalError(lineMessage(path, 0, "cannot be written"));
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::remove(temporary.c_str());
        throw ProposalError(lineMessage(path, 0, "cannot be written: " + error.message()));
    }
}

} // namespace brisklet::proposals
