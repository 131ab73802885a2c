// brisklet-cli's manners: help and version, refused options, --json, folders
// as sources, the refusal summary, join's --out and --quiet.
#include "testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace brisklet::test;

namespace {

std::string cli()
{
    const char* build = std::getenv("BRISKLET_BUILD_DIR");
    return shellQuote(std::string(build ? build : ".") + "/cli/brisklet-cli");
}

struct Manners : ::testing::Test {
    TempDir dir;
    std::string settings = dir.file("Brisklet.ini");
    void SetUp() override
    {
        writeFileBytes(settings, "[wav]\nmode=2\nfrequency=0\nchannel=0\nbit=1\n");
    }

    // stdout alone; stderr goes to dir/stderr.
    CommandResult run(const std::string& arguments)
    {
        return runCommand("(cd " + shellQuote(dir.path()) + " && " + cli() + " " + arguments +
                          " 2>" + shellQuote(dir.file("stderr")) + ")");
    }
    std::string errors() { return readFileBytes(dir.file("stderr")); }
    std::string tone(const std::string& name, int seconds)
    {
        std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
        writeToneWav(dir.file(name), seconds * 8000, 8000, 1);
        return dir.file(name);
    }
};

QJsonDocument json(const std::string& text)
{
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return document;
}

} // namespace

TEST_F(Manners, HelpAndVersionPrintOnStdoutAndSucceed)
{
    for (const char* arguments : {"--help", "-h", "help"}) {
        CommandResult r = run(arguments);
        EXPECT_EQ(r.exitCode, 0) << arguments;
        EXPECT_NE(r.output.find("brisklet-cli split"), std::string::npos) << arguments;
    }
    CommandResult split = run("split --help");
    EXPECT_EQ(split.exitCode, 0);
    EXPECT_NE(split.output.find("--out DIR"), std::string::npos);
    EXPECT_NE(split.output.find("--quiet"), std::string::npos);
    EXPECT_EQ(run("join a.wav -h").exitCode, 0);
    CommandResult version = run("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output.rfind("brisklet-cli 1.", 0), 0u) << version.output;
}

TEST_F(Manners, OptionsNobodyUsesAreRefusedBeforeAnythingIsWritten)
{
    const std::string a = shellQuote(tone("a.wav", 2));
    const char* refused[] = {
        "-v ",
        "split -v --out out ",                          // a mistyped option, not a file
        "split --out out --output x ",                  // join's option
        "split --out out --seconds 5 ",                 // only with --mode time
        "split --out out --mode time --count 2 ",       // only with --mode count
        "split --out out --mode count --segment 1-2 ",  // pieces come from --count
        "join --output x --seconds 5 ",                 // join pieces whole sources
        "split --out out --jobs 0 ",                    // at least one worker
        "join --output x --jobs 2 ",                    // a join is not cut in pieces
        "join --out out --output /tmp/brisklet-abs-x ", // DIR unused with an absolute NAME
        "info --quiet ",
        "tags --out out ",
        "convert --quiet a.wav ",
    };
    for (const char* arguments : refused) {
        CommandResult r = run(std::string(arguments) + a + " --settings " + shellQuote(settings));
        EXPECT_EQ(r.exitCode, 2) << arguments;
        EXPECT_EQ(r.output, "") << arguments;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
    EXPECT_FALSE(std::filesystem::exists("/tmp/brisklet-abs-x.mp3"));
    // "--" ends the options: a file may start with "-".
    tone("-odd.wav", 1);
    EXPECT_EQ(run("info -- -odd.wav").exitCode, 0) << errors();
}

TEST_F(Manners, JsonGivesInfoAndTagsAsDocuments)
{
    const std::string a = tone("a.wav", 2);
    writeFileBytes(dir.file("junk.mp3"), "not audio");
    CommandResult info = run("info --json " + shellQuote(a) + " junk.mp3");
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_NE(errors().find("1 of 2 sources was refused"), std::string::npos) << errors();
    QJsonArray files = json(info.output).array();
    ASSERT_EQ(files.size(), 1);
    QJsonObject first = files[0].toObject();
    EXPECT_EQ(first[QStringLiteral("path")].toString().toStdString(), a);
    EXPECT_EQ(first[QStringLiteral("frames")].toInteger(), 16000);
    EXPECT_EQ(first[QStringLiteral("ms")].toInteger(), 2000);
    EXPECT_EQ(first[QStringLiteral("rate")].toInt(), 8000);
    EXPECT_EQ(first[QStringLiteral("channels")].toInt(), 1);

    // Text beyond ASCII and JSON's own characters come back as written.
    const std::string tagged = dir.file("t.mp3");
    ASSERT_EQ(runCommand("ffmpeg -v error -f lavfi -i sine=d=1 -metadata 'title={A&B} [x]' "
                         "-metadata artist=Ünal " +
                         shellQuote(tagged))
                  .exitCode,
              0);
    CommandResult tags = run("tags " + shellQuote(tagged) + " --json");
    ASSERT_EQ(tags.exitCode, 0) << errors();
    QJsonObject record = json(tags.output).object();
    EXPECT_EQ(record[QStringLiteral("Title")].toString(), QStringLiteral("{A&B} [x]"));
    EXPECT_EQ(record[QStringLiteral("Artist")].toString(), QStringLiteral("Ünal"));
    EXPECT_TRUE(record.contains(QStringLiteral("Genre")));
}

TEST_F(Manners, AFolderAddsItsAudioFilesAsAddFolderDoes)
{
    tone("in/b.wav", 1);
    tone("in/A.WAV", 1);
    tone("in/deeper/c.wav", 1);
    writeFileBytes(dir.file("in/notes.txt"), "not audio");
    std::filesystem::create_directories(dir.file("empty"));
    CommandResult r =
        run("split --format wav --settings " + shellQuote(settings) + " --out out in empty");
    EXPECT_EQ(r.exitCode, 1); // the empty folder gave nothing
    EXPECT_EQ(r.output, "out/A_1.wav\nout/b_1.wav\n");
    EXPECT_NE(errors().find("empty holds no audio files"), std::string::npos) << errors();
    EXPECT_NE(errors().find("1 of 3 sources was refused"), std::string::npos) << errors();

    CommandResult info = run("info in");
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_EQ(info.output.find("in/A.WAV\t"), 0u) << info.output;
}

TEST_F(Manners, JoinPlacesARelativeNameInOutAndQuietDrawsNoProgress)
{
    const std::string a = tone("a.wav", 2);
    const std::string arguments = "join --quiet --format wav --settings " + shellQuote(settings) +
                                  " --out joined --output mix " + shellQuote(a);
    // Under a pseudo terminal progress would show; --quiet keeps it away.
    CommandResult r = runCommand("cd " + shellQuote(dir.path()) + " && script -qec " +
                                 shellQuote(cli() + " " + arguments) + " /dev/null");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output, "joined/mix.wav\r\n");
    EXPECT_TRUE(std::filesystem::exists(dir.file("joined/mix.wav")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("mix.wav")));
}
