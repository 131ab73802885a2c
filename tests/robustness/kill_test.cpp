// A process killed (SIGKILL) in the middle of a tag rewrite or a settings
// write: the file is afterwards the old version or the new one, never a mix,
// and a temporary file left behind is recognisable by its name.
#include "robustness.h"

#include "base/output_file.h"
#include "settings/profilefile.h"
#include "tags/id3.h"
#include "tags/ogg.h"
#include "tags/wmatag.h"
#include "tagtestfiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace brisklet;
using namespace brisklet::test;

namespace {

// Runs `rewrite(n)` for n = 0, 1, 2, ... in a child process and kills it after
// each of `delays`; `check` then looks at the files the child left.
void killDuring(const std::function<void(int n)>& rewrite, const std::function<void()>& check)
{
    // Kills early in a write, in the middle of it and around the rename.
    for (int micros : {0, 300, 1000, 2500, 5000, 9000, 15000, 30000}) {
        SCOPED_TRACE("killed after " + std::to_string(micros) + " us");
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (int n = 0;; ++n)
                    rewrite(n);
            } catch (...) {
            }
            _exit(3); // never back into the test runner
        }
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the rewriting child ended by itself";
        check();
    }
}

// The folder holds the file and at most a leftover of one of these names.
void expectOnlyRecognisableLeftovers(const std::string& folder, const std::set<std::string>& kept,
                                     const std::function<bool(const std::string&)>& isTemporary)
{
    for (const std::string& name : folderNames(folder)) {
        EXPECT_TRUE(kept.count(name) || isTemporary(name))
            << "an unrecognisable file was left: " << name;
    }
}

} // namespace

TEST(KilledWrites, TagRewritesLeaveTheOldOrTheNewFile)
{
    TempDir dir;
    for (const char* name : {"song.mp3", "song.ogg", "song.wma"}) {
        SCOPED_TRACE(name);
        const std::string path = makeEncodedTone(dir, name, 4.0);
        const std::string extension = std::filesystem::path(name).extension().string();
        // Two versions, alternated by the child: A and B.
        std::vector<std::string> versions;
        auto write = [&](int n) {
            const std::string title = n % 2 ? "Version B" : "Version A";
            if (extension == ".mp3") {
                tags::ID3StructV2 tag;
                tag.Title = title;
                tags::WriteID3v2(path, tag);
            } else if (extension == ".ogg") {
                tags::OGGTag tag;
                tag.Title = title;
                tags::WriteOggComments(path, tag);
            } else {
                tags::WMATagStruct tag;
                tag.Title = title;
                tags::WriteWmaTag(path, tag);
            }
        };
        write(0);
        versions.push_back(readFileBytes(path));
        write(1);
        versions.push_back(readFileBytes(path));
        const std::string temporary =
            std::filesystem::path(base::temporaryPrefixFor(path)).filename();
        killDuring(write, [&] {
            const std::string now = readFileBytes(path);
            EXPECT_TRUE(now == versions[0] || now == versions[1])
                << "the file is neither version (" << now.size() << " bytes)";
            expectOnlyRecognisableLeftovers(
                dir.path(), {"song.mp3", "song.ogg", "song.wma"},
                [&](const std::string& n) { return n.rfind(temporary, 0) == 0; });
        });
        // A leftover is no obstacle to the next rewrite, which leaves none of its own.
        auto leftovers = [&] {
            std::vector<std::filesystem::path> found;
            for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
                if (entry.path().filename().string().rfind(temporary, 0) == 0)
                    found.push_back(entry.path());
            }
            return found;
        };
        const size_t before = leftovers().size();
        write(0);
        EXPECT_EQ(readFileBytes(path), versions[0]);
        EXPECT_EQ(leftovers().size(), before);
        for (const auto& leftover : leftovers())
            std::filesystem::remove(leftover);
    }
}

TEST(KilledWrites, SettingsWritesLeaveTheOldOrTheNewFile)
{
    TempDir dir;
    const std::string path = dir.file("Brisklet.ini");
    std::string start = "; kept\n[Output]\nDir=/music/\n";
    for (int i = 0; i < 2000; ++i) // large enough that a write takes a while
        start += "[Section" + std::to_string(i) + "]\nKey=" + std::string(40, 'v') + "\n";
    writeFileBytes(path, start);
    settings::ProfileFile file(path);
    auto write = [&](int n) { file.writeText("Output", "Dir", n % 2 ? "/b/" : "/a/"); };
    write(0);
    const std::string versionA = readFileBytes(path);
    write(1);
    const std::string versionB = readFileBytes(path);
    const std::string prefix = std::string("Brisklet.ini") + settings::ProfileFile::tempSuffix;
    killDuring(write, [&] {
        const std::string now = readFileBytes(path);
        EXPECT_TRUE(now == versionA || now == versionB)
            << "the settings file is neither version (" << now.size() << " bytes)";
        expectOnlyRecognisableLeftovers(dir.path(), {"Brisklet.ini"}, [&](const std::string& n) {
            return n.size() == prefix.size() + 6 && n.compare(0, prefix.size(), prefix) == 0;
        });
    });
    write(0);
    EXPECT_EQ(readFileBytes(path), versionA);
}
