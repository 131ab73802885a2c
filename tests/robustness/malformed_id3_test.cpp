// Damaged ID3 tags in front of (or behind) real MP3 audio: the tag reads as
// empty or up to the damage, the file is still added or refused with its
// name, nothing hangs or grows, and the file is never changed.
#include "robustness.h"
#include "tags/id3.h"
#include "tagtestfiles.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace brisklet;
using namespace brisklet::test;

namespace {

std::string synchsafe(uint32_t size)
{
    std::string out(4, '\0');
    for (int i = 3; i >= 0; --i, size >>= 7)
        out[size_t(i)] = static_cast<char>(size & 0x7F);
    return out;
}

std::string frame(const std::string& id, const std::string& data, uint32_t size)
{
    std::string header = id + std::string(6, '\0');
    putBig(header, 4, size, 4);
    return header + data;
}

std::string tag(int version, int flags, const std::string& body)
{
    return std::string("ID3") + char(version) + '\0' + char(flags) +
           synchsafe(uint32_t(body.size())) + body;
}

struct Case {
    const char* name;
    std::string bytes;
};

class MalformedId3 : public ::testing::Test {
protected:
    TempDir dir;
    std::string audio; // MP3 frames without any tag

    void SetUp() override
    {
        const std::string encoded = readFileBytes(makeEncodedTone(dir, "tone.mp3", 0.5));
        audio = encoded.substr(tags::leadingID3v2Length(encoded, encoded.size()));
    }

    // Reads the tag and adds the file; returns the fields read.
    tags::ID3StructV2 check(const Case& c)
    {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(std::string(c.name) + ".mp3");
        writeFileBytes(path, c.bytes);
        tags::ID3StructV2 read;
        expectHarmless({path}, [&] {
            read = tags::ReadID3v2(path);
            tags::ReadID3v1(path);
            addAndRead(path);
        });
        return read;
    }
};

} // namespace

TEST_F(MalformedId3, DamagedSizesAndFramesNeverReachBeyondTheTag)
{
    const std::string title = frame("TIT2", std::string("\0Title", 6), 6);
    const std::string good = tag(3, 0, title + std::string(20, '\0'));
    const std::vector<Case> cases = {
        {"cut_at_5", good.substr(0, 5)},
        {"cut_at_50", (good + audio).substr(0, 50)},
        {"size_7f7f7f7f_in_10_bytes", std::string("ID3\x03\0\0\x7F\x7F\x7F\x7F", 10)},
        {"size_high_bits", std::string("ID3\x03\0\0\x80\x81\x82\x83", 10) + title + audio},
        {"frame_larger_than_tag", tag(3, 0, frame("TIT2", std::string("\0Ti", 3), 400)) + audio},
        {"zero_size_frames",
         tag(3, 0, frame("TPE1", "", 0) + frame("TALB", "", 0) + title) + audio},
        {"frame_size_ffffffff",
         tag(3, 0, frame("TIT2", std::string("\0Ti", 3), 0xFFFFFFFF)) + audio},
        {"v24_plain_sizes",
         tag(4, 0, frame("TIT2", std::string("\0") + std::string(200, 'x'), 0xC9)) + audio},
        {"encoding_05", tag(3, 0, frame("TIT2", std::string("\x05Title", 6), 6)) + audio},
        {"odd_utf16", tag(3, 0, frame("TIT2", std::string("\x01\xFF\xFET\0i\0t", 8), 8)) + audio},
        {"two_tags", good + tag(3, 0, frame("TIT2", std::string("\0Second", 7), 7)) + audio},
        {"extended_header_huge", tag(3, 0x40, std::string("\x7F\xFF\xFF\xFF", 4) + title) + audio},
        {"version_ff", std::string("ID3\xFF\0\0\0\0\0\x10", 10) + std::string(16, 'x') + audio},
        {"only_a_header", tag(4, 0x10, "")},
    };
    for (const Case& c : cases) {
        const tags::ID3StructV2 read = check(c);
        EXPECT_LE(read.Title.size(), 250u) << c.name;
    }
}

TEST_F(MalformedId3, DamageLeavesTheFieldsBeforeIt)
{
    const std::string title = frame("TIT2", std::string("\0Kept", 5), 5);
    EXPECT_EQ(check({"frame_beyond", tag(3, 0, title + frame("TPE1", "\0A", 300)) + audio}).Title,
              "Kept");
    EXPECT_EQ(
        check({"two_in_a_row",
               tag(3, 0, title) + tag(3, 0, frame("TIT2", std::string("\0No", 3), 3)) + audio})
            .Title,
        "Kept");
    // Unsynchronisation of the whole tag: FF 00 in the text becomes FF.
    const std::string unsync = frame("TIT2", std::string("\0\xFF\x00\xE9t\xE9", 6), 5);
    EXPECT_EQ(check({"unsynchronised", tag(3, 0x80, unsync) + audio}).Title,
              "\xC3\xBF\xC3\xA9t\xC3\xA9");
}

TEST_F(MalformedId3, DamagedVersion1Blocks)
{
    std::string block = "TAG" + std::string(30, 'T') + std::string(94, '\0');
    block.push_back('\xFF'); // genre FF: no genre
    const tags::ID3StructV2 ignored = check({"genre_ff", audio + block});
    (void)ignored;
    const std::string path = dir.file("genre_ff.mp3");
    EXPECT_EQ(tags::ReadID3v1(path).Genre, 0xFF);
    EXPECT_EQ(tags::ReadID3v1(path).Title, std::string(30, 'T'));

    check({"only_127_bytes", block.substr(1)});
    EXPECT_EQ(tags::ReadID3v1(dir.file("only_127_bytes.mp3")).Title, "");
    check({"only_the_block", block});
    EXPECT_EQ(tags::ReadID3v1(dir.file("only_the_block.mp3")).Title, std::string(30, 'T'));
}

TEST_F(MalformedId3, ATextStartingWithAByteOrderMarkCharacterSurvivesARewrite)
{
    // After the real byte order mark, U+FEFF and U+FFFE are characters of the
    // text: neither may be dropped nor turn the bytes after it around.
    for (const std::string& first : {std::string("\xFF\xFE", 2), std::string("\xFE\xFF", 2)}) {
        const std::string text = "\x01\xFF\xFE" + first + std::string("A\0", 2);
        const tags::ID3StructV2 read =
            check({"bom_character", tag(3, 0, frame("TIT2", text, uint32_t(text.size()))) + audio});
        EXPECT_EQ(read.Title.size(), 4u) << read.Title;
        EXPECT_EQ(read.Title.back(), 'A');
        EXPECT_EQ(tags::parseID3v2(tags::renderID3v2(read)), read);
    }
}

TEST_F(MalformedId3, AHugePictureIsPassedOverUnread)
{
    // 80 MB of picture, left as a hole in the file: nothing needs it in memory.
    const uint32_t pictureBytes = 80 << 20;
    const std::string title = frame("TIT2", std::string("\0Big", 4), 4);
    const std::string picture = frame("APIC", "", pictureBytes);
    const std::string after = frame("TPE1", std::string("\0Artist", 7), 7);
    const std::string header =
        tag(3, 0, std::string(title.size() + picture.size() + pictureBytes + after.size(), '\0'))
            .substr(0, 10);
    const std::string path = dir.file("picture.mp3");
    {
        std::ofstream out(path, std::ios::binary);
        out << header << title << picture;
        out.seekp(pictureBytes, std::ios::cur);
        out << after << audio;
    }
    tags::ID3StructV2 read;
    expectHarmless({}, [&] {
        read = tags::ReadID3v2(path);
        addAndRead(path);
    });
    EXPECT_EQ(read.Title, "Big");
    EXPECT_EQ(read.Artist, "Artist");
}
