// OGG Vorbis output: exact lengths, and the three bitrate modes landing where
// they were asked to.

#include "encode_helpers.h"
#include "read_helpers.h"
#include "testsupport.h"

#include "audio/audioerror.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

using namespace brisklet;
using namespace brisklet::test;

namespace {

constexpr int64_t Seconds = 8;

// Average kbps of the whole file over its length.
double averageKbps(const audio::EncoderFormat& format, const TempDir& dir)
{
    std::string path = dir.file("rate.ogg");
    Encoded in = encodeTone(format, path, format.oggRate * Seconds);
    return static_cast<double>(std::filesystem::file_size(path)) * 8 / 1000 /
           (static_cast<double>(in.frames()) / in.rate);
}

} // namespace

TEST(EncodeOgg, LengthIsExact)
{
    TempDir dir;
    for (auto [rate, channels, frames] :
         {std::tuple{44100, 2, 132423}, {22050, 1, 1}, {8000, 1, 4097}}) {
        SCOPED_TRACE(rate);
        std::string path = dir.file("len.ogg");
        Encoded in = encodeTone(oggFormat(rate, channels, 0, 0, 0, 300), path, frames);
        EXPECT_EQ(in.rate, rate);
        EXPECT_EQ(in.channels, channels);
        int backRate = 0;
        EXPECT_EQ(decodeWhole(path, &backRate).size(), in.samples.size());
        EXPECT_EQ(backRate, rate);
        if (rate == 44100) {
            EXPECT_EQ(decodeWithFfmpeg(path).frames(), frames);
        }
    }
}

TEST(EncodeOgg, BitrateModesLandWhereAsked)
{
    TempDir dir;
    double cbr = averageKbps(oggFormat(44100, 2, 128), dir);
    EXPECT_NEAR(cbr, 128, 128 * 0.15);
    double cbrLow = averageKbps(oggFormat(22050, 1, 48), dir);
    EXPECT_NEAR(cbrLow, 48, 48 * 0.2);
    double vbr = averageKbps(oggFormat(44100, 2, 128, 64, 192), dir);
    EXPECT_GT(vbr, 64 * 0.9);
    EXPECT_LT(vbr, 192 * 1.1);
    EXPECT_EQ(probeStream(dir.file("rate.ogg")).bitRate, 128000); // nominal, as the header says
    double low = averageKbps(oggFormat(44100, 2, 0, 0, 0, 0), dir);
    double usual = averageKbps(oggFormat(44100, 2, 0, 0, 0, 300), dir);
    double best = averageKbps(oggFormat(44100, 2, 0, 0, 0, 1000), dir);
    EXPECT_LT(low, usual);
    EXPECT_LT(usual * 2, best);
}

TEST(EncodeOgg, UnsupportedFormatIsRefusedWithTheFileName)
{
    TempDir dir;
    std::string path = dir.file("bad.ogg");
    try {
        audio::openEncoder(oggFormat(8000, 2, 320), path, 44100, 2);
        ADD_FAILURE() << "8000 Hz at 320 kbps was accepted";
    } catch (const audio::AudioError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "cannot create " + path + ": this OGG format is not supported", 0),
                  0u)
            << e.what();
    }
    EXPECT_TRUE(folderEntries(dir.path()).empty());
}
