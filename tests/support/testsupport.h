#pragma once
// Shared test helpers: temporary folders, generated audio, and independent
// decoders (ffmpeg, sox) run as separate programs.

#include <cstdint>
#include <string>
#include <vector>

namespace brisklet::test {

// A fresh folder removed with everything in it when the object dies.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

private:
    std::string m_path;
};

// Interleaved float samples of a deterministic signal: a sine of `hz` per
// channel (channel c at hz * (c + 1)) at amplitude 0.5, plus a little noise.
std::vector<float> makeSignal(int64_t frames, int sampleRate, int channels, double hz = 440.0);

// Writes a 16-bit PCM WAV (or other libsndfile format by extension: .flac, .raw)
// of the given signal through libsndfile, independently of the audio component.
void writePcmFile(const std::string& path, const std::vector<float>& samples, int sampleRate,
                  int channels);
// Convenience: a tone WAV of `frames` frames.
void writeToneWav(const std::string& path, int64_t frames, int sampleRate, int channels);
// An 8 kHz mono FLAC tone of `seconds` whose middle 64 bytes are damaged: its
// header still promises the whole length.
void writeDamagedFlac(const std::string& path, int seconds);

// Reads any libsndfile-readable file into floats; fills rate and channels.
std::vector<float> readPcmFile(const std::string& path, int* sampleRate = nullptr,
                               int* channels = nullptr);

struct CommandResult {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};
// Runs a shell command line and captures its output.
CommandResult runCommand(const std::string& commandLine);
// Single-quotes a path for the shell.
std::string shellQuote(const std::string& text);

struct DecodedAudio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples; // interleaved
    int64_t frames() const
    {
        return channels ? static_cast<int64_t>(samples.size()) / channels : 0;
    }
};
// Decodes with the ffmpeg program (an independent decoder) at the file's own
// rate and channel count.
DecodedAudio decodeWithFfmpeg(const std::string& path);
// What ffprobe reports for the first audio stream: "sample_rate", "channels",
// "bit_rate", "codec_name", and format tags as "TAG:name".
std::string ffprobeValue(const std::string& path, const std::string& key);

// Whole file content, and a content checksum for "unchanged" checks.
std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
uint64_t fileChecksum(const std::string& path);

// Sets an environment variable for the life of the object, then puts back
// what was there before.
class EnvOverride {
public:
    EnvOverride(const char* name, const std::string& value);
    ~EnvOverride();
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    std::string m_name;
    bool m_hadValue;
    std::string m_old;
};

} // namespace brisklet::test
