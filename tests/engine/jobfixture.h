#pragma once
// A split or join set up as the window sets it up, without a window: the job
// model over a recording view, the real component objects, the encoder
// configuration from a settings file in a temporary folder, and the real tag
// carry-over. The reader notes the reads it is asked for.

#include "audio/audioerror.h"
#include "audio/audiofile.h"
#include "audio/lameencoder.h"
#include "audio/transform.h"
#include "engine/jobmodel.h"
#include "engine/jobrun.h"
#include "engine/joinjob.h"
#include "engine/splitjob.h"
#include "settings/encoderconfig.h"
#include "settings/profilefile.h"
#include "tags/tagcarryover.h"
#include "tests/mocks/forwarding_audio_file.h"
#include "tests/mocks/recording_view.h"
#include "testsupport.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace brisklet::test {

// WAV output at 8000 Hz mono, 16 bits: the format of most generated sources.
inline const char* wav8kMono = "[wav]\nmode=2\nfrequency=0\nchannel=0\nbit=1\n";

struct JobFixture {
    TempDir dir;
    std::string outDir;
    RecordingView view;
    std::unique_ptr<ForwardingAudioFile> reader = std::make_unique<ForwardingAudioFile>();
    std::unique_ptr<audio::IAudioFile2> writer = audio::createAudioFile();
    std::unique_ptr<audio::IAudioTransform2> transform = audio::createAudioTransform();
    audio::LameEncoderSettings lame;
    std::unique_ptr<settings::ProfileFile> profile;
    std::unique_ptr<settings::EncoderConfiguration> config;
    engine::JobModel model{view, *reader};
    engine::JobParts parts{*writer, *transform, nullptr, nullptr};
    std::vector<std::string> tagged; // outputs the carry-over was called for

    explicit JobFixture(const std::string& settingsText = wav8kMono)
    {
        outDir = dir.file("out") + "/";
        std::filesystem::create_directory(dir.file("out"));
        writeFileBytes(dir.file("Brisklet.ini"), settingsText);
        profile = std::make_unique<settings::ProfileFile>(dir.file("Brisklet.ini"));
        config = std::make_unique<settings::EncoderConfiguration>(*profile, *writer, lame);
        parts.configureWriter = [this](audio::OutputFormat format) { config->configure(format); };
        parts.carryTags = [this](const std::string& path, const tags::AudioFileinfo& record) {
            tagged.push_back(path);
            tags::WriteOutputTags(path, record);
        };
        model.state().OutputDirectory = outDir;
    }

    engine::MainState& state() { return model.state(); }

    // A generated 8 kHz mono tone of `seconds` (and `extraFrames`) as a source.
    std::string addTone(const std::string& name, int64_t seconds, int rate = 8000, int channels = 1,
                        int64_t extraFrames = 0)
    {
        std::string path = dir.file(name);
        writeToneWav(path, seconds * rate + extraFrames, rate, channels);
        addSource(path);
        return path;
    }

    void addSource(const std::string& path)
    {
        std::string refusal = model.addSource(path, engine::AddOrigin::Dialog);
        ASSERT_EQ(refusal, "");
        model.finishAdding();
    }

    engine::listrecord& entry(int i) { return model.sources().entries().at(i); }

    // Commits segment [begin, end] of the edited entry, as "Begin", "End", "Ok".
    void commitSegment(int entryIndex, int32_t begin, int32_t end)
    {
        engine::listrecord& e = entry(entryIndex);
        int open = e.segmentCount - 1;
        e.begins[open] = begin;
        e.ends[open] = end;
        e.segmentCount += 1;
        e.begins.push_back(0);
        e.ends.push_back(e.durationSeconds);
        model.buildSegmentList();
    }

    std::vector<std::string> split(audio::OutputFormat format = audio::OutputFormat::Wav)
    {
        return engine::runSplit(model, parts, format);
    }

    std::string outFile(const std::string& name) const { return outDir + name; }
};

// Frames of a file by the independent decoder.
inline int64_t decodedFrames(const std::string& path)
{
    return decodeWithFfmpeg(path).frames();
}

// 16-bit sample values of a WAV file, as integers (exact comparisons).
inline std::vector<int> pcm16(const std::string& path)
{
    std::vector<int> out;
    for (float v : readPcmFile(path))
        out.push_back(static_cast<int>(std::lround(v * 32768.0f)));
    return out;
}

// Root mean square level of `count` samples from `from`.
inline double rms(const std::vector<float>& s, size_t from, size_t count)
{
    double sum = 0;
    for (size_t i = from; i < from + count; ++i)
        sum += double(s.at(i)) * s.at(i);
    return std::sqrt(sum / double(count));
}

} // namespace brisklet::test
