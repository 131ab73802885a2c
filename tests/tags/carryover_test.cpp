// Seeding a source's tag record and carrying it into outputs of each format.
#include "tags/id3.h"
#include "tags/ogg.h"
#include "tags/tagcarryover.h"
#include "tags/tagerror.h"
#include "tags/wmatag.h"
#include "tagtestfiles.h"

#include <gtest/gtest.h>

using namespace brisklet::tags;
using namespace brisklet::test;

TEST(TagCarryOver, SeedingByFormat)
{
    TempDir dir;
    const std::string mp3 = makeEncodedTone(dir, "a.MP3");
    ID3StructV2 id3;
    id3.Title = " Who: are? <you> ";
    id3.Artist = "Artist";
    id3.Album = "Album";
    id3.Year = "1999";
    id3.Comment = "Comment";
    id3.Genre = "Genre";
    WriteID3v2(mp3, id3);
    EXPECT_EQ(seedTagRecord(mp3),
              (AudioFileinfo{"Who are you", "Artist", "1999", "Album", "Comment", "Genre"}));

    const std::string ogg = makeEncodedTone(dir, "b.ogg");
    OGGTag vorbis;
    vorbis.Title = "a/b\\c";
    vorbis.Date = "1999";
    vorbis.Genre = "東京";
    WriteOggComments(ogg, vorbis);
    EXPECT_EQ(seedTagRecord(ogg), (AudioFileinfo{"abc", "", "1999", "", "", "東京"}));

    const std::string wma = makeEncodedTone(dir, "c.wma");
    WMATagStruct asf;
    asf.Title = " a:b ";
    asf.Year = "1999";
    asf.Artist = "Artist";
    WriteWmaTag(wma, asf);
    EXPECT_EQ(seedTagRecord(wma), (AudioFileinfo{" a:b ", "Artist", "1999", "", "", ""}));

    writeToneWav(dir.file("d.wav"), 100, 8000, 1);
    EXPECT_EQ(seedTagRecord(dir.file("d.wav")), AudioFileinfo{});

    writeFileBytes(dir.file("bad.ogg"), "not ogg");
    EXPECT_THROW(seedTagRecord(dir.file("bad.ogg")), TagError);
}

TEST(TagCarryOver, OutputsGetTheirFieldsButNeverTheComment)
{
    TempDir dir;
    const AudioFileinfo record{"Title é", "Artist", "2001", "Album", "never carried", "Genre", ""};

    const std::string mp3 = makeEncodedTone(dir, "out.mp3");
    WriteOutputTags(mp3, record);
    EXPECT_EQ(ReadID3v2(mp3), (ID3StructV2{"Title é", "Artist", "Album", "2001", "", "", "Genre"}));
    // empty TRCK and COMM frames, which mutagen reads as absent
    EXPECT_NE(readFileBytes(mp3).find(std::string("TRCK\0\0\0\1\0\0\0TYER", 15)),
              std::string::npos);
    EXPECT_EQ(runMutagen(mp3, "t = id3.ID3(p)\nprint('TRCK' in t, 'COMM::eng' in t, t['TIT2'])"),
              "False False Title é");

    const std::string ogg = makeEncodedTone(dir, "out.ogg");
    WriteOutputTags(ogg, record);
    EXPECT_EQ(vorbisCommentList(ogg),
              "Title=Title é\nArtist=Artist\nAlbum=Album\nDate=2001\nGenre=Genre");

    const std::string wma = makeEncodedTone(dir, "out.wma");
    WMATagStruct old;
    old.Comment = "old comment";
    old.Track = 9;
    WriteWmaTag(wma, old);
    WriteOutputTags(wma, record);
    WMATagStruct read;
    ReadWmaTag(wma, read);
    EXPECT_EQ(read.Title, "Title é");
    EXPECT_EQ(read.Year, "2001");
    EXPECT_EQ(read.Comment, "");
    EXPECT_EQ(read.Track, 0);

    const std::string wav = dir.file("out.wav");
    writeToneWav(wav, 100, 8000, 1);
    const FileState before = fileState(wav);
    WriteOutputTags(wav, record);
    EXPECT_EQ(fileState(wav), before);
}
