#include "tagtestfiles.h"

#include <cctype>
#include <stdexcept>
#include <unistd.h>

namespace brisklet::test {

namespace fs = std::filesystem;

namespace {
std::string withoutLastNewline(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}
} // namespace

std::string makeEncodedTone(const TempDir& dir, const std::string& name, double seconds)
{
    const std::string path = dir.file(name);
    std::string extension = fs::path(name).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string codec = extension == ".mp3"    ? "libmp3lame"
                              : extension == ".ogg"  ? "libvorbis"
                              : extension == ".flac" ? "flac"
                              : extension == ".opus" ? "libopus"
                              : extension == ".m4a"  ? "aac"
                                                     : "wmav2";
    const std::string format = extension == ".wma"    ? "asf"
                               : extension == ".opus" ? "ogg"
                               : extension == ".m4a"  ? "ipod"
                                                      : extension.substr(1);
    const CommandResult result =
        runCommand("ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" +
                   std::to_string(seconds) + " -ac 2 -c:a " + codec + " -f " + format + " " +
                   shellQuote(path));
    if (result.exitCode != 0)
        throw std::runtime_error("cannot encode " + path + ": " + result.output);
    return path;
}

std::string runMutagen(const std::string& path, const std::string& snippet)
{
    // The Debian interpreter: mutagen is installed for it, not for others on PATH.
    const std::string python =
        access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
    const std::string program = "import sys, mutagen.id3 as id3\np = sys.argv[1]\n" + snippet;
    return withoutLastNewline(
        runCommand(python + " -c " + shellQuote(program) + " " + shellQuote(path)).output);
}

FileState fileState(const std::string& path)
{
    return {readFileBytes(path), fs::status(path).permissions()};
}

void makeReadOnly(const std::string& path)
{
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

std::string mutagenId3Fields(const std::string& path)
{
    return runMutagen(path, "t = id3.ID3(p, translate=False)\n"
                            "fields = [str(t.get(k, '')) for k in "
                            "['TIT2', 'TPE1', 'TALB', 'TYER', 'TCON', 'TRCK', 'COMM::eng']]\n"
                            "print('.'.join(map(str, t.version)) + '|' + '|'.join(fields))");
}

std::string vorbisCommentList(const std::string& path)
{
    return withoutLastNewline(runCommand("vorbiscomment -R -l " + shellQuote(path)).output);
}

} // namespace brisklet::test
