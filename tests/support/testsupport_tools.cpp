#include "testsupport.h"

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <sys/wait.h>

namespace brisklet::test {

std::string shellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

CommandResult runCommand(const std::string& commandLine)
{
    CommandResult result;
    FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), n);
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string ffprobeValue(const std::string& path, const std::string& key)
{
    bool tag = key.rfind("TAG:", 0) == 0;
    std::string entries = tag ? "format_tags=" + key.substr(4) : "stream=" + key;
    std::string cmd = "ffprobe -v error -select_streams a:0 -show_entries " + entries +
                      " -of default=noprint_wrappers=1:nokey=1 " + shellQuote(path);
    std::string out = runCommand(cmd).output;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

DecodedAudio decodeWithFfmpeg(const std::string& path)
{
    DecodedAudio audio;
    audio.sampleRate = std::atoi(ffprobeValue(path, "sample_rate").c_str());
    audio.channels = std::atoi(ffprobeValue(path, "channels").c_str());
    std::string cmd = "ffmpeg -v error -i " + shellQuote(path) + " -f f32le -acodec pcm_f32le -";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run ffmpeg");
    std::array<float, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), sizeof(float), buffer.size(), pipe)) > 0)
        audio.samples.insert(audio.samples.end(), buffer.begin(),
                             buffer.begin() + static_cast<long>(n));
    pclose(pipe);
    return audio;
}

EnvOverride::EnvOverride(const char* name, const std::string& value)
    : m_name(name), m_hadValue(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name).toStdString())
{
    qputenv(name, QByteArray::fromStdString(value));
}

EnvOverride::~EnvOverride()
{
    if (m_hadValue)
        qputenv(m_name.c_str(), QByteArray::fromStdString(m_old));
    else
        qunsetenv(m_name.c_str());
}

} // namespace brisklet::test
