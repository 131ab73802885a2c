// Faults of the disk under a running program: a full or read-only output
// folder during a split, a join and a tag rewrite, a full or read-only
// settings folder, and a source cut short or deleted while a job reads it.
// Root writes through permission bits, so full and read-only folders are
// small tmpfs mounts; where mounting is not allowed the case is skipped.
#include "robustness.h"

#include "engine/joinjob.h"
#include "settings/profilefile.h"
#include "tags/id3.h"
#include "tags/ogg.h"
#include "tags/tagcarryover.h"
#include "tags/tagerror.h"
#include "tags/wmatag.h"
#include "tagtestfiles.h"
#include "tests/engine/jobfixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <sys/mount.h>

using namespace brisklet;
using namespace brisklet::test;

namespace {

#define REQUIRE_MOUNT(mount)                                                                       \
    if (!(mount).mounted())                                                                        \
    GTEST_SKIP() << "needs a tmpfs mount: " << (mount).reason()

// The names a failed write may leave: none but the filler and what was there.
void expectNoLeftovers(const SmallMount& mount, const std::vector<std::string>& before)
{
    std::vector<std::string> names = folderNames(mount.path());
    EXPECT_EQ(names, before) << "a failed write left a file behind";
}

} // namespace

TEST(DiskFaults, SplitIntoAFullFolderStopsWithTheMessage)
{
    SmallMount mount(256 * 1024);
    REQUIRE_MOUNT(mount);
    JobFixture job;
    const std::string source = job.addTone("tone.wav", 10); // 160 kB of audio
    job.state().OutputDirectory = mount.path() + "/";
    job.state().FunctionChoice = 1; // pieces of 4 seconds, 64 kB each
    job.state().splitMs = 4000;
    job.model.buildSegmentList();
    writeFileBytes(mount.file("filler"), std::string(120 * 1024, 'f'));
    const std::vector<std::string> before = folderNames(mount.path());
    expectHarmless({source}, [&] {
        try {
            job.split(audio::OutputFormat::Wav);
            ADD_FAILURE() << "the split into a full folder succeeded";
        } catch (const audio::AudioError& error) {
            EXPECT_NE(std::string(error.what()).find(mount.path()), std::string::npos)
                << error.what();
            EXPECT_NE(std::string(error.what()).find("disk full"), std::string::npos)
                << error.what();
        }
    });
    EXPECT_FALSE(job.state().converting);
    // Whole pieces written before the disk filled stay; nothing half-written does.
    for (const std::string& name : folderNames(mount.path())) {
        if (name != "filler") {
            EXPECT_EQ(decodedFrames(mount.file(name)), 4 * 8000) << name;
        }
    }
    (void)before;
}

TEST(DiskFaults, JoinIntoAFullFolderLeavesNothing)
{
    SmallMount mount(128 * 1024);
    REQUIRE_MOUNT(mount);
    JobFixture job;
    const std::string first = job.addTone("one.wav", 5);
    const std::string second = job.addTone("two.wav", 5);
    job.state().FunctionChoice = 1;
    job.state().OutputDirectory = mount.path() + "/";
    const std::vector<std::string> before = folderNames(mount.path());
    expectHarmless({first, second}, [&] {
        try {
            engine::runJoinJob(job.model, job.parts,
                               engine::SaveChoice{mount.file("joined"), audio::OutputFormat::Wav});
            ADD_FAILURE() << "the join into a full folder succeeded";
        } catch (const audio::AudioError& error) {
            EXPECT_NE(std::string(error.what()).find(mount.file("joined")), std::string::npos)
                << error.what();
        }
    });
    EXPECT_FALSE(job.state().converting);
    expectNoLeftovers(mount, before);
}

TEST(DiskFaults, OutputFolderReadOnly)
{
    SmallMount mount(64 * 1024);
    REQUIRE_MOUNT(mount);
    ASSERT_TRUE(mount.makeReadOnly());
    JobFixture job;
    const std::string source = job.addTone("tone.wav", 1);
    job.state().OutputDirectory = mount.path() + "/";
    expectHarmless({source}, [&] {
        try {
            job.split(audio::OutputFormat::Wav);
            ADD_FAILURE() << "a split into a read-only folder succeeded";
        } catch (const audio::AudioError& error) {
            EXPECT_NE(std::string(error.what()).find(mount.path()), std::string::npos)
                << error.what();
        }
        try {
            engine::runJoinJob(job.model, job.parts,
                               engine::SaveChoice{mount.file("joined"), audio::OutputFormat::Wav});
            ADD_FAILURE() << "a join into a read-only folder succeeded";
        } catch (const audio::AudioError& error) {
            EXPECT_NE(std::string(error.what()).find(mount.path()), std::string::npos)
                << error.what();
        }
    });
    EXPECT_TRUE(folderNames(mount.path()).empty());
}

TEST(DiskFaults, TagRewritesOnAFullOrReadOnlyDiskKeepTheOldFile)
{
    TempDir dir;
    const std::vector<std::string> tones = {makeEncodedTone(dir, "t.mp3", 0.5),
                                            makeEncodedTone(dir, "t.ogg", 0.5),
                                            makeEncodedTone(dir, "t.wma", 0.5)};
    for (bool readOnly : {false, true}) {
        SmallMount mount(256 * 1024);
        REQUIRE_MOUNT(mount);
        std::vector<std::string> paths;
        for (const std::string& tone : tones) {
            paths.push_back(mount.file(std::filesystem::path(tone).filename().string()));
            writeFileBytes(paths.back(), readFileBytes(tone));
        }
        if (readOnly) {
            ASSERT_TRUE(mount.makeReadOnly());
        } else {
            mount.fill();
        }
        const std::vector<std::string> before = folderNames(mount.path());
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        // Each refusal names the folder and the disk's reason.
        const std::string reason = std::strerror(readOnly ? EROFS : ENOSPC);
        auto expectRefused = [&](const char* format, const auto& write) {
            try {
                if (write())
                    ADD_FAILURE() << "a " << format << " tag was written to a "
                                  << (readOnly ? "read-only" : "full") << " disk";
            } catch (const tags::TagError& error) {
                const std::string message = error.what();
                EXPECT_NE(message.find(mount.path()), std::string::npos) << message;
                // A full disk may also be said in words.
                EXPECT_TRUE(message.find(reason) != std::string::npos ||
                            (!readOnly && message.find("disk full") != std::string::npos))
                    << message;
            }
        };
        expectHarmless(paths, [&] {
            tags::ID3StructV2 id3;
            id3.Title = std::string(4000, 't');
            expectRefused("ID3", [&] {
                tags::WriteID3v2(paths[0], id3);
                return true;
            });
            tags::OGGTag ogg;
            ogg.Title = std::string(4000, 't');
            expectRefused("Ogg", [&] { return tags::WriteOggComments(paths[1], ogg); });
            tags::WMATagStruct wma;
            wma.Title = "t";
            expectRefused("WMA", [&] { return tags::WriteWmaTag(paths[2], wma); });
        });
        expectNoLeftovers(mount, before);
    }
}

TEST(DiskFaults, AWmaTagRewriteThatRunsOutOfRoomKeepsThePiece)
{
    TempDir dir;
    // The piece ends just short of a page, so that its larger header needs one
    // page more than the copy of the old one.
    std::string piece = readFileBytes(makeEncodedTone(dir, "t.wma", 0.5));
    piece.append(4096 - 16 - piece.size() % 4096, '\0');
    SmallMount mount(256 * 1024);
    REQUIRE_MOUNT(mount);
    const std::string path = mount.file("t.wma");
    writeFileBytes(path, piece);
    mount.fill();
    // Room for a copy of the same size, not for a longer one.
    const uintmax_t filler = std::filesystem::file_size(mount.file("filler"));
    std::filesystem::resize_file(mount.file("filler"), filler - piece.size() - 16);
    const std::vector<std::string> before = folderNames(mount.path());
    tags::WMATagStruct tag;
    tag.Title = std::string(100, 't');
    tag.Artist = std::string(100, 'a');
    try {
        tags::WriteWmaTag(path, tag);
        ADD_FAILURE() << "the tag was written to a full disk";
    } catch (const tags::TagError& error) {
        EXPECT_NE(std::string(error.what()).find("disk full while writing " + path),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(readFileBytes(path), piece);
    expectNoLeftovers(mount, before);
}

TEST(DiskFaults, ATagRewriteWhoseRenameFailsSaysWhy)
{
    TempDir dir;
    for (const char* name : {"t.mp3", "t.ogg", "t.wma"}) {
        SCOPED_TRACE(name);
        const std::string original = readFileBytes(makeEncodedTone(dir, name, 0.5));
        // A file with another mounted over it cannot be renamed over.
        const std::string target = dir.file(std::string("target-") + name);
        const std::string bound = dir.file(std::string("bound-") + name);
        writeFileBytes(target, original);
        writeFileBytes(bound, original);
        if (::mount(bound.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0)
            GTEST_SKIP() << "needs a bind mount: " << std::strerror(errno);
        std::string message = "no error";
        try {
            tags::AudioFileinfo record;
            record.Title = "t";
            tags::WriteOutputTags(target, record);
        } catch (const tags::TagError& error) {
            message = error.what();
        }
        ::umount2(target.c_str(), MNT_DETACH);
        EXPECT_NE(message.find(target), std::string::npos) << message;
        EXPECT_NE(message.find(std::strerror(EBUSY)), std::string::npos) << message;
        EXPECT_EQ(readFileBytes(target), original);
        EXPECT_EQ(readFileBytes(bound), original);
        for (const std::string& left : folderNames(dir.path())) {
            EXPECT_EQ(left.find("temp"), std::string::npos) << left;
            EXPECT_EQ(left.find("tmp"), std::string::npos) << left;
        }
    }
}

TEST(DiskFaults, SettingsFolderFullOrReadOnly)
{
    for (bool readOnly : {false, true}) {
        SmallMount mount(64 * 1024);
        REQUIRE_MOUNT(mount);
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        const std::string path = mount.file("Brisklet.ini");
        const std::string content = "[Output]\nDir=/music/\n";
        writeFileBytes(path, content);
        if (readOnly) {
            ASSERT_TRUE(mount.makeReadOnly());
        } else {
            mount.fill();
        }
        const std::vector<std::string> before = folderNames(mount.path());
        settings::ProfileFile file(path);
        expectHarmless({path}, [&] {
            try {
                file.writeText("Output", "Dir", std::string(8192, 'd'));
                ADD_FAILURE() << "a settings write succeeded";
            } catch (const settings::SettingsWriteError& error) {
                EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
            }
        });
        EXPECT_EQ(file.readText("Output", "Dir", ""), "/music/");
        expectNoLeftovers(mount, before);
    }
}

TEST(DiskFaults, ASourceCutShortOrDeletedWhileASplitReadsIt)
{
    for (bool deleted : {false, true}) {
        SCOPED_TRACE(deleted ? "deleted" : "cut short");
        JobFixture job;
        const std::string source = job.addTone("tone.wav", 20);
        job.state().FunctionChoice = 1;
        job.state().splitMs = 5000;
        job.model.buildSegmentList();
        bool damaged = false;
        job.view.onPump = [&](int pump) {
            if (pump < 3 || damaged)
                return;
            damaged = true;
            if (deleted)
                std::filesystem::remove(source);
            else
                std::filesystem::resize_file(source, 44 + 8000 * 2 * 3); // 3 s left
        };
        std::vector<std::string> outputs;
        std::string loss;
        job.parts.noteLoss = [&](const std::string& path, const std::string& text) {
            loss += path + ": " + text;
        };
        expectHarmless({}, [&] { outputs = job.split(audio::OutputFormat::Wav); });
        EXPECT_TRUE(damaged);
        // A piece the source ended inside keeps what was read, and the loss
        // is told: never a short success.
        if (!deleted) {
            EXPECT_NE(loss.find(source + ": "), std::string::npos) << loss;
            EXPECT_NE(loss.find("could not be decoded"), std::string::npos) << loss;
        }
        EXPECT_FALSE(job.state().converting);
        for (const std::string& path : outputs)
            EXPECT_LE(decodedFrames(path), 5 * 8000) << path;
        if (deleted) {
            EXPECT_GE(outputs.size(), 4u); // an open file reads on after its name is gone
        }
    }
}

namespace {

std::string cliProgram()
{
    const char* build = std::getenv("BRISKLET_BUILD_DIR");
    return shellQuote(std::string(build ? build : ".") + "/cli/brisklet-cli");
}

} // namespace

TEST(DiskFaults, TheCommandLineFailsCleanlyOnAFullDisk)
{
    TempDir dir;
    const std::string source = dir.file("tone.wav");
    writeToneWav(source, 8000 * 6, 8000, 1);
    const uint64_t sum = fileChecksum(source);

    // Results printed into a full device are not reported as success.
    const CommandResult info =
        runCommand("{ " + cliProgram() + " info " + shellQuote(source) + " >/dev/full; }");
    EXPECT_NE(info.exitCode, 0);
    EXPECT_NE(info.output.find("brisklet-cli: cannot write the results"), std::string::npos)
        << info.output;

    SmallMount mount(64 * 1024);
    REQUIRE_MOUNT(mount);
    for (const std::string& command :
         {std::string("split --mode time --seconds 2"), std::string("join --output joined")}) {
        SCOPED_TRACE(command);
        const CommandResult run = runCommand(cliProgram() + " " + command + " --format wav --out " +
                                             shellQuote(mount.path()) + " " + shellQuote(source));
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find("brisklet-cli: "), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(mount.path()), std::string::npos) << run.output;
        for (const std::string& name : folderNames(mount.path()))
            EXPECT_EQ(name.find("brisklet-tmp"), std::string::npos) << "left " << name;
    }
    EXPECT_EQ(fileChecksum(source), sum);
}
