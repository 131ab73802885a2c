#include "proposals/labelfile.h"

#include "proposals/textlines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace brisklet::proposals {

namespace {

constexpr int64_t kEndTolerance = 1000; // ms an end may lie past the end of the source

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return out;
        start = tab + 1;
    }
}

// Seconds with a decimal point (or a comma, as some locales write it) as
// milliseconds; nothing when malformed, negative or beyond a few days.
std::optional<int64_t> parseSeconds(std::string text)
{
    std::replace(text.begin(), text.end(), ',', '.');
    double seconds = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(seconds) || seconds < 0 || seconds > 1e6)
        return std::nullopt;
    return std::llround(seconds * 1000);
}

std::string secondsText(int64_t ms)
{
    char text[40];
    std::snprintf(text, sizeof text, "%lld.%03lld000", static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000));
    return text;
}

std::string oneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

} // namespace

std::vector<Label> readLabelFile(const std::string& path)
{
    const std::vector<std::string> lines = readTextLines(path);
    std::vector<Label> labels;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int line = static_cast<int>(i) + 1;
        if (lines[i].find_first_not_of(" \t") == std::string::npos || lines[i][0] == '\\')
            continue;
        const std::vector<std::string> parts = fields(lines[i]);
        const std::optional<int64_t> begin = parseSeconds(parts[0]);
        const std::optional<int64_t> end =
            parts.size() > 1 ? parseSeconds(parts[1]) : std::optional<int64_t>();
        if (!begin || !end)
            throw ProposalError(
                lineMessage(path, line, "a label needs a start and an end time in seconds"));
        if (*end < *begin)
            throw ProposalError(lineMessage(path, line, "the label ends before it starts"));
        Label label;
        label.beginMs = *begin;
        label.endMs = *end;
        for (size_t f = 2; f < parts.size(); ++f)
            label.text += (f > 2 ? " " : "") + parts[f];
        label.line = line;
        labels.push_back(label);
    }
    if (labels.empty())
        throw ProposalError(lineMessage(path, 0, "the label file has no labels"));
    return labels;
}

std::vector<Proposal> labelPieces(const std::vector<Label>& labels, const std::string& path,
                                  int64_t durationMs)
{
    const bool cutPoints = std::all_of(labels.begin(), labels.end(),
                                       [](const Label& l) { return l.endMs == l.beginMs; });
    std::vector<Label> sorted = labels;
    if (cutPoints)
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const Label& a, const Label& b) { return a.beginMs < b.beginMs; });
    std::vector<Proposal> pieces;
    for (size_t i = 0; i < sorted.size(); ++i) {
        const Label& label = sorted[i];
        if (label.beginMs >= durationMs)
            throw ProposalError(
                lineMessage(path, label.line, "the label starts past the end of the source"));
        if (label.endMs > durationMs + kEndTolerance)
            throw ProposalError(
                lineMessage(path, label.line, "the label ends past the end of the source"));
        Proposal piece;
        piece.beginMs = label.beginMs;
        piece.endMs = std::min(label.endMs, durationMs);
        if (cutPoints)
            piece.endMs = i + 1 < sorted.size() ? sorted[i + 1].beginMs : durationMs;
        piece.title = label.text;
        pieces.push_back(piece);
    }
    numberProposals(pieces);
    return pieces;
}

void writeLabelFile(const std::string& path, const std::vector<Proposal>& pieces)
{
    std::string text;
    for (const Proposal& piece : pieces)
        text += secondsText(piece.beginMs) + "\t" + secondsText(piece.endMs) + "\t" +
                oneLine(piece.title) + "\n";
    writeTextFile(path, text);
}

} // namespace brisklet::proposals
