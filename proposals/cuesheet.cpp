#include "proposals/cuesheet.h"

#include "proposals/textlines.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <libcue.h>
#include <memory>
#include <mutex>
#include <sstream>

namespace brisklet::proposals {

namespace {

// Commands a cue sheet may hold that the pieces do not depend on.
constexpr std::array kIgnoredCommands = {
    "REM",       "CATALOG",   "CDTEXTFILE", "FLAGS",  "ISRC",    "SONGWRITER",
    "COMPOSER",  "ARRANGER",  "MESSAGE",    "GENRE",  "DISC_ID", "UPC_EAN",
    "TOC_INFO1", "TOC_INFO2", "SIZE_INFO",  "PREGAP", "POSTGAP"};

constexpr int64_t kCueFramesPerSecond = 75;

std::string upper(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A quoted value without its outer quotes (quotes inside it are kept), or the
// bare rest of the line.
std::string valueOf(const std::string& rest)
{
    if (rest.size() >= 2 && rest.front() == '"') {
        const size_t close = rest.rfind('"');
        return rest.substr(1, (close == 0 ? rest.size() : close) - 1);
    }
    return rest;
}

// libcue reads a quoted value up to the next quote: inner quotes become
// apostrophes.
std::string quoted(std::string value)
{
    std::replace(value.begin(), value.end(), '"', '\'');
    return "\"" + value + "\"";
}

bool isDigits(const std::string& text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "mm:ss:ff" with ss below 60 and ff below 75.
bool isCueTime(const std::string& text)
{
    const size_t first = text.find(':');
    const size_t second = text.find(':', first == std::string::npos ? 0 : first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return false;
    const std::string minutes = text.substr(0, first);
    const std::string seconds = text.substr(first + 1, second - first - 1);
    const std::string frames = text.substr(second + 1);
    return isDigits(minutes) && minutes.size() <= 4 && isDigits(seconds) && seconds.size() <= 2 &&
           std::stoi(seconds) < 60 && isDigits(frames) && frames.size() <= 2 &&
           std::stoi(frames) < kCueFramesPerSecond;
}

std::string fileName(const std::string& path)
{
    std::string name = path;
    std::replace(name.begin(), name.end(), '\\', '/'); // sheets written on Windows
    return std::filesystem::path(name).filename().string();
}

std::string stemOf(const std::string& name)
{
    return std::filesystem::path(name).stem().string();
}

std::string cueTimeText(int64_t ms)
{
    const int64_t frames = (ms * kCueFramesPerSecond + 500) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld",
                  static_cast<long long>(frames / (60 * kCueFramesPerSecond)),
                  static_cast<long long>(frames / kCueFramesPerSecond % 60),
                  static_cast<long long>(frames % kCueFramesPerSecond));
    return text;
}

std::string cueFileType(const std::string& audioPath)
{
    const std::string extension = upper(std::filesystem::path(audioPath).extension().string());
    if (extension == ".MP3")
        return "MP3";
    if (extension == ".AIF" || extension == ".AIFF")
        return "AIFF";
    return "WAVE";
}

struct CdDeleter {
    void operator()(Cd* cd) const { cd_delete(cd); }
};

// The sheet reduced to the commands the pieces need, each in the form libcue
// reads, and what libcue does not tell: each track's number and lines.
struct Normalized {
    std::string text;
    std::vector<CueTrack> tracks;
};

Normalized normalize(const std::string& path, const std::vector<std::string>& lines)
{
    Normalized out;
    int fileLine = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int line = static_cast<int>(i) + 1;
        const std::string text = trimmed(lines[i]);
        if (text.empty())
            continue;
        const size_t space = text.find_first_of(" \t");
        const std::string command = upper(text.substr(0, space));
        const std::string rest = space == std::string::npos ? "" : trimmed(text.substr(space));
        auto fail = [&](const std::string& reason) {
            throw ProposalError(lineMessage(path, line, reason));
        };
        if (std::find(kIgnoredCommands.begin(), kIgnoredCommands.end(), command) !=
            kIgnoredCommands.end())
            continue;
        if (command == "FILE") {
            if (rest.empty())
                fail("FILE without a file name");
            std::string name = rest.front() == '"' ? valueOf(rest) : rest;
            if (rest.front() != '"') {
                const size_t lastSpace = rest.find_last_of(" \t");
                name = lastSpace == std::string::npos ? rest : trimmed(rest.substr(0, lastSpace));
            }
            if (name.empty())
                fail("FILE without a file name");
            fileLine = line;
            out.text += "FILE " + quoted(name) + " WAVE\n";
        } else if (command == "TRACK") {
            const std::string number = rest.substr(0, rest.find_first_of(" \t"));
            if (!isDigits(number) || number.size() > 3 || std::stoi(number) < 1)
                fail("TRACK needs a number");
            if (fileLine == 0)
                fail("TRACK before any FILE");
            CueTrack track;
            track.number = std::stoi(number);
            track.line = line;
            track.fileLine = fileLine;
            out.tracks.push_back(track);
            out.text += "TRACK " + number + " AUDIO\n";
        } else if (command == "INDEX") {
            const size_t split = rest.find_first_of(" \t");
            const std::string number = rest.substr(0, split);
            const std::string time = split == std::string::npos ? "" : trimmed(rest.substr(split));
            if (out.tracks.empty())
                fail("INDEX outside a track");
            if (!isDigits(number) || number.size() > 2 || !isCueTime(time))
                fail("INDEX needs a number and a time mm:ss:ff");
            out.text += "INDEX " + number + " " + time + "\n";
        } else if (command == "TITLE" || command == "PERFORMER") {
            out.text += command + " " + quoted(valueOf(rest)) + "\n";
        } else {
            fail("unknown command " + command);
        }
    }
    if (out.tracks.empty())
        throw ProposalError(lineMessage(path, 0, "the cue sheet has no tracks"));
    return out;
}

std::unique_ptr<Cd, CdDeleter> parseWithLibcue(const std::string& text)
{
    // libcue's parser keeps its state in globals.
    static std::mutex parserLock;
    std::lock_guard lock(parserLock);
    return std::unique_ptr<Cd, CdDeleter>(cue_parse_string(text.c_str()));
}

std::string cdText(Cdtext* text, Pti field)
{
    const char* value = text ? cdtext_get(field, text) : nullptr;
    return value ? value : "";
}

} // namespace

CueSheet readCueSheet(const std::string& path)
{
    Normalized normalized = normalize(path, readTextLines(path));
    auto cd = parseWithLibcue(normalized.text);
    if (!cd || cd_get_ntrack(cd.get()) != static_cast<int>(normalized.tracks.size()))
        throw ProposalError(lineMessage(path, 0, "not a cue sheet that can be read"));

    CueSheet sheet;
    sheet.path = path;
    sheet.title = cdText(cd_get_cdtext(cd.get()), PTI_TITLE);
    sheet.performer = cdText(cd_get_cdtext(cd.get()), PTI_PERFORMER);
    for (size_t i = 0; i < normalized.tracks.size(); ++i) {
        CueTrack track = normalized.tracks[i];
        Track* parsed = cd_get_track(cd.get(), static_cast<int>(i) + 1);
        const long start = parsed ? track_get_index(parsed, 1) : -1;
        if (start < 0)
            throw ProposalError(lineMessage(path, track.line, "the track has no INDEX 01"));
        track.startMs =
            (static_cast<int64_t>(start) * 1000 + kCueFramesPerSecond / 2) / kCueFramesPerSecond;
        track.title = cdText(track_get_cdtext(parsed), PTI_TITLE);
        track.performer = cdText(track_get_cdtext(parsed), PTI_PERFORMER);
        if (track.performer.empty())
            track.performer = sheet.performer;
        const char* file = track_get_filename(parsed);
        track.file = file ? file : "";
        if (!sheet.tracks.empty() && sheet.tracks.back().file == track.file &&
            track.startMs < sheet.tracks.back().startMs)
            throw ProposalError(
                lineMessage(path, track.line, "the track starts before the one above it"));
        sheet.tracks.push_back(track);
    }
    return sheet;
}

std::vector<Proposal> cuePieces(const CueSheet& sheet, const std::string& sourcePath,
                                int64_t durationMs)
{
    const std::string sourceName = fileName(sourcePath);
    std::vector<Proposal> pieces;
    for (size_t i = 0; i < sheet.tracks.size(); ++i) {
        const CueTrack& track = sheet.tracks[i];
        const std::string named = fileName(track.file);
        if (upper(named) != upper(sourceName) && upper(stemOf(named)) != upper(stemOf(sourceName)))
            throw ProposalError(lineMessage(sheet.path, track.fileLine,
                                            "FILE \"" + track.file + "\" is not " + sourceName));
        if (track.startMs >= durationMs)
            throw ProposalError(lineMessage(sheet.path, track.line,
                                            "the track starts past the end of " + sourceName));
        Proposal piece;
        piece.beginMs = track.startMs;
        piece.endMs = i + 1 < sheet.tracks.size() ? sheet.tracks[i + 1].startMs : durationMs;
        piece.title = track.title;
        piece.artist = track.performer;
        piece.number = track.number;
        pieces.push_back(piece);
    }
    return pieces;
}

std::string cueSheetBeside(const std::string& sourcePath)
{
    const std::filesystem::path source(sourcePath);
    for (const std::filesystem::path& candidate :
         {std::filesystem::path(source).replace_extension(".cue"),
          std::filesystem::path(source).replace_extension(".CUE"),
          std::filesystem::path(sourcePath + ".cue")}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate.string();
    }
    return {};
}

void writeCueSheet(const std::string& cuePath, const std::string& audioPath,
                   const std::string& albumTitle, const std::vector<Proposal>& pieces)
{
    std::ostringstream out;
    if (!albumTitle.empty())
        out << "TITLE " << quoted(albumTitle) << "\n";
    out << "FILE " << quoted(fileName(audioPath)) << " " << cueFileType(audioPath) << "\n";
    for (size_t i = 0; i < pieces.size(); ++i) {
        char number[16];
        // Players know 99 tracks at most; later ones are written all the same.
        std::snprintf(number, sizeof number, "%02d", static_cast<int>(i) + 1);
        out << "  TRACK " << number << " AUDIO\n";
        if (!pieces[i].title.empty())
            out << "    TITLE " << quoted(pieces[i].title) << "\n";
        if (!pieces[i].artist.empty())
            out << "    PERFORMER " << quoted(pieces[i].artist) << "\n";
        out << "    INDEX 01 " << cueTimeText(pieces[i].beginMs) << "\n";
    }
    writeTextFile(cuePath, out.str());
}

} // namespace brisklet::proposals
