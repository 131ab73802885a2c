// Damaged Ogg Vorbis files: the comments read as far as they are whole or the
// file is refused with its name; the comment rewrite refuses what it cannot
// copy faithfully and then leaves the file as it was.
#include "robustness.h"

#include "audio/audioerror.h"
#include "audio/audiofile.h"
#include "audio/ogg_slim.h"
#include "tags/ogg.h"
#include "tags/tagerror.h"
#include "tags/xiphtags.h"
#include "tagtestfiles.h"

#include <gtest/gtest.h>
#include <ogg/ogg.h>

using namespace brisklet;
using namespace brisklet::test;

namespace {

class MalformedOgg : public ::testing::Test {
protected:
    TempDir dir;
    std::string file;
    std::vector<OggPage> pages;
    size_t commentStart = 0; // offset of the comment packet (its type byte)
    size_t firstAudio = 0;   // index of the first page with a granule position

    void SetUp() override
    {
        file = readFileBytes(makeEncodedTone(dir, "tone.ogg", 0.5));
        pages = oggPages(file);
        ASSERT_GE(pages.size(), 3u);
        commentStart = pages[1].offset + pages[1].headerLength;
        ASSERT_EQ(file.compare(commentStart, 7, "\x03vorbis"), 0);
        while (firstAudio < pages.size() && getLittle(file, pages[firstAudio].offset + 6, 8) == 0)
            ++firstAudio;
        ASSERT_LT(firstAudio, pages.size());
    }

    size_t vendorLength() const { return getLittle(file, commentStart + 7, 4); }
    // Offset of the comment count.
    size_t countAt() const { return commentStart + 11 + vendorLength(); }

    // A copy with a 32-bit number of the comment packet replaced.
    std::string withNumber(size_t offset, uint32_t value, bool fixChecksum = true) const
    {
        std::string bytes = file;
        putLittle(bytes, offset, value, 4);
        if (fixChecksum)
            fixOggChecksum(bytes, pages[1]);
        return bytes;
    }

    // Reads the comments, adds the file and tries a rewrite of a copy.
    // Returns whether the comments could be read.
    bool check(const std::string& name, const std::string& bytes)
    {
        SCOPED_TRACE(name);
        const std::string path = dir.file(name + ".ogg");
        writeFileBytes(path, bytes);
        bool readable = false;
        expectHarmless({path}, [&] {
            tags::OGGTag tag;
            try {
                tags::ReadOggComments(path, tag);
                readable = true;
            } catch (const tags::TagError& error) {
                EXPECT_EQ(std::string(error.what()).rfind("Cannot open " + path + ": ", 0), 0u)
                    << error.what();
            }
            addAndRead(path);
        });
        const std::string copy = dir.file(name + "-copy.ogg");
        writeFileBytes(copy, bytes);
        tags::OGGTag title;
        title.Title = "New";
        try {
            if (tags::WriteOggComments(copy, title)) {
                tags::OGGTag reread;
                tags::ReadOggComments(copy, reread);
                EXPECT_EQ(reread.Title, "New");
            }
        } catch (const tags::TagError&) {
            EXPECT_EQ(readFileBytes(copy), bytes) << "a refused rewrite changed the file";
        }
        EXPECT_FALSE(std::filesystem::exists(dir.file(name + "-copy.temp")));
        return readable;
    }
};

} // namespace

TEST_F(MalformedOgg, DamagedCommentPacketsAreRefused)
{
    EXPECT_FALSE(check("vendor_ffffffff", withNumber(commentStart + 7, 0xFFFFFFFF)));
    EXPECT_FALSE(check("count_7fffffff", withNumber(countAt(), 0x7FFFFFFF)));
    EXPECT_FALSE(check("comment_longer_than_packet", withNumber(countAt() + 4, 0x00FFFFFF)));
}

TEST_F(MalformedOgg, PagesDamagedAroundTheHeaders)
{
    // No framing bit after the comments: they are whole, so they are read.
    std::string noFraming = file;
    size_t end = countAt() + 4;
    for (uint64_t n = getLittle(file, countAt(), 4); n > 0; --n)
        end += 4 + getLittle(file, end, 4);
    ASSERT_EQ(noFraming[end], '\x01');
    noFraming[end] = '\0';
    fixOggChecksum(noFraming, pages[1]);
    EXPECT_TRUE(check("no_framing_bit", noFraming));

    std::string badCrc = file;
    badCrc[commentStart + 8] ^= 0x55;
    EXPECT_FALSE(check("bad_crc", badCrc));

    // The setup header ends in the middle of a page that goes on with audio.
    const OggPage& last = pages[firstAudio - 1];
    const OggPage& audio = pages[firstAudio];
    const size_t segments = (last.headerLength - 27) + (audio.headerLength - 27);
    if (segments <= 255) {
        std::string merged = file.substr(last.offset, 27);
        merged.replace(6, 8, file.substr(audio.offset + 6, 8)); // the audio page's granule
        merged[26] = static_cast<char>(segments);
        merged += file.substr(last.offset + 27, last.headerLength - 27);
        merged += file.substr(audio.offset + 27, audio.headerLength - 27);
        merged += file.substr(last.offset + last.headerLength, last.bodyLength);
        merged += file.substr(audio.offset + audio.headerLength, audio.bodyLength);
        std::string shared = file.substr(0, last.offset) + merged + file.substr(audio.end());
        fixOggChecksum(shared, oggPages(shared)[firstAudio - 1]);
        EXPECT_TRUE(check("setup_ends_mid_page", shared));
        EXPECT_EQ(readFileBytes(dir.file("setup_ends_mid_page-copy.ogg")), shared);
    }
    EXPECT_FALSE(
        check("cut_in_second_page", file.substr(0, pages[1].offset + pages[1].headerLength + 20)));
    EXPECT_FALSE(check("cut_in_first_page", file.substr(0, 40)));
    EXPECT_FALSE(check("only_the_capture_pattern", "OggS"));
}

TEST_F(MalformedOgg, StreamsTheRewriteMustNotTouch)
{
    // A gap in the page numbers: reading goes on.
    std::string gap = file;
    const OggPage& audioPage = pages.back();
    putLittle(gap, audioPage.offset + 18, getLittle(gap, audioPage.offset + 18, 4) + 5, 4);
    fixOggChecksum(gap, audioPage);
    EXPECT_TRUE(check("page_gap", gap));

    // Chained: a second whole stream behind the first.
    EXPECT_TRUE(check("chained", file + file));
    const std::string chainedCopy = dir.file("chained-copy.ogg");
    EXPECT_EQ(readFileBytes(chainedCopy), file + file) << "a chained stream was rewritten";

    // Multiplexed: the beginning page of another stream beside the first.
    std::string other = file;
    putLittle(other, 14, getLittle(other, 14, 4) ^ 0x1234, 4);
    fixOggChecksum(other, pages[0]);
    const std::string multiplexed = file.substr(0, pages[0].end()) +
                                    other.substr(0, pages[0].end()) + file.substr(pages[0].end());
    check("multiplexed", multiplexed);
    EXPECT_EQ(readFileBytes(dir.file("multiplexed-copy.ogg")), multiplexed)
        << "a multiplexed stream was rewritten";
}

TEST_F(MalformedOgg, ACommentSpanningPagesReadsWhole)
{
    const std::string path = dir.file("long.ogg");
    writeFileBytes(path, file);
    tags::OGGTag tag;
    tag.Comment = std::string(150000, 'c');
    tag.Title = "Long";
    ASSERT_TRUE(tags::WriteOggComments(path, tag));
    ASSERT_GT(oggPages(readFileBytes(path)).size(), pages.size() + 1);
    ASSERT_TRUE(check("long", readFileBytes(path)));
    tags::OGGTag read;
    tags::ReadOggComments(path, read);
    EXPECT_EQ(read, tag);
}

TEST_F(MalformedOgg, AZeroByteEndsAValueSoThatARewriteKeepsIt)
{
    // The first comment (the encoder's) becomes "TITLE=ab", a zero byte and the
    // rest of its old text.
    std::string bytes = file;
    ASSERT_GE(getLittle(file, countAt(), 4), 1u);
    const size_t first = countAt() + 8;
    ASSERT_GE(getLittle(file, countAt() + 4, 4), 9u);
    bytes.replace(first, 9, std::string("TITLE=ab\0", 9));
    fixOggChecksum(bytes, pages[1]);
    ASSERT_TRUE(check("zero_in_value", bytes));
    tags::OGGTag tag;
    tags::ReadOggComments(dir.file("zero_in_value.ogg"), tag);
    EXPECT_EQ(tag.Title, "ab");
    const std::string copy = dir.file("zero_in_value-copy.ogg");
    writeFileBytes(copy, bytes);
    ASSERT_TRUE(tags::WriteOggComments(copy, tag));
    tags::OGGTag reread;
    tags::ReadOggComments(copy, reread);
    EXPECT_EQ(reread, tag);
}

TEST_F(MalformedOgg, AHugeLastGranuleGivesTheDecodedLength)
{
    const std::string path = dir.file("huge.ogg");
    std::string bytes = file;
    putLittle(bytes, pages.back().offset + 6, uint64_t{1} << 62, 8);
    fixOggChecksum(bytes, pages.back());
    writeFileBytes(path, bytes);
    auto reader = audio::createAudioFile();
    reader->OpenRead(path);
    const int64_t total = reader->TotalFrames();
    EXPECT_LT(total, 44100);
    int64_t decoded = 0;
    for (audio::SampleBlock block = reader->ReadFrames(4096); !block.empty();
         block = reader->ReadFrames(4096))
        decoded += block.frameCount();
    EXPECT_EQ(decoded, total);
}

TEST_F(MalformedOgg, ChainedStreamsOfAnotherRateAreRefused)
{
    const std::string other = makeEncodedTone(dir, "other.ogg", 0.5);
    const std::string path = dir.file("chained.ogg");
    runCommand("ffmpeg -v error -y -i " + shellQuote(other) + " -ar 22050 -ac 1 -c:a libvorbis " +
               shellQuote(dir.file("slow.ogg")));
    writeFileBytes(path, file + readFileBytes(dir.file("slow.ogg")));
    auto reader = audio::createAudioFile();
    try {
        reader->OpenRead(path);
        ADD_FAILURE() << "a link at another rate was taken";
    } catch (const audio::AudioError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot read " + path + ": its chained streams differ in sample rate");
    }
}

TEST_F(MalformedOgg, HugeCommentsAreRefusedWithoutGatheringThem)
{
    const std::string path = dir.file("picture.ogg");
    writeFileBytes(path, file);
    tags::OGGTag picture;
    // A picture's worth of comment, just past the 16 MiB the reader takes.
    picture.Comment = std::string((17 << 20), 'p');
    ASSERT_TRUE(tags::WriteOggComments(path, picture));
    expectHarmless({path}, [&] {
        tags::OGGTag tag;
        EXPECT_THROW(tags::ReadOggComments(path, tag), tags::TagError);
    });
}

TEST(TagFailures, AFileThatDecodesIsAddedWhenItsTagsCannotBeRead)
{
    TempDir dir;
    // MP3 and WMA audio under an Ogg name: the Ogg comment reader refuses them.
    for (const char* name : {"t.mp3", "t.wma"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(std::string(name) + ".ogg");
        writeFileBytes(path, readFileBytes(makeEncodedTone(dir, name, 2.0)));
        EXPECT_EQ(addAndRead(path), "");
    }
}

TEST(OggSlim, AHugeCommentIsNeverGatheredAndTheAudioReadsAsBefore)
{
    TempDir dir;
    for (const char* name : {"tone.ogg", "tone.opus"}) {
        SCOPED_TRACE(name);
        const std::string plain = makeEncodedTone(dir, name, 2.0);
        const std::string path = dir.file(std::string("big-") + name);
        writeFileBytes(path, readFileBytes(plain));
        tags::OGGTag tag;
        tag.Comment = std::string(2 << 20, 'c'); // pages and pages of it
        if (std::string(name) == "tone.ogg")
            ASSERT_TRUE(tags::WriteOggComments(path, tag));
        else
            tags::WriteOpusTag(path, tag, {});

        // Read as the decoders read it: the headers in as many pages as the
        // file has, numbered on without a gap, each page whole.
        audio::OggSlimFile slim(path);
        EXPECT_TRUE(slim.slimmed());
        ogg_sync_state sync;
        ogg_sync_init(&sync);
        int64_t pages = 0;
        int64_t gaps = 0;
        for (;;) {
            ogg_page page;
            const int result = ogg_sync_pageout(&sync, &page);
            if (result == 1) {
                gaps += ogg_page_pageno(&page) != pages++;
                continue;
            }
            gaps += result < 0;
            char* buffer = ogg_sync_buffer(&sync, 4096);
            const size_t got = slim.read(buffer, 4096);
            if (got == 0)
                break;
            ogg_sync_wrote(&sync, static_cast<long>(got));
        }
        ogg_sync_clear(&sync);
        EXPECT_EQ(gaps, 0);
        EXPECT_EQ(pages, static_cast<int64_t>(oggPages(readFileBytes(path)).size()));

        // The samples are those of the file without the comment, seek included.
        auto expected = audio::createAudioFile();
        auto actual = audio::createAudioFile();
        expected->OpenRead(plain);
        actual->OpenRead(path);
        ASSERT_EQ(actual->TotalFrames(), expected->TotalFrames());
        for (audio::IAudioFile2* file : {expected.get(), actual.get()})
            file->Seek(expected->TotalFrames() / 3);
        EXPECT_EQ(actual->ReadFrames(1 << 20).samples(), expected->ReadFrames(1 << 20).samples());
    }
}
