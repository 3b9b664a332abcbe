// The history's bounds: every sample of a week, then one a day up to 400 days, 64 drives, 1 MiB.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "history/history_bounds.h"
#include "history/history_file.h"

namespace kestrine {
namespace {

constexpr UtcSeconds hour = 3600;
constexpr UtcSeconds day = secondsPerDay;
constexpr UtcSeconds now = 1'740'830'400;  // 2025-03-01 12:00 UTC

DriveKey keyOf(int number) { return {"Model " + std::to_string(number), "SN" + std::to_string(number)}; }

HealthSample sampleAt(UtcSeconds time) {
    HealthSample sample;
    sample.time = time;
    sample.counts[0] = static_cast<std::uint64_t>(time % 1000);
    return sample;
}

std::vector<UtcSeconds> timesOf(const DriveHistory& drive) {
    std::vector<UtcSeconds> times;
    for (const HealthSample& sample : drive.samples) times.push_back(sample.time);
    return times;
}

struct Row {
    const char* what;
    std::vector<UtcSeconds> ages;  // before now, in the order recorded
    std::vector<UtcSeconds> kept;
};

TEST(HistoryBounds, KeepsTheLastWeekWholeThenTheLastSampleOfEachUtcDayUpTo400Days) {
    const UtcSeconds noonDay8 = 8 * day;  // now is noon: 8 days back is noon too
    const std::vector<Row> rows = {
        {"recorded out of order, kept in time order", {hour, 0, 2 * hour}, {2 * hour, hour, 0}},
        {"the last week whole", {7 * day, 6 * day, 2 * hour, hour, 0}, {7 * day, 6 * day, 2 * hour, hour, 0}},
        {"an older day keeps its last", {noonDay8 + 2 * hour, noonDay8, noonDay8 - hour}, {noonDay8 - hour}},
        {"days apart each keep theirs",
         {noonDay8 + day, noonDay8 + day - hour, noonDay8},
         {noonDay8 + day - hour, noonDay8}},
        {"a day across the week's edge",
         {7 * day + hour, 7 * day, 7 * day - hour},
         {7 * day + hour, 7 * day, 7 * day - hour}},
        {"400 days and no more", {401 * day, 400 * day + 1, 400 * day, 399 * day}, {400 * day, 399 * day}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        History history;
        for (const UtcSeconds age : row.ages) recordSample(history, keyOf(1), sampleAt(now - age));
        thinHistory(history, now);
        std::vector<UtcSeconds> expected;
        for (const UtcSeconds age : row.kept) expected.push_back(now - age);
        ASSERT_EQ(history.drives.size(), 1u);
        EXPECT_EQ(timesOf(history.drives[0]), expected);
        EXPECT_EQ(history.drives[0].lastSeen, now - *std::min_element(row.ages.begin(), row.ages.end()));
    }
}

TEST(HistoryBounds, KeepsThe64DrivesSeenLatestAndNoneUnseenFor400Days) {
    History history;
    // Drive n last seen n hours ago; drive 70 over 400 days ago.
    for (int number = 0; number < 67; ++number) recordSample(history, keyOf(number), sampleAt(now - number * hour));
    recordSample(history, keyOf(70), sampleAt(now - 401 * day));
    driveEntry(history, keyOf(71)).lastSeen = now - 401 * day;  // accepted once, its samples gone
    thinHistory(history, now);
    ASSERT_EQ(history.drives.size(), maxHistoryDrives);
    for (int number = 0; number < 64; ++number) EXPECT_EQ(history.drives[number].key, keyOf(number));
}

TEST(HistoryBounds, AYearOfHourlySamplesForFourDrivesKeepsAWeekWholeAndADayEachBefore) {
    History history;
    const UtcSeconds start = now - 365 * day;
    for (UtcSeconds time = start; time <= now; time += hour) {
        for (int number = 0; number < 4; ++number) recordSample(history, keyOf(number), sampleAt(time));
        if ((time - start) % day == 0) thinHistory(history, time);
    }
    thinHistory(history, now);
    const std::size_t weekWhole = 7 * 24 + 1;  // now back to 168 hours before, both included
    const std::size_t dailyBefore = 359;       // the days before, from a year back
    ASSERT_EQ(history.drives.size(), 4u);
    for (const DriveHistory& drive : history.drives) {
        ASSERT_EQ(drive.samples.size(), weekWhole + dailyBefore);
        for (std::size_t i = 1; i + 1 < dailyBefore; ++i)  // 23:00 of each day
            EXPECT_EQ(drive.samples[i].time - drive.samples[i - 1].time, day);
        // The morning of the day the week begins at noon, then the week.
        EXPECT_EQ(drive.samples[dailyBefore - 1].time, now - 7 * day - hour);
        EXPECT_EQ(drive.samples[dailyBefore].time, now - 7 * day);
        EXPECT_EQ(drive.samples.back().time, now);
    }
    const std::vector<std::uint8_t> file = serializeHistory(history);
    EXPECT_EQ(file.size(), serializedHistorySize(history));
    EXPECT_EQ(file.size(), 16 + 4 + 4 * (152 + 7 + 3 + 64 * (weekWhole + dailyBefore)));  // 135,836
    std::printf("a year of hourly samples for 4 drives: %zu bytes\n", file.size());
}

TEST(HistoryBounds, A64DriveHistoryOver1MiBLosesTheOldestSamplesAcrossDrivesFirst) {
    History history;
    for (int number = 0; number < 64; ++number) {
        // Each drive's days offset by its number of hours, so that the oldest alternate between drives.
        for (UtcSeconds age = 399 * day; age > 7 * day; age -= day)
            recordSample(history, keyOf(number), sampleAt(now - age + number * hour));
        for (UtcSeconds age = 7 * day; age >= 0; age -= hour) recordSample(history, keyOf(number), sampleAt(now - age));
    }
    const std::size_t before = serializedHistorySize(history);
    ASSERT_GT(before, maxHistoryBytes);
    History thinned = history;
    thinHistory(thinned, now);
    const std::size_t after = serializedHistorySize(thinned);
    EXPECT_LE(after, maxHistoryBytes);
    EXPECT_GT(after, maxHistoryBytes - 64);  // one sample less than needed would not fit
    UtcSeconds oldestKept = now;
    for (const DriveHistory& drive : thinned.drives) oldestKept = std::min(oldestKept, drive.samples.front().time);
    for (std::size_t number = 0; number < 64; ++number) {
        const std::vector<HealthSample>& all = history.drives[number].samples;
        const std::vector<HealthSample>& kept = thinned.drives[number].samples;
        ASSERT_TRUE(std::equal(kept.begin(), kept.end(), all.end() - static_cast<std::ptrdiff_t>(kept.size())));
        if (kept.size() < all.size()) {
            EXPECT_LE(all[all.size() - kept.size() - 1].time, oldestKept);
        }
        EXPECT_GE(kept.size(), 7u * 24 + 1);  // the last week stays whole
    }
}

}  // namespace
}  // namespace kestrine
