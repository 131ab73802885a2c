// The settings file: reading rules, writes that keep the rest of the file, and
// atomic replacement when the folder is read-only or the disk is full.
#include "settings/profilefile.h"

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <filesystem>
#include <gtest/gtest.h>

namespace brisklet::settings {
namespace {

using test::readFileBytes;
using test::TempDir;
using test::writeFileBytes;

struct ProfileFileTest : ::testing::Test {
    TempDir dir;
    std::string path = dir.file("Brisklet.ini");
    ProfileFile file{path};

    void givenContent(const std::string& content) { writeFileBytes(path, content); }
    int integerOf(const std::string& value, int defaultValue = 60)
    {
        givenContent("[Choice]\ntime=" + value + "\n");
        return file.readInteger("Choice", "time", defaultValue);
    }
};

TEST_F(ProfileFileTest, MissingFileGivesDefaultsAndFirstWriteCreatesOnlyThatKey)
{
    EXPECT_EQ(file.readInteger("Choice", "time", 60), 60);
    EXPECT_TRUE(file.readBoolean("MP3VBR", "vbrck", true));
    EXPECT_EQ(file.readText("Output", "Dir", "dflt"), "dflt");
    EXPECT_FALSE(std::filesystem::exists(path)); // reading creates nothing

    file.writeInteger("Function", "Choice", 2);
    EXPECT_EQ(readFileBytes(path), "[Function]\nChoice=2\n");
}

TEST_F(ProfileFileTest, SectionsAndKeysIgnoreCase)
{
    givenContent("[mp3vbr]\nVBRCK=0\n");
    EXPECT_FALSE(file.readBoolean("MP3VBR", "vbrck", true));
    file.writeBoolean("Mp3Vbr", "VbrCk", true);
    EXPECT_EQ(readFileBytes(path), "[mp3vbr]\nVBRCK=1\n"); // the file's own spelling stays
}

TEST_F(ProfileFileTest, AByteOrderMarkHidesNoSectionAndStays)
{
    givenContent("\xEF\xBB\xBF[Function]\r\nChoice=3\r\n");
    EXPECT_EQ(file.readInteger("Function", "Choice", 0), 3);
    file.writeInteger("Function", "Choice", 1);
    EXPECT_EQ(readFileBytes(path), "\xEF\xBB\xBF[Function]\r\nChoice=1\r\n");
}

TEST_F(ProfileFileTest, IntegersInDecimalOrHexadecimal)
{
    EXPECT_EQ(integerOf("0x1E"), 30);
    EXPECT_EQ(integerOf("0X1e"), 30);
    EXPECT_EQ(integerOf("0xFFFFFFFF"), -1);
    EXPECT_EQ(integerOf("-2147483648"), INT_MIN);
    EXPECT_EQ(integerOf("2147483647"), INT_MAX);
    EXPECT_EQ(integerOf("  42  "), 42);
    EXPECT_EQ(integerOf("007"), 7);
    EXPECT_EQ(integerOf("+5"), 5);
}

TEST_F(ProfileFileTest, InvalidOrEmptyIntegersGiveTheDefault)
{
    for (const char* bad : {"abc", "", "12abc", "0x", "0xZZ", "0x100000000", "2147483648",
                            "-2147483649", "-", "1.5", "-0x1E", "1 2"}) {
        EXPECT_EQ(integerOf(bad, 60), 60) << "value \"" << bad << "\"";
    }
}

TEST_F(ProfileFileTest, BooleansAreIntegersAndAnyNonZeroIsTrue)
{
    givenContent("[MP3VBR]\nvbrck=2\nsemb=0\nodd=x\n");
    EXPECT_TRUE(file.readBoolean("MP3VBR", "vbrck", false));
    EXPECT_FALSE(file.readBoolean("MP3VBR", "semb", true));
    EXPECT_TRUE(file.readBoolean("MP3VBR", "odd", true));
    EXPECT_FALSE(file.readBoolean("MP3VBR", "odd", false));
    file.writeBoolean("MP3VBR", "semb", true);
    EXPECT_EQ(file.readInteger("MP3VBR", "semb", 0), 1);
}

TEST_F(ProfileFileTest, TextIsCutAt2047BytesWithoutSplittingACharacter)
{
    const std::string longText(3000, 'a');
    file.writeText("Output", "Dir", longText);
    EXPECT_EQ(file.readText("Output", "Dir", ""), std::string(2047, 'a'));

    // A two-byte character across the limit is dropped whole.
    file.writeText("Output", "Dir", std::string(2046, 'a') + "\xC3\xA9" + "b");
    EXPECT_EQ(file.readText("Output", "Dir", ""), std::string(2046, 'a'));

    file.writeText("Output", "Dir", std::string(2047, 'b'));
    EXPECT_EQ(file.readText("Output", "Dir", "").size(), 2047u);
}

TEST_F(ProfileFileTest, TextRoundTripsAndEmptyValueIsNotAbsent)
{
    file.writeText("Main", "Path", "/home/u/Mü sic = x");
    EXPECT_EQ(file.readText("Main", "Path", "d"), "/home/u/Mü sic = x");
    file.writeText("Main", "Path", "");
    EXPECT_EQ(file.readText("Main", "Path", "d"), "");
    givenContent("[Main]\nPath=\"quoted\"\n");
    EXPECT_EQ(file.readText("Main", "Path", "d"), "quoted");
}

TEST_F(ProfileFileTest, HandEditedFileKeepsCommentsUnknownKeysAndOrder)
{
    const std::string before = "; written by hand\n"
                               "[mp3]\n"
                               "bitrate=5\n"
                               "# my own note\n"
                               "mykey=keep me\n"
                               "\n"
                               "[Unknown]\n"
                               "x = 1\n"
                               "\n"
                               "[ogg]\n"
                               "quality=300";
    givenContent(before);
    file.writeInteger("mp3", "bitrate", 9); // replaced in place
    file.writeInteger("mp3", "channel", 0); // new key at the end of its section
    file.writeInteger("ogg", "oggvbr", 1);  // after a last line without a line end
    file.writeInteger("Fade", "Intime", 3); // new section at the end
    EXPECT_EQ(readFileBytes(path), "; written by hand\n"
                                   "[mp3]\n"
                                   "bitrate=9\n"
                                   "# my own note\n"
                                   "mykey=keep me\n"
                                   "channel=0\n"
                                   "\n"
                                   "[Unknown]\n"
                                   "x = 1\n"
                                   "\n"
                                   "[ogg]\n"
                                   "quality=300\n"
                                   "oggvbr=1\n"
                                   "\n"
                                   "[Fade]\n"
                                   "Intime=3\n");
}

TEST_F(ProfileFileTest, WindowsLineEndsStayWindowsLineEnds)
{
    givenContent("[mp3]\r\nbitrate=5\r\n");
    file.writeInteger("mp3", "bitrate", 7);
    file.writeInteger("wav", "mode", 1);
    EXPECT_EQ(readFileBytes(path), "[mp3]\r\nbitrate=7\r\n\r\n[wav]\r\nmode=1\r\n");
    EXPECT_EQ(file.readInteger("mp3", "bitrate", 0), 7);
}

TEST_F(ProfileFileTest, FirstOfDuplicateSectionsAndKeysWins)
{
    givenContent("[mp3]\nbitrate=1\nbitrate=2\n[MP3]\nbitrate=3\nchannel=4\n");
    EXPECT_EQ(file.readInteger("mp3", "bitrate", 0), 1);
    // Only the first section counts, as the platform's reader does.
    EXPECT_EQ(file.readInteger("mp3", "channel", -7), -7);

    file.writeInteger("mp3", "bitrate", 9);
    file.writeInteger("mp3", "channel", 0);
    EXPECT_EQ(readFileBytes(path),
              "[mp3]\nbitrate=9\nbitrate=2\nchannel=0\n[MP3]\nbitrate=3\nchannel=4\n");
    EXPECT_EQ(file.readInteger("mp3", "channel", -7), 0);
}

TEST_F(ProfileFileTest, GarbageLongLinesAndBrokenHeadersReadWithoutFailing)
{
    std::string garbage = "[mp3]\nbitrate=3\n";
    garbage += std::string(1 << 20, 'x') + "=long\n";
    garbage += std::string("\0\xff\xfe\x01[\x80=]\n", 9);
    garbage += "[ogg\nquality=7\n"; // no "]": opens no section
    garbage += "no equals sign here\n";
    garbage += "=empty name\n";
    givenContent(garbage);

    EXPECT_EQ(file.readInteger("mp3", "bitrate", 0), 3);
    EXPECT_EQ(file.readInteger("mp3", "quality", 0), 7); // still in [mp3]
    EXPECT_EQ(file.readInteger("ogg", "quality", 300), 300);

    file.writeInteger("mp3", "bitrate", 4);
    const std::string after = readFileBytes(path);
    EXPECT_EQ(after.size(), garbage.size());
    EXPECT_EQ(after.substr(16), garbage.substr(16)); // all but "bitrate=3" kept byte for byte
}

TEST_F(ProfileFileTest, SuccessfulWriteLeavesNoTemporaryFile)
{
    file.writeInteger("a", "b", 1);
    file.writeInteger("a", "c", 2);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_EQ(entry.path().filename(), "Brisklet.ini");
    }
}

TEST_F(ProfileFileTest, FileWithoutWritePermissionIsRefusedAndKept)
{
    givenContent("[a]\nb=1\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read,
                                 std::filesystem::perm_options::replace);
    try {
        file.writeInteger("a", "b", 2);
        FAIL() << "the write was not refused";
    } catch (const SettingsWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(readFileBytes(path), "[a]\nb=1\n");
}

TEST_F(ProfileFileTest, WriteKeepsTheFilePermissions)
{
    givenContent("[a]\nb=1\n");
    std::filesystem::permissions(path, std::filesystem::perms(0640),
                                 std::filesystem::perm_options::replace);
    file.writeInteger("a", "b", 2);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
}

TEST(ProfileFileName, BareNameLivesInTheConfigurationFolder)
{
    const ProfileFile bare; // the test main points HOME at a private folder
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    EXPECT_EQ(bare.path(), (folder + QStringLiteral("/Brisklet.ini")).toStdString());

    QDir(folder).removeRecursively(); // a fresh account: no configuration folder yet
    ProfileFile writer;
    writer.writeInteger("Function", "Choice", 1);
    EXPECT_EQ(bare.readInteger("Function", "Choice", 0), 1);
    QFile::remove(QString::fromStdString(bare.path()));

    EXPECT_EQ(ProfileFile("./x.ini").path(), "./x.ini");
}

// A tmpfs mounted on a fresh folder, unmounted at the end.
class ScratchMount {
public:
    explicit ScratchMount(const std::string& size)
    {
        m_mounted = test::runCommand("mount -t tmpfs -o size=" + size + " tmpfs " +
                                     test::shellQuote(m_dir.path()) + " 2>&1")
                        .exitCode == 0;
    }
    ~ScratchMount()
    {
        if (m_mounted) {
            test::runCommand("umount " + test::shellQuote(m_dir.path()));
        }
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool mounted() const { return m_mounted; }
    bool remountReadOnly() const
    {
        return test::runCommand("mount -o remount,ro " + test::shellQuote(m_dir.path())).exitCode ==
               0;
    }
    std::string file(const std::string& name) const { return m_dir.file(name); }

private:
    TempDir m_dir;
    bool m_mounted = false;
};

void expectRefused(ProfileFile& file, const std::string& section, const std::string& key)
{
    try {
        file.writeText(section, key, std::string(8000, 'v'));
        ADD_FAILURE() << "the write was not refused";
    } catch (const SettingsWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + file.path());
    }
}

TEST(ProfileFileAtomicWrite, ReadOnlyFolderRefusesAndKeepsTheOldFile)
{
    ScratchMount mount("1m");
    if (!mount.mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    }
    const std::string path = mount.file("Brisklet.ini");
    ProfileFile file(path);
    file.writeInteger("Function", "Choice", 3);
    const std::string before = readFileBytes(path);
    ASSERT_TRUE(mount.remountReadOnly());

    expectRefused(file, "Output", "Dir");
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(file.readInteger("Function", "Choice", 0), 3);
}

TEST(ProfileFileAtomicWrite, FullDiskRefusesKeepsTheOldFileAndEarlierKeys)
{
    ScratchMount mount("64k");
    if (!mount.mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    }
    const std::string path = mount.file("Brisklet.ini");
    ProfileFile file(path);
    file.writeText("Main", "Path", std::string(6000, 'p'));
    file.writeInteger("Function", "Choice", 2); // written before the disk fills
    const std::string before = readFileBytes(path);

    // Fill what is left of the disk.
    QFile filler(QString::fromStdString(mount.file("filler")));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const std::string chunk(4096, 'f');
    while (filler.write(chunk.data(), 4096) == 4096 && filler.flush()) {
    }
    filler.close();

    expectRefused(file, "Output", "Dir");
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(file.readInteger("Function", "Choice", 0), 2);
    for (const auto& entry : std::filesystem::directory_iterator(mount.file(""))) {
        EXPECT_EQ(entry.path().filename().string().find(ProfileFile::tempSuffix), std::string::npos)
            << "temporary file left behind: " << entry.path();
    }
}

} // namespace
} // namespace brisklet::settings
