// Damaged settings files and titles that would make bad file names.
#include "robustness.h"

#include "engine/outputnaming.h"
#include "settings/encoderconfig.h"
#include "settings/generalsettings.h"
#include "settings/profilefile.h"
#include "tests/engine/jobfixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace brisklet;
using namespace brisklet::test;

namespace {

// Everything the program reads from a settings file at start and before a job.
void readEverything(const std::string& path)
{
    settings::ProfileFile file(path);
    const settings::GeneralSettings general = settings::loadGeneralSettings(file);
    EXPECT_GE(general.splitSeconds, 1);
    EXPECT_GE(general.splitCount, 1);
    EXPECT_GE(general.FunctionChoice, 0);
    EXPECT_LE(general.FunctionChoice, 3);
    auto writer = audio::createAudioFile();
    audio::LameEncoderSettings lame;
    settings::EncoderConfiguration config(file, *writer, lame);
    for (audio::OutputFormat format : audio::allOutputFormats) {
        try {
            config.configure(format);
        } catch (const audio::AudioError&) {
            // A format the file asks for that the encoder refuses: reported, not fatal.
        }
    }
    EXPECT_LE(file.readText("Output", "Dir", "").size(), settings::ProfileFile::maxTextLength);
}

} // namespace

TEST(MalformedSettings, DamagedFilesReadAsDefaultsOrUpToTheDamage)
{
    TempDir dir;
    const std::string musicDir = dir.file("music");
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty", ""},
        {"zero_filled", std::string(4096, '\0')},
        {"one_mib_line", "[Output]\nDir=" + std::string(1 << 20, 'a') + "\n"},
        {"invalid_utf8", "[Output]\nDir=\xC3\x28\xFF\xFE/x\n[mp3]\nbitrate=\xE2\x82\n"},
        {"bom_crlf", "\xEF\xBB\xBF[Function]\r\nChoice=2\r\n[Choice]\r\nCount=3\r\n"},
        {"duplicate_keys", "[Choice]\ntime=5\ntime=0\n[Choice]\nCount=0\n"},
        {"zero_divisors", "[Function]\nChoice=1\n[Choice]\ntime=0\nCount=0\n"},
        {"negative_divisors", "[Choice]\ntime=-2147483648\nCount=-1\n"},
        {"huge_numbers",
         "[Choice]\ntime=99999999999999999999\nCount=0x7FFFFFFF\n[Fade]\nIntime=-5\n"},
        {"no_line_ends", "[Function]Choice=1[Choice]time=0"},
        {"binary", std::string("\x01\x02[\x00]\n=\n[[]]\n\r\r\r=\x7F", 18)},
    };
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(std::string(name) + ".ini");
        writeFileBytes(path, content);
        expectHarmless({path}, [&] { readEverything(path); });
    }
    settings::ProfileFile duplicate(dir.file("duplicate_keys.ini"));
    EXPECT_EQ(settings::loadGeneralSettings(duplicate).splitSeconds, 5);
    settings::ProfileFile bom(dir.file("bom_crlf.ini"));
    EXPECT_EQ(settings::loadGeneralSettings(bom).splitCount, 3);
}

TEST(MalformedSettings, ZeroDivisorsSplitWithoutCrashing)
{
    JobFixture job;
    writeFileBytes(job.dir.file("Brisklet.ini"),
                   std::string(wav8kMono) + "[Function]\nChoice=1\n[Choice]\ntime=0\nCount=0\n");
    const settings::GeneralSettings general = settings::loadGeneralSettings(*job.profile);
    job.state().FunctionChoice = general.FunctionChoice;
    job.state().splitMs = int64_t{general.splitSeconds} * 1000;
    job.state().splitCount = general.splitCount;
    const std::string source = job.addTone("tone.wav", 3);
    job.model.buildSegmentList();
    std::vector<std::string> outputs;
    expectHarmless({source}, [&] { outputs = job.split(audio::OutputFormat::Wav); });
    EXPECT_GE(outputs.size(), 3u); // pieces of one second
}

TEST(BadTitles, NamesStayOneComponentInsideTheOutputFolder)
{
    TempDir dir;
    const std::string out = dir.file("out");
    std::filesystem::create_directory(out);
    writeFileBytes(dir.file("x_1.wav"), "outside");
    const std::vector<std::string> titles = {"a/b",
                                             "a\\b",
                                             "..",
                                             "../../x",
                                             ".hidden",
                                             "tab\there\x01\x1F\x7F",
                                             std::string(300, 'L'),
                                             "",
                                             "*?|:<>\"",
                                             "/",
                                             "\xC3\xA9t\xC3\xA9 " +
                                                 std::string(150, '\xE2') /* broken UTF-8 */,
                                             std::string(100, '\xC3') + std::string(100, '\xA9')};
    std::set<std::string> made;
    for (const std::string& title : titles) {
        SCOPED_TRACE(title);
        for (int piece = 0; piece < 2; ++piece) { // two pieces with the same title
            const std::string path = engine::pieceOutputPath(out, title, ".wav");
            const std::filesystem::path p(path);
            EXPECT_EQ(p.parent_path().string(), out);
            const std::string name = p.filename().string();
            EXPECT_FALSE(name.empty() || name == "." || name == "..");
            EXPECT_LE(name.size(), 255u);
            EXPECT_EQ(name.find('/'), std::string::npos);
            EXPECT_FALSE(std::filesystem::exists(p)) << "would replace " << path;
            EXPECT_TRUE(made.insert(path).second);
            writeFileBytes(path, "piece");
        }
    }
    EXPECT_EQ(readFileBytes(dir.file("x_1.wav")), "outside");
}

TEST(BadTitles, ASplitOfBadlyTitledSourcesWritesInsideTheFolderOnly)
{
    JobFixture job;
    const std::string first = job.addTone("one.wav", 1);
    const std::string second = job.addTone("two.wav", 1);
    job.entry(0).caption = "../../escape";
    job.entry(1).caption = "../../escape";                  // the same title twice
    writeFileBytes(job.outFile("....escape_1.wav"), "old"); // never replaced
    const std::vector<std::string> outside = folderNames(job.dir.path());
    std::vector<std::string> outputs;
    expectHarmless({first, second}, [&] { outputs = job.split(audio::OutputFormat::Wav); });
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_NE(outputs[0], outputs[1]);
    for (const std::string& path : outputs) {
        EXPECT_EQ(std::filesystem::path(path).parent_path(),
                  std::filesystem::path(job.outDir).parent_path());
        EXPECT_EQ(decodedFrames(path), 8000);
    }
    EXPECT_EQ(folderNames(job.dir.path()), outside);
    EXPECT_EQ(readFileBytes(job.outFile("....escape_1.wav")), "old");
}
