// Output naming: every candidate is one clean path component inside the output
// folder and never names anything that already exists.
#include "audio/outputformat.h"
#include "engine/outputnaming.h"
#include "testsupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

using namespace brisklet::engine;
namespace audio = brisklet::audio;
using brisklet::test::TempDir;
using brisklet::test::writeFileBytes;

namespace {

PathExists existing(std::set<std::string> paths)
{
    return [paths = std::move(paths)](const std::string& p) { return paths.count(p) > 0; };
}

} // namespace

TEST(OutputNaming, ExtensionsByFormat)
{
    // By the format list's position; a position outside it names no format.
    const auto extensionAt = [](int position) {
        std::optional<audio::OutputFormat> format = audio::outputFormatAt(position);
        return format ? audio::extensionOf(*format) : std::string();
    };
    EXPECT_EQ(extensionAt(0), ".mp3");
    EXPECT_EQ(extensionAt(1), ".wav");
    EXPECT_EQ(extensionAt(2), ".wma");
    EXPECT_EQ(extensionAt(3), ".ogg");
    EXPECT_EQ(extensionAt(4), ".flac");
    EXPECT_EQ(extensionAt(5), ".opus");
    EXPECT_EQ(extensionAt(6), "");
    EXPECT_EQ(extensionAt(-1), "");
}

TEST(OutputNaming, BaseStopsAtFirstDotUnlessLeading)
{
    EXPECT_EQ(nameBase("a.b.c"), "a");
    EXPECT_EQ(nameBase("song"), "song");
    EXPECT_EQ(nameBase(".x.wav"), ".x.wav");
    EXPECT_EQ(nameBase(""), "");
}

TEST(OutputNaming, DottedNameGetsExtensionAppendedAndNumbered)
{
    EXPECT_EQ(pieceOutputPath("/out/", "a.b.c", ".mp3", existing({})), "/out/a_1.mp3");
    EXPECT_EQ(pieceOutputPath("/out/", "a.b.c", ".mp3", existing({"/out/a_1.mp3"})),
              "/out/a_2.mp3");
    // A leading dot keeps the whole name; the extension is appended, so the
    // result can never be the source ".x.wav" itself.
    EXPECT_EQ(pieceOutputPath("/out/", ".x.wav", ".wav", existing({"/out/.x.wav"})),
              "/out/.x.wav_1.wav");
}

TEST(OutputNaming, EveryForbiddenCharacterIsRemovedFromEveryCandidate)
{
    EXPECT_EQ(cleanName("a*b?c|d:e/f\\g<h>i\"j**//"), "abcdefghij");
    EXPECT_EQ(cleanName(std::string("tab\there\nnul") + '\0' + "x\x7f"), "tabherenulx");
    // Numbered candidates are cleaned too.
    EXPECT_EQ(pieceOutputPath("/out/", "x:y", ".wav", existing({"/out/xy_1.wav"})),
              "/out/xy_2.wav");
}

TEST(OutputNaming, NamesStayInsideTheFolder)
{
    for (std::string name : {"../../etc/passwd", "..", ".", "/abs/path", "..\\..\\x", ""}) {
        std::string path = pieceOutputPath("/out/", name, ".mp3", existing({}));
        ASSERT_EQ(path.rfind("/out/", 0), 0u) << name;
        std::string component = path.substr(5);
        EXPECT_EQ(component.find('/'), std::string::npos) << name;
        EXPECT_NE(component, "..");
        EXPECT_NE(component, ".");
        EXPECT_GT(component.size(), std::string(".mp3").size()) << name;
    }
    EXPECT_EQ(pieceOutputPath("/out/", "", ".mp3", existing({})), "/out/untitled_1.mp3");
    EXPECT_EQ(pieceOutputPath("/out/", "..", ".mp3", existing({})), "/out/.._1.mp3");
    EXPECT_EQ(pieceOutputPath("/out", "a", ".mp3", existing({})), "/out/a_1.mp3");
}

TEST(OutputNaming, LongNamesAreCutAtACharacterBoundary)
{
    std::string longName;
    for (int i = 0; i < 200; ++i)
        longName += "\xc3\xa9"; // é, two bytes each
    std::string path = pieceOutputPath("/out/", longName, ".mp3", existing({}));
    std::string component = path.substr(5);
    EXPECT_LE(component.size(), 255u);
    EXPECT_EQ(component.substr(component.size() - 6), "_1.mp3");
    std::string kept = component.substr(0, component.size() - 6);
    EXPECT_EQ(kept.size() % 2, 0u); // no half character
    EXPECT_EQ(kept, longName.substr(0, kept.size()));
}

TEST(OutputNaming, NumberingGoesOnPastAHundred)
{
    std::set<std::string> taken;
    for (int n = 1; n <= 100; ++n)
        taken.insert("/out/a_" + std::to_string(n) + ".mp3");
    EXPECT_EQ(pieceOutputPath("/out/", "a", ".mp3", existing(taken)), "/out/a_101.mp3");
}

TEST(OutputNaming, FallbackUsesSourceStemAndNeverTheSource)
{
    EXPECT_EQ(fallbackOutputPath("/out/", "/music/live.set.wav", ".wav", existing({})),
              "/out/live.set_1.wav");
    // Source in the output folder, same format: the source is not touched.
    EXPECT_EQ(
        fallbackOutputPath("/out/", "/out/s.wav", ".wav", existing({"/out/s.wav", "/out/s_1.wav"})),
        "/out/s_2.wav");
}

TEST(OutputNaming, RealFilesFoldersAndDanglingLinksCountAsTaken)
{
    TempDir dir;
    writeFileBytes(dir.file("a_1.mp3"), "x");
    std::filesystem::create_directory(dir.file("a_2.mp3"));
    std::filesystem::create_symlink(dir.file("nowhere"), dir.file("a_3.mp3"));
    EXPECT_EQ(pieceOutputPath(dir.path(), "a.b.c", ".mp3"), dir.file("a_4.mp3"));
}
