#include "base/units.h"

#include <gtest/gtest.h>

using brisklet::scaled;
using brisklet::timeText;

TEST(Scaled, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(scaled(1, 1, 2), 1);
    EXPECT_EQ(scaled(-1, 1, 2), -1);
    EXPECT_EQ(scaled(3, 1, 2), 2);
    EXPECT_EQ(scaled(1, 1, 3), 0);
    EXPECT_EQ(scaled(2, 1, 3), 1);
    EXPECT_EQ(scaled(-5, 1, 2), -3);
    EXPECT_EQ(scaled(5, 1, -2), -3);
}

TEST(Scaled, MinusOneForZeroDivisorOrOverflow)
{
    EXPECT_EQ(scaled(5, 7, 0), -1);
    EXPECT_EQ(scaled(2147483647, 2, 1), -1);
    EXPECT_EQ(scaled(2147483647, 1, 1), 2147483647);
    EXPECT_EQ(scaled(-2147483648LL, 1, 1), -2147483648LL);
    // 64-bit intermediate: 7200 s of 48 kHz in milliseconds does not wrap.
    EXPECT_EQ(scaled(7200 * 1000LL, 345600000, 7200000), 345600000);
}

TEST(TimeText, PadsEachPartToTwoDigits)
{
    EXPECT_EQ(timeText(0), "00:00:00");
    EXPECT_EQ(timeText(3725), "01:02:05");
    EXPECT_EQ(timeText(360000), "100:00:00");
    EXPECT_EQ(timeText(59), "00:00:59");
    EXPECT_EQ(timeText(-5), "00:00:00");
}

TEST(TypedTime, EveryFormToMillisecondsAndBack)
{
    const std::pair<const char*, int64_t> accepted[] = {
        {"90", 90000},       {"1.5", 1500},        {"1.25", 1250},          {"0.007", 7},
        {"01:30.25", 90250}, {"1:02:03", 3723000}, {"100:00:00", 360000000}};
    for (auto [text, ms] : accepted) {
        EXPECT_EQ(brisklet::parseTimeMs(text), ms) << text;
    }
    for (const char* refused : {"", ".5", "1.", "1.2345", "0:60", "1:2:3:4", "1,5", "-1", "5s"})
        EXPECT_EQ(brisklet::parseTimeMs(refused), std::nullopt) << refused;
    EXPECT_EQ(brisklet::decimalSeconds(1500), "1.5");
    EXPECT_EQ(brisklet::decimalSeconds(60000), "60");
    EXPECT_EQ(brisklet::secondsText(250), "0.25 s");
}
