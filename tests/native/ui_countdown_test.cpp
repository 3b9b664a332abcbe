#include <gtest/gtest.h>

#include "ui/countdown.h"

namespace kestrine {
namespace {

constexpr std::int32_t seconds(std::int32_t s) { return s * 5; }

TEST(CountdownText, HoursShowMinutesAndSecondsWithLeadingZeros) {
    EXPECT_EQ(countdownText(seconds(3600 + 5 * 60 + 9)), "1:05:09");
    EXPECT_EQ(countdownText(seconds(3600)), "1:00:00");
    EXPECT_EQ(countdownText(36000), "2:00:00");
}

TEST(CountdownText, UnderAnHourDropsTheHourField) {
    EXPECT_EQ(countdownText(seconds(3599)), "59:59");
    EXPECT_EQ(countdownText(seconds(5 * 60 + 7)), "5:07");
    EXPECT_EQ(countdownText(seconds(60)), "1:00");
}

TEST(CountdownText, UnderAMinuteCountsSeconds) {
    EXPECT_EQ(countdownText(seconds(59)), "59 Secs");
    EXPECT_EQ(countdownText(seconds(2)), "2 Secs");
}

TEST(CountdownText, LastTwoSecondsReadOneSec) {
    EXPECT_EQ(countdownText(seconds(1)), "1 Sec");
    EXPECT_EQ(countdownText(0), "1 Sec");
    EXPECT_EQ(countdownText(9), "1 Sec");  // 1.8 s left counts as one whole second
}

TEST(CountdownText, PartialSecondsAreDropped) {
    EXPECT_EQ(countdownText(35992), "1:59:58");  // 7198.4 s
    EXPECT_EQ(countdownText(seconds(60) + 4), "1:00");
}

TEST(CountdownText, NegativeTicksReadAsNothingLeft) {
    EXPECT_EQ(countdownText(-1), "1 Sec");
    EXPECT_EQ(countdownText(-36000), "1 Sec");
}

}  // namespace
}  // namespace kestrine
