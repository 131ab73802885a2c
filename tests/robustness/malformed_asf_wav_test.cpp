// Damaged WMA (ASF) and WAV files: each is refused with its name or read up to
// the damage; attribute reading never reaches beyond the file.
#include "audio/audiofile.h"
#include "robustness.h"
#include "tags/wmatag.h"
#include "tagtestfiles.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace brisklet;
using namespace brisklet::test;

namespace {

void checkFile(const TempDir& dir, const std::string& name, const std::string& bytes)
{
    SCOPED_TRACE(name);
    const std::string path = dir.file(name);
    writeFileBytes(path, bytes);
    expectHarmless({path}, [&] {
        tags::WMATagStruct tag;
        tags::ReadWmaTag(path, tag);
        addAndRead(path);
    });
}

// The offset of the object with this GUID (its 16 bytes as stored), or npos.
size_t findObject(const std::string& bytes, const char* guid)
{
    return bytes.find(std::string(guid, 16));
}

const char* extendedContentGuid =
    "\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50";
const char* contentDescriptionGuid =
    "\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
const char* metadataGuid = "\xEA\xCB\xF8\xC5\xAF\x5B\x77\x48\x84\x67\xAA\x8C\x44\xFA\x4C\xCA";

// A 16-bit PCM WAV of `frames` frames, with the fields a case damages.
struct WavLayout {
    uint32_t riffSize = 0; // 0: the right one
    uint32_t fmtSize = 16;
    uint16_t format = 1;
    uint16_t channels = 1;
    uint32_t rate = 8000;
    uint16_t blockAlign = 2;
    uint16_t bits = 16;
    bool dataSizeGiven = false;
    uint32_t dataSize = 0;
    std::string before; // chunks between fmt and data
    std::string after;  // chunks after data
};

std::string wav(const WavLayout& w, int frames = 12000)
{
    std::string fmt = "fmt " + std::string(4, '\0') + std::string(16, '\0');
    putLittle(fmt, 4, w.fmtSize, 4);
    putLittle(fmt, 8, w.format, 2);
    putLittle(fmt, 10, w.channels, 2);
    putLittle(fmt, 12, w.rate, 4);
    putLittle(fmt, 16, uint64_t(w.rate) * w.blockAlign, 4);
    putLittle(fmt, 20, w.blockAlign, 2);
    putLittle(fmt, 22, w.bits, 2);
    if (w.fmtSize < 16)
        fmt.resize(8 + w.fmtSize);
    std::string samples(size_t(frames) * 2, '\0');
    for (int i = 0; i < frames; ++i)
        putLittle(samples, size_t(i) * 2, uint16_t((i * 97) % 20000), 2);
    std::string data = "data" + std::string(4, '\0') + samples;
    putLittle(data, 4, w.dataSizeGiven ? w.dataSize : samples.size(), 4);
    std::string body = "WAVE" + fmt + w.before + data + w.after;
    std::string riff = "RIFF" + std::string(4, '\0') + body;
    putLittle(riff, 4, w.riffSize ? w.riffSize : body.size(), 4);
    return riff;
}

} // namespace

TEST(MalformedAsf, DamagedObjectSizesAndCounts)
{
    TempDir dir;
    const std::string file = readFileBytes(makeEncodedTone(dir, "tone.wma", 0.5));
    auto with = [&](size_t offset, uint64_t value, int width) {
        std::string bytes = file;
        putLittle(bytes, offset, value, width);
        return bytes;
    };
    checkFile(dir, "header_size_20.wma", with(16, 20, 8));
    checkFile(dir, "header_size_huge.wma", with(16, 0xFFFFFFFFFFFFull, 8));
    checkFile(dir, "object_count_huge.wma", with(24, 0xFFFFFFFF, 4));
    checkFile(dir, "first_object_size_0.wma", with(30 + 16, 0, 8));
    checkFile(dir, "first_object_beyond_file.wma", with(30 + 16, file.size() * 4, 8));
    checkFile(dir, "cut_in_header.wma", file.substr(0, 200));
    checkFile(dir, "cut_after_header.wma", file.substr(0, size_t(getLittle(file, 16, 8)) + 60));

    const size_t extended = findObject(file, extendedContentGuid);
    if (extended != std::string::npos) {
        checkFile(dir, "attribute_count_huge.wma", with(extended + 24, 0xFFFF, 2));
        checkFile(dir, "attribute_name_huge.wma", with(extended + 26, 0xFFFF, 2));
        checkFile(dir, "extended_size_0.wma", with(extended + 16, 0, 8));
    }
    const size_t description = findObject(file, contentDescriptionGuid);
    if (description != std::string::npos) {
        checkFile(dir, "title_length_huge.wma", with(description + 24, 0xFFFF, 2));
        checkFile(dir, "description_size_huge.wma", with(description + 16, 0x7FFFFFFFFFFFull, 8));
    }
}

// TagLib reads an object's attributes by their count and the next object where
// they end: an object longer than its attributes hides another one, here
// claiming 65535 attributes, that TagLib would read and no size check sees.
TEST(MalformedAsf, AnObjectHiddenBehindTheAttributesIsRefused)
{
    TempDir dir;
    const std::string file = readFileBytes(makeEncodedTone(dir, "tone.wma", 0.5));
    const size_t extended = findObject(file, extendedContentGuid);
    ASSERT_NE(extended, std::string::npos);
    std::string hidden = std::string(extendedContentGuid, 16) + std::string(8, '\0') + "\xFF\xFF";
    putLittle(hidden, 16, hidden.size(), 8);
    std::string bytes = file;
    const uint64_t size = getLittle(bytes, extended + 16, 8);
    bytes.insert(extended + size, hidden);
    putLittle(bytes, extended + 16, size + hidden.size(), 8);
    putLittle(bytes, 16, getLittle(bytes, 16, 8) + hidden.size(), 8);
    checkFile(dir, "object_hidden_behind_attributes.wma", bytes);
    tags::WMATagStruct tag;
    EXPECT_FALSE(tags::ReadWmaTag(dir.file("object_hidden_behind_attributes.wma"), tag));
}

// TagLib keeps a metadata object outside the header extension as an opaque
// object and writes it back empty; such a file stays a tagged WMA file.
TEST(MalformedAsf, AnEmptyMetadataObjectAmongTheHeaderObjectsKeepsTheTagsRewritable)
{
    TempDir dir;
    const std::string path = makeEncodedTone(dir, "tone.wma", 0.5);
    tags::WMATagStruct tag;
    tag.Title = "Tone";
    ASSERT_TRUE(tags::WriteWmaTag(path, tag));
    std::string bytes = readFileBytes(path);
    std::string metadata = std::string(metadataGuid, 16) + std::string(8, '\0');
    putLittle(metadata, 16, metadata.size(), 8);
    bytes.insert(30, metadata);
    putLittle(bytes, 16, getLittle(bytes, 16, 8) + metadata.size(), 8);
    putLittle(bytes, 24, getLittle(bytes, 24, 4) + 1, 4);
    writeFileBytes(path, bytes);

    tags::WMATagStruct read;
    ASSERT_TRUE(tags::ReadWmaTag(path, read));
    EXPECT_EQ(read.Title, "Tone");
    read.Artist = "Someone";
    ASSERT_TRUE(tags::WriteWmaTag(path, read));
    tags::WMATagStruct again;
    ASSERT_TRUE(tags::ReadWmaTag(path, again));
    EXPECT_EQ(again, read);
}

TEST(MalformedAsf, AHugeHeaderIsNotReadIntoMemory)
{
    TempDir dir;
    const std::string wma = readFileBytes(makeEncodedTone(dir, "t.wma", 0.5));
    // 80 MiB of padding among the header objects, as a hole in the file: a
    // picture's worth of bytes that nothing needs in memory.
    const uint64_t padding = 80 << 20;
    std::string start = wma.substr(0, 30);
    putLittle(start, 16, getLittle(start, 16, 8) + padding, 8);
    putLittle(start, 24, getLittle(start, 24, 4) + 1, 4);
    std::string object("\x74\xD4\x06\x18\xDF\xCA\x09\x45\xA4\xBA\x9A\xAB\xCB\x96\xAA\xE8" +
                       std::string(8, '\0'));
    putLittle(object, 16, padding, 8);
    const std::string path = dir.file("picture.wma");
    {
        std::ofstream out(path, std::ios::binary);
        out << start << object;
        out.seekp(static_cast<std::streamoff>(padding - object.size()), std::ios::cur);
        out << wma.substr(30);
    }
    expectHarmless({}, [&] {
        tags::WMATagStruct tag;
        EXPECT_FALSE(tags::ReadWmaTag(path, tag));
        addAndRead(path);
    });
}

TEST(MalformedWav, DamagedHeadersAreRefusedOrReadUpToTheDamage)
{
    TempDir dir;
    auto layout = [](auto change) {
        WavLayout w;
        change(w);
        return w;
    };
    const std::vector<std::pair<const char*, WavLayout>> cases = {
        {"riff_size_ffffffff", layout([](WavLayout& w) { w.riffSize = 0xFFFFFFFF; })},
        {"data_size_0", layout([](WavLayout& w) { w.dataSizeGiven = true; })},
        {"data_size_ffffffff", layout([](WavLayout& w) {
             w.dataSizeGiven = true;
             w.dataSize = 0xFFFFFFFF;
         })},
        {"chunk_size_0", layout([](WavLayout& w) { w.before = std::string("LIST\0\0\0\0", 8); })},
        {"chunk_size_huge",
         layout([](WavLayout& w) { w.after = std::string("LIST\xF0\xFF\xFF\xFF", 8); })},
        {"fmt_size_0", layout([](WavLayout& w) { w.fmtSize = 0; })},
        {"channels_0", layout([](WavLayout& w) { w.channels = 0; })},
        {"channels_65535", layout([](WavLayout& w) { w.channels = 65535; })},
        {"rate_0", layout([](WavLayout& w) { w.rate = 0; })},
        {"block_align_0", layout([](WavLayout& w) { w.blockAlign = 0; })},
        {"bits_0", layout([](WavLayout& w) { w.bits = 0; })},
        {"format_unknown", layout([](WavLayout& w) { w.format = 0x7777; })},
        {"two_fmt_chunks", layout([](WavLayout& w) {
             w.before = std::string(
                 "fmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0", 24);
         })},
    };
    for (const auto& [name, w] : cases)
        checkFile(dir, std::string(name) + ".wav", wav(w));

    // RIFF size 0 on an otherwise good file: read as far as the data goes.
    std::string zeroRiff = wav(WavLayout{});
    putLittle(zeroRiff, 4, 0, 4);
    checkFile(dir, "riff_size_really_0.wav", zeroRiff);
    const std::string whole = wav(WavLayout{});
    checkFile(dir, "cut_in_data.wav", whole.substr(0, whole.size() / 2 + 1));
    checkFile(dir, "cut_in_fmt.wav", whole.substr(0, 30));
    EXPECT_EQ(addAndRead(dir.file("data_size_ffffffff.wav")), "");

    // A rate of a few hertz only comes from a damaged header; converting it
    // to a usual rate would turn each byte into megabytes.
    WavLayout slow;
    slow.rate = 4;
    slow.blockAlign = 2;
    checkFile(dir, "rate_4.wav", wav(slow));
    EXPECT_NE(addAndRead(dir.file("rate_4.wav")), "");
}

TEST(MalformedWav, ADamagedHeaderUnderTheVoxExtensionReadsNoMoreThanAsked)
{
    // libsndfile takes such a file for VOX by its name; its VOX reads of odd
    // length claim one frame more than they deliver.
    TempDir dir;
    std::string bytes = "RIFF" + std::string(4, '\x0D');
    for (int i = 0; i < 400; ++i)
        bytes += static_cast<char>((i * 37) & 0xFF);
    const std::string path = dir.file("damaged.vox");
    writeFileBytes(path, bytes);
    for (bool converted : {false, true}) {
        auto reader = audio::createAudioFile();
        if (converted)
            reader->SetBlockFormat(44100, 2);
        reader->OpenRead(path);
        for (int64_t asked : {759, 1, 3, 758, 759}) {
            const audio::SampleBlock block = reader->ReadFrames(asked);
            EXPECT_LE(block.frameCount(), asked);
        }
    }
}
