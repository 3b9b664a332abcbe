// Judging caution counts with memory: new, grown and accepted, past failures, accepting.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "history/caution_memory.h"
#include "history/history_bounds.h"

namespace kestrine {
namespace {

constexpr std::size_t reallocated = static_cast<std::size_t>(CautionCount::ReallocatedSectors);
constexpr std::size_t pending = static_cast<std::size_t>(CautionCount::PendingSectors);
constexpr std::size_t media = static_cast<std::size_t>(CautionCount::MediaErrors);
constexpr UtcSeconds acceptedAt = 1'740'830'400;  // 2025-03-01 12:00 UTC

const DriveKey drive{"WDC WD5000AAKS-00V1A0", "WD-WCAWF1234567"};

HealthSample sampleWith(std::size_t count, std::optional<std::uint64_t> value, UtcSeconds time = acceptedAt) {
    HealthSample sample;
    sample.time = time;
    sample.counts[count] = value;
    return sample;
}

struct Row {
    const char* what;
    std::optional<CountAcceptance> accepted;
    std::uint64_t value;
    CautionState state;
};

TEST(CautionMemory, JudgesACountAgainstTheLowestValueSinceItWasAccepted) {
    const std::vector<Row> rows = {
        {"never accepted", std::nullopt, 8, CautionState::New},
        {"as accepted", CountAcceptance{63, acceptedAt, 63}, 63, CautionState::Accepted},
        {"grown past the accepted value", CountAcceptance{63, acceptedAt, 63}, 70, CautionState::Grown},
        {"fell since, still at its lowest", CountAcceptance{63, acceptedAt, 60}, 60, CautionState::Accepted},
        {"fell since and rose again below the accepted value", CountAcceptance{63, acceptedAt, 60}, 62,
         CautionState::Grown},
        {"accepted at zero, then one", CountAcceptance{0, acceptedAt, 0}, 1, CautionState::Grown},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Acceptance acceptance;
        acceptance.counts[reallocated] = row.accepted;
        const CautionJudgement judgement = judgeCautionCounts(sampleWith(reallocated, row.value), acceptance);
        ASSERT_EQ(judgement.counts.size(), 1u);
        const CountJudgement expected{CautionCount::ReallocatedSectors, "reallocatedSectors", row.value, row.accepted,
                                      row.state};
        EXPECT_EQ(judgement.counts[0], expected);
        EXPECT_FALSE(judgement.pastFailures);
    }
}

TEST(CautionMemory, AnEmptyHistoryJudgesEveryCountAboveZeroNew) {
    HealthSample sample;
    sample.counts = {8, 0, 3, std::nullopt, 12};
    const CautionJudgement judgement = judgeCautionCounts(sample, Acceptance{});
    ASSERT_EQ(judgement.counts.size(), 3u);
    EXPECT_EQ(judgement.counts[0].name, "reallocatedSectors");
    EXPECT_EQ(judgement.counts[1].name, "uncorrectableSectors");
    EXPECT_EQ(judgement.counts[1].value, 3u);
    EXPECT_EQ(judgement.counts[2].name, "mediaErrors");
    EXPECT_EQ(judgement.counts[2].value, 12u);
    for (const CountJudgement& count : judgement.counts) {
        EXPECT_EQ(count.state, CautionState::New);
        EXPECT_FALSE(count.accepted);
    }
}

TEST(CautionMemory, ACountThatFallsAndRisesAgainGrowsFromItsLowestRecordedValue) {
    History history;
    acceptCurrentHealth(history, drive, sampleWith(pending, 9), acceptedAt);
    const std::vector<std::pair<std::uint64_t, CautionState>> refreshes = {
        {9, CautionState::Accepted}, {4, CautionState::Accepted}, {6, CautionState::Grown},
        {4, CautionState::Accepted}, {3, CautionState::Accepted}, {9, CautionState::Grown}};
    UtcSeconds time = acceptedAt;
    for (const auto& [value, state] : refreshes) {
        SCOPED_TRACE(value);
        recordSample(history, drive, sampleWith(pending, value, time += 3600));
        const CautionJudgement judgement =
            judgeCautionCounts(sampleWith(pending, value), findDrive(history, drive)->acceptance);
        ASSERT_EQ(judgement.counts.size(), 1u);
        EXPECT_EQ(judgement.counts[0].state, state);
        EXPECT_EQ(judgement.counts[0].accepted->value, 9u);  // the accepted value stays what was accepted
    }
    EXPECT_EQ(findDrive(history, drive)->acceptance.counts[pending]->lowestSince, 3u);
}

TEST(CautionMemory, PastFailuresAreNewUntilEachIsAccepted) {
    History history;
    HealthSample sample;
    sample.pastFailures = {5, 197};
    CautionJudgement judgement = judgeCautionCounts(sample, Acceptance{});
    ASSERT_TRUE(judgement.pastFailures);
    EXPECT_EQ(*judgement.pastFailures, (PastFailureJudgement{{5, 197}, {5, 197}, std::nullopt, CautionState::New}));

    acceptCurrentHealth(history, drive, sample, acceptedAt);
    const Acceptance& acceptance = findDrive(history, drive)->acceptance;
    EXPECT_EQ(*judgeCautionCounts(sample, acceptance).pastFailures,
              (PastFailureJudgement{{5, 197}, {}, acceptedAt, CautionState::Accepted}));

    sample.pastFailures = {5, 9};  // 9 failed since; 197 no longer reads as failed
    EXPECT_EQ(*judgeCautionCounts(sample, acceptance).pastFailures,
              (PastFailureJudgement{{5, 9}, {9}, acceptedAt, CautionState::New}));
    EXPECT_FALSE(judgeCautionCounts(HealthSample{}, acceptance).pastFailures);
}

TEST(CautionMemory, AcceptingTakesTheSamplesCountsAndKeepsWhatItLacks) {
    History history;
    HealthSample first;
    first.counts[reallocated] = 63;
    first.counts[media] = 2;
    acceptCurrentHealth(history, drive, first, acceptedAt);
    recordSample(history, drive, sampleWith(reallocated, 50, acceptedAt + 60));

    HealthSample second;  // media errors not read this time
    second.counts[reallocated] = 70;
    second.counts[pending] = 0;
    second.pastFailures = {187};
    acceptCurrentHealth(history, drive, second, acceptedAt + 86'400);

    const DriveHistory& kept = *findDrive(history, drive);
    EXPECT_EQ(kept.acceptance.lastAccepted, acceptedAt + 86'400);
    EXPECT_EQ(kept.acceptance.counts[reallocated], (CountAcceptance{70, acceptedAt + 86'400, 70}));
    EXPECT_EQ(kept.acceptance.counts[pending], (CountAcceptance{0, acceptedAt + 86'400, 0}));
    EXPECT_EQ(kept.acceptance.counts[media], (CountAcceptance{2, acceptedAt, 2}));
    EXPECT_EQ(kept.acceptance.pastFailures, (std::set<std::uint8_t>{187}));
    EXPECT_EQ(kept.lastSeen, acceptedAt + 86'400);
    EXPECT_EQ(kept.samples.size(), 1u);  // accepting records no sample
}

}  // namespace
}  // namespace kestrine
