// WMA attributes over TagLib: round trips checked by ffprobe, slot widths,
// the track number rule, read-only outputs and damaged files.
#include "tags/wmatag.h"
#include "tags/wmaudioinfo.h"
#include "tagtestfiles.h"

#include <gtest/gtest.h>

using namespace brisklet::tags;
using namespace brisklet::test;

namespace {
WMATagStruct sampleTag()
{
    WMATagStruct tag;
    tag.Title = "Café Ünïcode — 東京";
    tag.Artist = "Ärtist";
    tag.Album = "Album";
    tag.Year = "2024";
    tag.Comment = "note";
    tag.Genre = "Rock";
    tag.Track = 5;
    return tag;
}
} // namespace

TEST(WmaTag, RoundTripReadByFfprobe)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "song.wma");
    const DecodedAudio before = decodeWithFfmpeg(path);
    ASSERT_TRUE(WriteWmaTag(path, sampleTag()));

    WMATagStruct read;
    ASSERT_TRUE(ReadWmaTag(path, read));
    WMATagStruct expected = sampleTag();
    expected.Found = -1;
    EXPECT_EQ(read, expected);

    EXPECT_EQ(ffprobeValue(path, "TAG:title"), "Café Ünïcode — 東京");
    EXPECT_EQ(ffprobeValue(path, "TAG:artist"), "Ärtist");
    EXPECT_EQ(ffprobeValue(path, "TAG:album"), "Album");
    EXPECT_EQ(ffprobeValue(path, "TAG:genre"), "Rock");
    EXPECT_EQ(ffprobeValue(path, "TAG:comment"), "note");
    EXPECT_EQ(ffprobeValue(path, "TAG:track"), "5");
    EXPECT_EQ(decodeWithFfmpeg(path).samples, before.samples);
    EXPECT_FALSE(std::filesystem::exists(dir.file("song.temp")));
}

TEST(WmaTag, TrackNumberFallsBackToTrack)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "track.wma");
    {
        WMAudioInfo info(path);
        info.setNumber("WM/TrackNumber", 0);
        info.setNumber("WM/Track", 4);
        ASSERT_TRUE(info.save());
    }
    WMATagStruct read;
    ReadWmaTag(path, read);
    EXPECT_EQ(read.Track, 4);
    {
        WMAudioInfo info(path); // a text track number is not a number
        info.setText("WM/TrackNumber", "9");
        info.setNumber("WM/Track", 70000);
        ASSERT_TRUE(info.save());
    }
    ReadWmaTag(path, read);
    EXPECT_EQ(read.Track, 70000 & 0xFFFF);
}

TEST(WmaTag, SlotWidths)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "widths.wma");
    {
        WMAudioInfo info(path);
        info.setText("Description", std::string(300, 'd')); // beyond the 256-byte buffer
        info.setText("WM/AlbumTitle", std::string(127, 'a'));
        info.setNumber("WM/Year", 1999); // a number where text belongs
        ASSERT_TRUE(info.save());
    }
    WMATagStruct read;
    ReadWmaTag(path, read);
    EXPECT_EQ(read.Comment, "");
    EXPECT_EQ(read.Album, std::string(127, 'a'));
    EXPECT_EQ(read.Year, "");

    WMATagStruct tag;
    tag.Genre = std::string(40, 'g');
    tag.Title = std::string(121, 'x') + "éééé"; // 129 bytes; the last é straddles byte 128
    WriteWmaTag(path, tag);
    ReadWmaTag(path, read);
    EXPECT_EQ(read.Genre, std::string(32, 'g'));
    EXPECT_EQ(read.Title, std::string(121, 'x') + "ééé");
    EXPECT_EQ(read.Comment, "");
    EXPECT_EQ(read.Track, 0);
}

TEST(WmaTag, ReadOnlyOutputsAndReadsChangeNothing)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "ro.wma");
    makeReadOnly(path);
    const FileState before = fileState(path);
    WMATagStruct read;
    ReadWmaTag(path, read);
    EXPECT_EQ(fileState(path), before);
    EXPECT_TRUE(WriteWmaTag(path, sampleTag()));
    EXPECT_EQ(fileState(path).permissions, before.permissions);
    ReadWmaTag(path, read);
    EXPECT_EQ(read.Title, sampleTag().Title);
}

TEST(WmaTag, FilesThatAreNotWma)
{
    TempDir dir;
    const std::string path = dir.file("text.wma");
    writeFileBytes(path, std::string(3000, 'x'));
    WMATagStruct tag = sampleTag();
    EXPECT_FALSE(ReadWmaTag(path, tag));
    EXPECT_EQ(tag, sampleTag());
    EXPECT_FALSE(WriteWmaTag(path, tag));
    EXPECT_EQ(readFileBytes(path), std::string(3000, 'x'));
    EXPECT_FALSE(ReadWmaTag(dir.file("missing.wma"), tag));
}

TEST(WmaTag, HugeAttributeLengthsStayInsideTheFile)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "huge.wma");
    ASSERT_TRUE(WriteWmaTag(path, sampleTag()));
    const std::string good = readFileBytes(path);
    // Every 16- and 32-bit length field is a candidate: patch each byte of the
    // header objects near the attribute names to 0xFF in turn.
    const size_t genre = good.find(std::string("W\0M\0/\0G\0e\0n\0r\0e", 16));
    ASSERT_NE(genre, std::string::npos);
    for (size_t i = genre - 40; i < genre + 60; ++i) {
        std::string damaged = good;
        damaged[i] = '\xFF';
        writeFileBytes(path, damaged);
        WMATagStruct read;
        if (ReadWmaTag(path, read)) { // must not crash or hang; what it gives fits the slots
            EXPECT_LE(read.Title.size(), WMATagStruct::TitleWidth);
            EXPECT_LE(read.Genre.size(), WMATagStruct::GenreWidth);
            EXPECT_LE(read.Comment.size(), WMATagStruct::CommentWidth);
        }
    }
    std::string truncated = good.substr(0, genre + 10);
    writeFileBytes(path, truncated);
    WMATagStruct read;
    ReadWmaTag(path, read);
}
