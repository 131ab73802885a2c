// Ogg Vorbis comments: the comment rules, the rewrite checked by vorbiscomment,
// ogginfo and a decode, and refusals of damaged, chained and multiplexed files.
#include "tags/ogg.h"
#include "tags/tagcarryover.h"
#include "tags/tagerror.h"
#include "tags/vorbiscommenteditor.h"
#include "tagtestfiles.h"

#include <fstream>
#include <gtest/gtest.h>
#include <ogg/ogg.h>

using namespace brisklet::tags;
using namespace brisklet::test;

namespace {

struct Page {
    int serial;
    int64_t granule;
    long sequence;
    std::string body;
};

std::vector<Page> pagesOf(const std::string& path)
{
    const std::string bytes = readFileBytes(path);
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), buffer);
    ogg_sync_wrote(&sync, static_cast<long>(bytes.size()));
    std::vector<Page> pages;
    ogg_page page;
    while (ogg_sync_pageout(&sync, &page) == 1)
        pages.push_back({ogg_page_serialno(&page), ogg_page_granulepos(&page),
                         ogg_page_pageno(&page),
                         std::string(reinterpret_cast<char*>(page.body), size_t(page.body_len))});
    ogg_sync_clear(&sync);
    return pages;
}

// Sets the checksum of the page that starts at `start` again, after a test
// changed its bytes (libogg drops pages whose checksum does not fit).
void setPageChecksum(std::string& bytes, size_t start)
{
    const size_t segments = static_cast<unsigned char>(bytes[start + 26]);
    size_t length = 27 + segments;
    for (size_t i = 0; i < segments; ++i)
        length += static_cast<unsigned char>(bytes[start + 27 + i]);
    bytes.replace(start + 22, 4, 4, '\0');
    uint32_t crc = 0;
    for (size_t i = start; i < start + length; ++i) {
        crc ^= uint32_t(static_cast<unsigned char>(bytes[i])) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    for (size_t i = 0; i < 4; ++i)
        bytes[start + 22 + i] = static_cast<char>(crc >> (8 * i));
}

// The pages that carry audio: those with a granule position past the headers'.
std::vector<Page> audioPages(const std::string& path)
{
    std::vector<Page> pages = pagesOf(path);
    std::erase_if(pages, [](const Page& p) { return p.granule == 0; });
    return pages;
}

std::string messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const TagError& error) {
        return error.what();
    }
    return "no error";
}

std::string nonAscii()
{
    return "Café Ünïcode — 東京";
}

} // namespace

TEST(OggComments, NameAndValueRules)
{
    const OGGTag tag =
        oggTagFromComments({"TITLE=x", "title =ignored",
                            "art\x7E"
                            "ist=no",
                            "ALBUM", "=Genre", "ARTIST=first", "ArTiSt=second", "genre=  spaced\t",
                            "DATE=1999", "tracknumber=7", "Comment=a=b", "extra=kept out"});
    EXPECT_EQ(tag.Title, "x");
    EXPECT_EQ(tag.Artist, "second");
    EXPECT_EQ(tag.Album, "");
    EXPECT_EQ(tag.Genre, "spaced");
    EXPECT_EQ(tag.Date, "1999");
    EXPECT_EQ(tag.TrackNumber, "7");
    EXPECT_EQ(tag.Comment, "a=b");
    EXPECT_EQ(oggTagFromComments({std::string("title\x01=x"), "TITLE=\xFFok"}).Title,
              "\xEF\xBF\xBDok");
}

TEST(OggComments, WriteOrderAndEmptyFields)
{
    OGGTag tag;
    tag.Genre = "Rock";
    tag.Title = "Song";
    EXPECT_EQ(commentsFromOggTag(tag), (std::vector<std::string>{"Title=Song", "Genre=Rock"}));
    tag.Comment = "c";
    tag.TrackNumber = "3";
    tag.Date = "2000";
    tag.Album = "A";
    tag.Artist = "B";
    EXPECT_EQ(commentsFromOggTag(tag),
              (std::vector<std::string>{"Title=Song", "Artist=B", "Album=A", "TrackNumber=3",
                                        "Date=2000", "Genre=Rock", "Comment=c"}));
}

TEST(OggFile, RewriteReplacesOnlyTheComments)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "song.ogg", 2.0);
    const std::vector<Page> before = audioPages(path);
    const DecodedAudio decodedBefore = decodeWithFfmpeg(path);
    ASSERT_GE(before.size(), 2u);

    OGGTag tag;
    tag.Title = nonAscii();
    tag.Artist = "Artist";
    tag.Album = "Album";
    tag.Date = "2024";
    tag.Genre = "Rock";
    ASSERT_TRUE(WriteOggComments(path, tag));

    EXPECT_EQ(vorbisCommentList(path),
              "Title=" + nonAscii() + "\nArtist=Artist\nAlbum=Album\nDate=2024\nGenre=Rock");
    const CommandResult check = runCommand("ogginfo " + shellQuote(path));
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_EQ(check.output.find("WARNING"), std::string::npos) << check.output;

    const std::vector<Page> after = audioPages(path);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].serial, before[i].serial);
        EXPECT_EQ(after[i].granule, before[i].granule);
        EXPECT_EQ(after[i].sequence, before[i].sequence);
        EXPECT_EQ(after[i].body, before[i].body);
    }
    EXPECT_EQ(decodeWithFfmpeg(path).samples, decodedBefore.samples);

    OGGTag read;
    ReadOggComments(path, read);
    EXPECT_EQ(read, tag);
    EXPECT_EQ((std::vector<std::string>{"song.ogg"}), [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        return names;
    }());
}

TEST(OggFile, OnlyTheGivenFieldsRemain)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "two.ogg");
    ASSERT_EQ(
        runCommand("vorbiscomment -w -t ARTIST=old -t COMMENT=old " + shellQuote(path)).exitCode,
        0);
    OGGTag tag;
    tag.Title = "T";
    tag.Genre = "G";
    // A file that happens to have the temporary file's name is the user's: it stays.
    writeFileBytes(dir.file("two.temp"), "notes");
    WriteOggComments(path, tag);
    EXPECT_EQ(vorbisCommentList(path), "Title=T\nGenre=G");
    EXPECT_EQ(readFileBytes(dir.file("two.temp")), "notes");
}

TEST(OggFile, LargeCommentAddsHeaderPagesAndRenumbers)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "big.ogg");
    const size_t pagesBefore = pagesOf(path).size();
    OGGTag tag;
    tag.Comment = std::string(70000, 'c');
    WriteOggComments(path, tag);
    const std::vector<Page> pages = pagesOf(path);
    EXPECT_GT(pages.size(), pagesBefore);
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(pages[i].sequence, long(i));
    EXPECT_EQ(runCommand("ogginfo " + shellQuote(path)).exitCode, 0);
    OGGTag read;
    ReadOggComments(path, read);
    EXPECT_EQ(read.Comment.size(), 70000u);
    // and back to small: the header pages shrink again
    WriteOggComments(path, {});
    EXPECT_EQ(pagesOf(path).size(), pagesBefore);
    EXPECT_EQ(runCommand("ogginfo " + shellQuote(path)).exitCode, 0);
}

TEST(OggFile, PermissionsSurviveAndReadsChangeNothing)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "ro.ogg");
    makeReadOnly(path);
    const FileState before = fileState(path);
    OGGTag read;
    ReadOggComments(path, read);
    EXPECT_EQ(fileState(path), before);
    OGGTag tag;
    tag.Title = "still read-only";
    EXPECT_TRUE(WriteOggComments(path, tag));
    EXPECT_EQ(fileState(path).permissions, before.permissions);
    ReadOggComments(path, read);
    EXPECT_EQ(read.Title, "still read-only");
}

TEST(OggFile, UnreadableFilesGiveTheMessages)
{
    TempDir dir;
    const std::string missing = dir.file("missing.ogg");
    EXPECT_EQ(messageOf([&] {
                  OGGTag t;
                  ReadOggComments(missing, t);
              }).rfind("Cannot open " + missing + ": ", 0),
              0u);

    const std::string text = dir.file("text.ogg");
    writeFileBytes(text, std::string(5000, 'x'));
    OGGTag untouched;
    untouched.Title = "kept";
    EXPECT_EQ(messageOf([&] { ReadOggComments(text, untouched); }),
              "Cannot open " + text + ": not an Ogg file");
    EXPECT_EQ(untouched.Title, "kept");
    EXPECT_EQ(messageOf([&] { WriteOggComments(text, {}); }),
              "Cannot open " + text + ": not an Ogg file");
    EXPECT_EQ(readFileBytes(text), std::string(5000, 'x'));

    // cut inside the header pages
    const std::string good = readFileBytes(makeEncodedTone(dir, "good.ogg"));
    const std::string cut = dir.file("cut.ogg");
    writeFileBytes(cut, good.substr(0, 200));
    EXPECT_NE(messageOf([&] {
                  OGGTag t;
                  ReadOggComments(cut, t);
              }).find("Cannot open " + cut + ": "),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("cut.temp")));
    EXPECT_NE(messageOf([&] { WriteOggComments(cut, {}); }), "no error");
    EXPECT_FALSE(std::filesystem::exists(dir.file("cut.temp")));
}

TEST(OggFile, DamagedCommentPackets)
{
    const std::string valid = "\x03vorbis" + std::string("\x02\0\0\0", 4) + "ve" +
                              std::string("\x01\0\0\0", 4) + std::string("\x03\0\0\0", 4) + "a=b";
    EXPECT_EQ(parseCommentPacket(valid), std::vector<std::string>{"a=b"});
    for (size_t length = 0; length < valid.size(); ++length)
        EXPECT_THROW(parseCommentPacket(valid.substr(0, length)), OggFormatError) << length;
    std::string hugeLength = valid;
    hugeLength[19] = '\xFF'; // comment length beyond the packet
    EXPECT_THROW(parseCommentPacket(hugeLength), OggFormatError);
    std::string hugeCount = valid;
    hugeCount.replace(13, 4, "\xFF\xFF\xFF\x7F");
    EXPECT_THROW(parseCommentPacket(hugeCount), OggFormatError);

    // the same in a file: a comment length patched past its packet
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "bad.ogg");
    std::string bytes = readFileBytes(path);
    const size_t comment = bytes.find("\x03vorbis");
    ASSERT_NE(comment, std::string::npos);
    const size_t vendorLength = static_cast<unsigned char>(bytes[comment + 7]);
    const size_t firstLength = comment + 11 + vendorLength + 4;
    bytes.replace(firstLength, 4, "\xF0\xFF\xFF\x0F");
    // the page checksum no longer fits: without a fresh one libogg drops the page
    writeFileBytes(path, bytes);
    EXPECT_NE(messageOf([&] {
                  OGGTag t;
                  ReadOggComments(path, t);
              }),
              "no error");
    setPageChecksum(bytes, bytes.rfind("OggS", comment));
    writeFileBytes(path, bytes);
    OGGTag tag;
    EXPECT_EQ(messageOf([&] { ReadOggComments(path, tag); }),
              "Cannot open " + path + ": the comment header is damaged");
}

TEST(OggFile, ChainedAndMultiplexedStreamsAreRefused)
{
    TempDir dir;
    const std::string one = makeEncodedTone(dir, "one.ogg");
    const std::string chained = dir.file("chained.ogg");
    writeFileBytes(chained, readFileBytes(one) + readFileBytes(makeEncodedTone(dir, "two.ogg")));
    const std::string before = readFileBytes(chained);
    EXPECT_EQ(messageOf([&] { WriteOggComments(chained, {}); }),
              "Cannot write comments: chained or multiplexed Ogg streams are not supported");
    EXPECT_EQ(readFileBytes(chained), before);
    EXPECT_FALSE(std::filesystem::exists(dir.file("chained.temp")));

    const std::string multiplexed = dir.file("multi.ogg");
    ASSERT_EQ(
        runCommand("ffmpeg -v error -y -f lavfi -i sine=d=1 -f lavfi -i sine=d=1:f=880 -map 0 "
                   "-map 1 -c:a libvorbis " +
                   shellQuote(multiplexed))
            .exitCode,
        0);
    const std::string multiplexedBefore = readFileBytes(multiplexed);
    EXPECT_EQ(messageOf([&] { WriteOggComments(multiplexed, {}); }),
              "Cannot write comments: multiplexed Ogg streams are not supported");
    EXPECT_EQ(readFileBytes(multiplexed), multiplexedBefore);
}

TEST(OggFile, TheVorbisStreamBesideAVideoStreamGivesTheComments)
{
    TempDir dir;
    const std::string path = dir.file("video.ogg");
    ASSERT_EQ(runCommand("ffmpeg -v error -y -f lavfi -i color=s=32x32:d=1 -f lavfi -i sine=d=1 "
                         "-map 0 -map 1 -c:v libtheora -c:a libvorbis -metadata:s:a "
                         "title=Beside " +
                         shellQuote(path))
                  .exitCode,
              0);
    OGGTag tag;
    ReadOggComments(path, tag);
    EXPECT_EQ(tag.Title, "Beside");
    EXPECT_EQ(seedTagRecord(path).Title, "Beside");
}
