// The split with several workers: the same outputs as one worker, Stop and a
// failing source leave only whole pieces.

#include "engine/progress.h"
#include "jobfixture.h"

#include <filesystem>
#include <set>

namespace brisklet::test {
namespace {

using engine::Mode;

void useWorkers(JobFixture& f, int workers)
{
    f.parts.options.workers = workers;
    f.parts.configureWorkerWriter = [&f](audio::OutputFormat format, audio::IAudioFile2& writer,
                                         audio::IAudioFile2LameEnc& encoder) {
        settings::EncoderConfiguration(*f.profile, writer, encoder).configure(format);
    };
}

std::set<std::string> namesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& file : std::filesystem::directory_iterator(folder))
        names.insert(file.path().filename().string());
    return names;
}

// An Ogg stream's serial number is chosen at random for every file: it and
// the page checksums that cover it are left out of the comparison.
std::string withoutOggSerials(std::string bytes)
{
    for (size_t at = bytes.find("OggS"); at != std::string::npos && at + 27 <= bytes.size();
         at = bytes.find("OggS", at + 4)) {
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at + 14), 4, '\0');
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at + 22), 4, '\0');
    }
    return bytes;
}

TEST(SplitWorkers, FourWorkersWriteTheNamesAndBytesOfOne)
{
    JobFixture f("");
    f.addTone("tone.wav", 7, 44100, 1);
    f.addTone("two.wav", 3, 44100, 1);
    f.model.sources().TagList()[0].Title = "Tone";
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().splitMs = 2000;

    for (audio::OutputFormat format : {audio::OutputFormat::Mp3, audio::OutputFormat::Ogg,
                                       audio::OutputFormat::Wav, audio::OutputFormat::Wma}) {
        std::vector<std::vector<std::string>> outputs;
        for (int workers : {1, 4}) {
            useWorkers(f, workers);
            f.state().OutputDirectory = f.dir.file("w" + std::to_string(workers)) + "/";
            std::filesystem::create_directory(f.state().OutputDirectory);
            // Lies where the first name would be: the numbering must match too.
            writeFileBytes(f.state().OutputDirectory + "tone_1.mp3", "taken");
            outputs.push_back(f.split(format));
        }
        const std::string name = audio::displayNameOf(format);
        ASSERT_EQ(outputs[0].size(), 6u) << name;
        EXPECT_EQ(namesIn(f.dir.file("w1")), namesIn(f.dir.file("w4"))) << name;
        for (size_t k = 0; k < outputs[0].size(); ++k) {
            EXPECT_EQ(std::filesystem::path(outputs[0][k]).filename(),
                      std::filesystem::path(outputs[1][k]).filename());
            EXPECT_TRUE(withoutOggSerials(readFileBytes(outputs[0][k])) ==
                        withoutOggSerials(readFileBytes(outputs[1][k])))
                << outputs[1][k];
        }
        std::filesystem::remove_all(f.dir.file("w1"));
        std::filesystem::remove_all(f.dir.file("w4"));
    }
}

TEST(SplitWorkers, StopLeavesOnlyWholePiecesAndSaysHowMany)
{
    JobFixture f("");
    f.addTone("s.wav", 30, 44100, 1);
    // A short first piece: it is written while the long ones are in hand.
    for (auto [begin, end] : {std::pair{0, 1}, {1, 10}, {10, 20}, {20, 30}})
        f.commitSegment(0, begin, end);
    useWorkers(f, 4);
    f.view.onPump = [&](int) {
        if (!f.tagged.empty())
            f.model.stopJob();
    };

    std::vector<std::string> outputs = f.split(audio::OutputFormat::Mp3);

    ASSERT_GE(outputs.size(), 1u);
    EXPECT_LT(outputs.size(), 4u);
    EXPECT_EQ(f.tagged, outputs);
    EXPECT_EQ(namesIn(f.outDir).size(), outputs.size()); // no partial or temporary file
    EXPECT_EQ(decodedFrames(outputs[0]), 44100);
    EXPECT_EQ(f.view.statuses.back(), "3 Unconvert");
    EXPECT_EQ(f.view.stoppedLine(), engine::splitStoppedLine(outputs.size()));
    EXPECT_EQ(f.view.percentText(), "");
    EXPECT_FALSE(f.state().converting);
}

TEST(SplitWorkers, AnUnreadableSourceEndsTheJobWithItsMessageAndKeepsEarlierPieces)
{
    JobFixture f;
    f.addTone("good.wav", 6);
    const std::string bad = f.addTone("bad.wav", 6);
    writeFileBytes(bad, "no longer audio");
    f.state().FunctionChoice = static_cast<int>(Mode::ByTime);
    f.state().splitMs = 2000;
    useWorkers(f, 4);

    try {
        f.split();
        FAIL() << "the split went through";
    } catch (const audio::AudioError& error) {
        EXPECT_NE(std::string(error.what()).find(bad), std::string::npos) << error.what();
    }

    EXPECT_EQ(namesIn(f.outDir),
              (std::set<std::string>{"good_1.wav", "good_2.wav", "good_3.wav", "good_4.wav"}));
    EXPECT_EQ(readPcmFile(f.outFile("good_3.wav")).size(), 2u * 8000);
    EXPECT_FALSE(f.state().converting);
}

} // namespace
} // namespace brisklet::test
