#include "lossless_helpers.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace brisklet::test {

namespace {

template <typename T> std::vector<T> readPipe(const std::string& command)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::vector<T> out;
    std::array<T, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), sizeof(T), buffer.size(), pipe)) > 0)
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<long>(n));
    pclose(pipe);
    return out;
}

} // namespace

DecodedAudio decodeWithMpg123(const std::string& path, int channels)
{
    DecodedAudio audio;
    audio.channels = channels;
    audio.samples =
        readPipe<float>("mpg123 -q --gapless -e f32 -s " + shellQuote(path) + " 2>/dev/null");
    return audio;
}

std::string mp3valProblems(const std::string& path)
{
    const std::string output = runCommand("mp3val " + shellQuote(path)).output;
    std::string problems;
    size_t at = 0;
    while (at < output.size()) {
        size_t end = output.find('\n', at);
        end = end == std::string::npos ? output.size() : end;
        const std::string line = output.substr(at, end - at);
        const bool problem = line.rfind("WARNING", 0) == 0 || line.rfind("ERROR", 0) == 0;
        if (problem && line.find("No supported tags") == std::string::npos &&
            line.find("Too few MPEG frames") == std::string::npos)
            problems += line + "\n";
        at = end + 1;
    }
    return problems;
}

std::vector<int16_t> decodeWithOggdec(const std::string& path)
{
    return readPipe<int16_t>("oggdec -Q -R -b 16 -e 0 -s 1 -o - " + shellQuote(path) +
                             " 2>/dev/null");
}

void encodeWithFfmpeg(const std::string& path, int64_t frames, int rate, int channels,
                      const std::string& options)
{
    TempDir dir;
    const std::string wav = dir.file("tone.wav");
    writeToneWav(wav, frames, rate, channels);
    const CommandResult result = runCommand("ffmpeg -v error -y -i " + shellQuote(wav) + " " +
                                            options + " " + shellQuote(path) + " </dev/null");
    if (result.exitCode != 0)
        throw std::runtime_error("ffmpeg failed: " + result.output);
}

} // namespace brisklet::test
