// Outputs are written beside the target and replace it only when complete,
// for every output format alike; write failures name the file and the reason.

#include "encode_helpers.h"
#include "testsupport.h"

#include "audio/audioerror.h"
#include "base/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/mount.h>

using namespace brisklet;
using namespace brisklet::test;
namespace fs = std::filesystem;

namespace {

struct NamedFormat {
    const char* extension;
    audio::EncoderFormat format;
};

std::vector<NamedFormat> everyFormat()
{
    return {{"wav", wavFormat(44100, 2, 16)},
            {"mp3", mp3Format()},
            {"ogg", oggFormat(44100, 2, 128)},
            {"wma", wmaFormat(10)}};
}

std::string messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const audio::AudioError& e) {
        return e.what();
    }
    return "(no error)";
}

// A small tmpfs at dir/mnt, unmounted at the end; empty path when mounting is
// not possible here (not root, or in a container that forbids it).
class SmallDisk {
public:
    SmallDisk(const TempDir& dir, const char* size) : m_path(dir.file("mnt"))
    {
        fs::create_directory(m_path);
        std::string options = std::string("size=") + size;
        if (mount("tmpfs", m_path.c_str(), "tmpfs", 0, options.c_str()) != 0)
            m_path.clear();
    }
    ~SmallDisk()
    {
        if (!m_path.empty())
            umount(m_path.c_str());
    }
    const std::string& path() const { return m_path; }
    bool makeReadOnly()
    {
        return mount("tmpfs", m_path.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::string m_path;
};

} // namespace

TEST(EncodeOutput, ExistingTargetIsReplacedOnlyAtFinish)
{
    for (const NamedFormat& f : everyFormat()) {
        SCOPED_TRACE(f.extension);
        TempDir dir;
        std::string target = dir.file(std::string("out.") + f.extension);
        writeFileBytes(target, "old content");
        fs::permissions(target,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        auto encoder = audio::openEncoder(f.format, target, 44100, 2);
        std::vector<float> tone = makeSignal(20000, encoder->sampleRate(), encoder->channels());
        encoder->write(tone.data(), 20000);
        EXPECT_EQ(readFileBytes(target), "old content");
        ASSERT_EQ(folderEntries(dir.path()).size(), 2u); // the target and its temporary file
        EXPECT_EQ(folderEntries(dir.path())[0].rfind(
                      ".out." + std::string(f.extension) + ".brisklet-tmp-", 0),
                  0u);
        encoder->finish();
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{fs::path(target).filename()});
        EXPECT_NE(readFileBytes(target), "old content");
        EXPECT_EQ(fs::status(target).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    }
}

TEST(EncodeOutput, UnfinishedOutputLeavesNothingBehind)
{
    for (const NamedFormat& f : everyFormat()) {
        SCOPED_TRACE(f.extension);
        TempDir dir;
        std::string target = dir.file(std::string("out.") + f.extension);
        std::string untouched = dir.file(std::string("old.") + f.extension);
        writeFileBytes(untouched, "old content");
        {
            auto fresh = audio::openEncoder(f.format, target, 44100, 2);
            auto replacing = audio::openEncoder(f.format, untouched, 44100, 2);
            std::vector<float> tone = makeSignal(5000, fresh->sampleRate(), fresh->channels());
            fresh->write(tone.data(), 5000);
            replacing->write(tone.data(), 5000);
        } // destroyed without finish()
        EXPECT_EQ(folderEntries(dir.path()),
                  std::vector<std::string>{fs::path(untouched).filename()});
        EXPECT_EQ(readFileBytes(untouched), "old content");
    }
}

TEST(EncodeOutput, MissingFolderNamesTheFileAndTheReason)
{
    TempDir dir;
    for (const NamedFormat& f : everyFormat()) {
        std::string target = dir.file(std::string("no/such/out.") + f.extension);
        EXPECT_EQ(messageOf([&] { audio::openEncoder(f.format, target, 44100, 2); }),
                  "cannot create " + target + ": No such file or directory");
    }
}

TEST(EncodeOutput, ReadOnlyFolderIsRefused)
{
    TempDir dir;
    SmallDisk disk(dir, "64k");
    if (disk.path().empty() || !disk.makeReadOnly())
        GTEST_SKIP() << "cannot mount a read-only tmpfs here (needs root)";
    for (const NamedFormat& f : everyFormat()) {
        std::string target = disk.path() + "/out." + f.extension;
        EXPECT_EQ(messageOf([&] { audio::openEncoder(f.format, target, 44100, 2); }),
                  "cannot create " + target + ": Read-only file system");
    }
}

TEST(EncodeOutput, FullDiskIsReportedAndCleanedUp)
{
    TempDir dir;
    SmallDisk disk(dir, "64k");
    if (disk.path().empty())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    for (const NamedFormat& f : everyFormat()) {
        SCOPED_TRACE(f.extension);
        std::string target = disk.path() + "/out." + f.extension;
        // 30 s: far more than 64 KiB in every format.
        EXPECT_EQ(messageOf([&] { encodeTone(f.format, target, 44100 * 30); }),
                  "disk full while writing " + target);
        EXPECT_TRUE(folderEntries(disk.path()).empty());
    }
}

// The other users of the replaced file: a fixed temporary name (which never
// takes over a file already there), content written by path after
// closeHandle(), and the forms that report through an error_code.
TEST(OutputFile, FixedTemporaryNameAndWritingByPath)
{
    TempDir dir;
    const std::string target = dir.file("song.mp3");
    writeFileBytes(target, "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    base::OutputFile::Options options;
    options.temporary = dir.file("song.temp");
    options.randomSuffix = false;
    options.syncBeforeRename = true;
    std::error_code error;
    {
        base::OutputFile file(target, options, error);
        ASSERT_FALSE(error);
        EXPECT_EQ(file.temporaryPath(), dir.file("song.temp"));
        file.closeHandle();
        writeFileBytes(file.temporaryPath(), "new");
        EXPECT_EQ(readFileBytes(target), "old");
        file.commit(error);
    }
    EXPECT_FALSE(error);
    EXPECT_EQ(readFileBytes(target), "new");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"song.mp3"});

    // A file of the fixed name may be the user's own: it stays, and the
    // temporary file takes the name with a random ending.
    writeFileBytes(dir.file("song.temp"), "the user's own file");
    {
        base::OutputFile file(target, options, error);
        ASSERT_FALSE(error);
        EXPECT_EQ(file.temporaryPath().rfind(dir.file("song.temp-"), 0), 0u);
        EXPECT_TRUE(file.write("newer", 5));
        file.commit(error);
    }
    EXPECT_FALSE(error);
    EXPECT_EQ(readFileBytes(target), "newer");
    EXPECT_EQ(readFileBytes(dir.file("song.temp")), "the user's own file");
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"song.mp3", "song.temp"}));
    fs::remove(dir.file("song.temp"));

    base::OutputFile missing(dir.file("no/such/x.ini"), {}, error);
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(missing.write("x", 1));
    missing.commit(error);
    EXPECT_TRUE(error);

    options.temporary = target + ".brisklet-tmp-";
    options.randomSuffix = true;
    {
        base::OutputFile kept(target, options, error);
        ASSERT_FALSE(error);
        EXPECT_EQ(kept.temporaryPath().size(), options.temporary.size() + 6);
        EXPECT_TRUE(kept.write("abandoned", 9));
    } // no commit: the target stays
    EXPECT_EQ(readFileBytes(target), "newer");
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"song.mp3"});
}
