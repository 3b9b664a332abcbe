#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/health_replies.h"
#include "probe/drive_verdict.h"

namespace kestrine {
namespace {

// NvmeLog: an NVMe drive refusing SMART, judged by the health log in its row's health.
enum class Prediction { None, Ok, Failing, SmartExceeded, NvmeLog, NvmeLogAndFailing };

DriveRecord listedDrive(int number, Prediction prediction) {
    DriveRecord r;
    r.present = r.probed = r.identityValid = true;
    r.driveNumber = number;
    r.predictQueried = prediction != Prediction::None;
    r.predictOk = prediction != Prediction::Failing;
    if (prediction == Prediction::SmartExceeded) {
        r.smartCapable = true;
        r.thresholdExceeded = true;
    }
    if (prediction == Prediction::NvmeLog || prediction == Prediction::NvmeLogAndFailing) {
        r.busType = busNvme;
        r.versionError = 1;
        r.predictOk = prediction == Prediction::NvmeLog;
    }
    return r;
}

AtaAttribute attribute(std::uint8_t id, std::string_view name, bool failingNow) {
    AtaAttribute a;
    a.id = id;
    a.name = name;
    a.preFailure = true;
    a.failingNow = failingNow;
    return a;
}

DriveHealth ataHealth(std::vector<AtaAttribute> attributes) {
    DriveHealth health;
    health.source = HealthSource::AtaSmart;
    health.ata.attributes = std::move(attributes);
    return health;
}

DriveHealth nvmeHealth(std::uint8_t criticalWarning) {
    DriveHealth health;
    health.source = HealthSource::NvmeLog;
    health.nvme.criticalWarning = criticalWarning;
    return health;
}

struct Row {
    const char* name;
    Prediction prediction;
    DriveHealth health;
    DriveStatus status;
    std::vector<std::string> reasons;
};

template <std::size_t N>
void expectVerdicts(const Row (&rows)[N]) {
    for (const Row& row : rows) {
        const DriveVerdict verdict = judgeDrive(listedDrive(3, row.prediction), row.health);
        EXPECT_EQ(verdict.status, row.status) << row.name;
        EXPECT_EQ(verdict.reasons, row.reasons) << row.name;
    }
}

TEST(DriveVerdict, FailingExactlyOnAPredictionOrCriticalHealthWithEveryReason) {
    const AtaAttribute reallocated = attribute(5, "Reallocated Sectors Count", true);
    const AtaAttribute pending = attribute(197, "Current Pending Sector Count", true);
    const AtaAttribute wornButAbove = attribute(177, "Wear Leveling Count", false);
    const Row rows[] = {
        {"healthy, health not read", Prediction::Ok, {}, DriveStatus::Ok, {}},
        {"no data at all", Prediction::None, {}, DriveStatus::Ok, {}},
        {"storage stack predicts", Prediction::Failing, {}, DriveStatus::Failing, {"predicts failure"}},
        {"SMART threshold exceeded", Prediction::SmartExceeded, {}, DriveStatus::Failing, {"predicts failure"}},
        {"attribute above its threshold", Prediction::Ok, ataHealth({wornButAbove}), DriveStatus::Ok, {}},
        {"one attribute failing now",
         Prediction::Ok,
         ataHealth({wornButAbove, reallocated}),
         DriveStatus::Failing,
         {"SMART attribute failing now: 5 Reallocated Sectors Count"}},
        {"two attributes failing now, no verdict data",
         Prediction::None,
         ataHealth({reallocated, pending}),
         DriveStatus::Failing,
         {"SMART attributes failing now: 5 Reallocated Sectors Count, 197 Current Pending Sector Count"}},
        {"NVMe log without warnings", Prediction::Ok, nvmeHealth(0), DriveStatus::Ok, {}},
        {"NVMe spare and read-only",
         Prediction::Ok,
         nvmeHealth(0x09),
         DriveStatus::Failing,
         {"NVMe critical warning: spare below threshold, read-only"}},
        {"prediction and NVMe warning",
         Prediction::Failing,
         nvmeHealth(0x02),
         DriveStatus::Failing,
         {"predicts failure", "NVMe critical warning: temperature"}},
        {"NVMe log's verdict, health read: the log names it",
         Prediction::NvmeLog,
         nvmeHealth(0x04),
         DriveStatus::Failing,
         {"NVMe critical warning: reliability degraded"}},
        {"NVMe log's verdict, no log read", Prediction::NvmeLog, {}, DriveStatus::Ok, {}},
        {"NVMe log's verdict and the storage stack's",
         Prediction::NvmeLogAndFailing,
         nvmeHealth(0x04),
         DriveStatus::Failing,
         {"predicts failure", "NVMe critical warning: reliability degraded"}},
    };
    expectVerdicts(rows);
}

// An ATA drive whose raw values gave these counts, attribute 5 failed in the past or not.
DriveHealth ataCounts(std::optional<std::uint32_t> reallocated, std::optional<std::uint32_t> pending = 0,
                      std::optional<std::uint32_t> uncorrectable = 0, std::optional<std::uint32_t> reported = 0) {
    DriveHealth health = ataHealth({attribute(5, "Reallocated Sectors Count", false)});
    health.ata.reallocatedSectors = reallocated;
    health.ata.pendingSectors = pending;
    health.ata.uncorrectableSectors = uncorrectable;
    health.ata.reportedUncorrectableErrors = reported;
    return health;
}

DriveHealth failedInPast(std::vector<std::uint8_t> ids) {
    DriveHealth health = ataCounts(0);
    health.ata.attributes.clear();
    for (const std::uint8_t id : ids) {
        AtaAttribute a = attribute(id, id == 5 ? "Reallocated Sectors Count" : "", false);
        a.failedInPast = true;
        health.ata.attributes.push_back(a);
    }
    return health;
}

DriveHealth nvmeWorn(std::uint8_t percentageUsed, Counter128 mediaErrors = {}) {
    DriveHealth health = nvmeHealth(0);
    health.nvme.percentageUsed = percentageUsed;
    health.nvme.mediaErrors = mediaErrors;
    return health;
}

// A temperature from the SMART data (none: the property's current one), and the property's
// warning temperature (none: the property is not available).
DriveHealth warm(std::optional<int> smart, std::optional<std::int16_t> warning, std::int16_t current = 30) {
    DriveHealth health = ataCounts(0);
    health.ata.temperatureCelsius = smart;
    health.temperature.available = warning.has_value();
    health.temperature.current = current;
    health.temperature.warning = warning;
    health.temperature.critical = 90;
    return health;
}

// An NVMe drive as its replies give it: the log's composite temperature, the temperature
// property's current and warning temperatures.
DriveHealth nvmeReplies(std::uint16_t kelvin, std::int16_t current, std::int16_t warning) {
    NvmeHealth log;
    log.compositeKelvin = kelvin;
    const std::vector<std::uint8_t> logReply = testing::nvmeHealthReply(log);
    DriveHealth health = kestrine::nvmeHealth(logReply.data(), logReply.size());
    const std::vector<std::uint8_t> propertyReply = testing::temperatureReply(current, warning, 90);
    health.temperature = temperatureReading(propertyReply.data(), propertyReply.size());
    return health;
}

TEST(DriveVerdict, CautionOnEveryEarlySignWhenNotFailing) {
    DriveHealth failingAndWorn = nvmeWorn(120, {3, 0});
    failingAndWorn.nvme.criticalWarning = 0x04;
    DriveHealth nvmeWarm = nvmeHealth(0);
    nvmeWarm.nvme.compositeCelsius = 71;
    nvmeWarm.temperature.available = true;
    nvmeWarm.temperature.warning = 70;
    const Row rows[] = {
        {"no count above 0", Prediction::Ok, ataCounts(0), DriveStatus::Ok, {}},
        {"counts unknown",
         Prediction::Ok,
         ataCounts(std::nullopt, std::nullopt, std::nullopt, std::nullopt),
         DriveStatus::Ok,
         {}},
        {"one reallocated sector", Prediction::Ok, ataCounts(1), DriveStatus::Caution, {"reallocated sectors: 1"}},
        {"pending, uncorrectable and reported, with no verdict data",
         Prediction::None,
         ataCounts(0, 2, 4294967295u, 3),
         DriveStatus::Caution,
         {"pending sectors: 2", "uncorrectable sectors: 4294967295", "reported uncorrectable errors: 3"}},
        {"failed in the past",
         Prediction::Ok,
         failedInPast({5}),
         DriveStatus::Caution,
         {"SMART attribute failed in the past: 5 Reallocated Sectors Count"}},
        {"two failed in the past",
         Prediction::Ok,
         failedInPast({5, 230}),
         DriveStatus::Caution,
         {"SMART attributes failed in the past: 5 Reallocated Sectors Count, 230"}},
        {"NVMe used 99 %", Prediction::Ok, nvmeWorn(99), DriveStatus::Ok, {}},
        {"NVMe used 100 %", Prediction::Ok, nvmeWorn(100), DriveStatus::Caution, {"NVMe percentage used: 100 %"}},
        {"NVMe used 255 % and media errors past 64 bits",
         Prediction::Ok,
         nvmeWorn(255, {0, 1}),
         DriveStatus::Caution,
         {"NVMe media and data integrity errors: 18446744073709551616", "NVMe percentage used: 255 %"}},
        {"NVMe failing outranks its wear",
         Prediction::Ok,
         failingAndWorn,
         DriveStatus::Failing,
         {"NVMe critical warning: reliability degraded"}},
        {"prediction outranks counts", Prediction::Failing, ataCounts(8), DriveStatus::Failing, {"predicts failure"}},
        {"SMART temperature at the warning",
         Prediction::Ok,
         warm(70, 70),
         DriveStatus::Caution,
         {"temperature 70 C, at or above the warning temperature 70 C"}},
        {"SMART temperature below the warning", Prediction::Ok, warm(69, 70, 75), DriveStatus::Ok, {}},
        {"property's own temperature above its warning",
         Prediction::Ok,
         warm(std::nullopt, 70, 75),
         DriveStatus::Caution,
         {"temperature 75 C, at or above the warning temperature 70 C"}},
        {"no temperature property", Prediction::Ok, warm(99, std::nullopt), DriveStatus::Ok, {}},
        {"a warning temperature of 0 C is no limit", Prediction::Ok, warm(5, 0), DriveStatus::Ok, {}},
        {"NVMe composite temperature",
         Prediction::Ok,
         nvmeWarm,
         DriveStatus::Caution,
         {"temperature 71 C, at or above the warning temperature 70 C"}},
        {"NVMe composite at 125 C, the warning at 125 C",
         Prediction::Ok,
         nvmeReplies(398, 30, 125),
         DriveStatus::Caution,
         {"temperature 125 C, at or above the warning temperature 125 C"}},
        {"65535 K and 32767 C are no temperatures", Prediction::Ok, nvmeReplies(65535, 32767, 70), DriveStatus::Ok, {}},
        {"399 K and 126 C neither", Prediction::Ok, nvmeReplies(399, 126, 70), DriveStatus::Ok, {}},
        {"the property's 125 C at its warning",
         Prediction::Ok,
         nvmeReplies(0, 125, 125),
         DriveStatus::Caution,
         {"temperature 125 C, at or above the warning temperature 125 C"}},
        {"a warning of 126 C is no limit", Prediction::Ok, nvmeReplies(0, 125, 126), DriveStatus::Ok, {}},
        {"health not read", Prediction::Ok, {}, DriveStatus::Ok, {}},
    };
    expectVerdicts(rows);
}

// What a person accepted: each count's value and the lowest value seen since, and the ids of
// past failures.
Acceptance accepted(std::vector<std::pair<CautionCount, std::pair<std::uint64_t, std::uint64_t>>> counts,
                    std::set<std::uint8_t> pastFailures = {}) {
    Acceptance acceptance;
    acceptance.lastAccepted = 1'780'000'000;
    for (const auto& [count, values] : counts)
        acceptance.counts[static_cast<std::size_t>(count)] =
            CountAcceptance{values.first, 1'780'000'000, values.second};
    acceptance.pastFailures = std::move(pastFailures);
    return acceptance;
}

TEST(DriveVerdict, CautionCountsAreJudgedAgainstWhatWasAccepted) {
    struct MemoryRow {
        const char* name;
        Prediction prediction;
        DriveHealth health;
        Acceptance acceptance;
        DriveStatus status;
        std::vector<std::string> reasons;
    };
    const auto reallocated = CautionCount::ReallocatedSectors;
    DriveHealth wornNvme = nvmeWorn(100, {5, 0});
    DriveHealth hotAccepted = warm(70, 70);
    hotAccepted.ata.reallocatedSectors = 8;
    const MemoryRow rows[] = {
        {"accepted at its value", Prediction::Ok, ataCounts(8), accepted({{reallocated, {8, 8}}}), DriveStatus::Ok, {}},
        {"fell below what was accepted",
         Prediction::Ok,
         ataCounts(6),
         accepted({{reallocated, {8, 6}}}),
         DriveStatus::Ok,
         {}},
        {"grown past what was accepted",
         Prediction::Ok,
         ataCounts(70),
         accepted({{reallocated, {63, 63}}}),
         DriveStatus::Caution,
         {"reallocated sectors: 70, 63 accepted"}},
        {"fell, then rose again below the accepted value",
         Prediction::Ok,
         ataCounts(62),
         accepted({{reallocated, {63, 60}}}),
         DriveStatus::Caution,
         {"reallocated sectors: 62, 63 accepted"}},
        {"one count accepted, another new",
         Prediction::Ok,
         ataCounts(8, 2, 0, 9),
         accepted({{reallocated, {8, 8}}, {CautionCount::ReportedUncorrectableErrors, {9, 9}}}),
         DriveStatus::Caution,
         {"pending sectors: 2"}},
        {"past failure accepted", Prediction::Ok, failedInPast({5}), accepted({}, {5}), DriveStatus::Ok, {}},
        {"a second past failure is new",
         Prediction::Ok,
         failedInPast({5, 230}),
         accepted({}, {5}),
         DriveStatus::Caution,
         {"SMART attribute failed in the past: 230"}},
        {"NVMe media errors grown",
         Prediction::Ok,
         nvmeWorn(3, {5, 0}),
         accepted({{CautionCount::MediaErrors, {3, 3}}}),
         DriveStatus::Caution,
         {"NVMe media and data integrity errors: 5, 3 accepted"}},
        {"NVMe wear has no memory",
         Prediction::Ok,
         wornNvme,
         accepted({{CautionCount::MediaErrors, {5, 5}}}),
         DriveStatus::Caution,
         {"NVMe percentage used: 100 %"}},
        {"temperature has no memory",
         Prediction::Ok,
         hotAccepted,
         accepted({{reallocated, {8, 8}}}),
         DriveStatus::Caution,
         {"temperature 70 C, at or above the warning temperature 70 C"}},
        {"acceptance hides no failure",
         Prediction::Failing,
         ataCounts(8),
         accepted({{reallocated, {8, 8}}}),
         DriveStatus::Failing,
         {"predicts failure"}},
    };
    for (const MemoryRow& row : rows) {
        const DriveVerdict verdict = judgeDrive(listedDrive(3, row.prediction), row.health, row.acceptance);
        EXPECT_EQ(verdict.status, row.status) << row.name;
        EXPECT_EQ(verdict.reasons, row.reasons) << row.name;
    }
}

TEST(DriveVerdict, JudgedCautionsCarryValueAcceptedValueAndState) {
    DriveHealth health = ataCounts(70, 0, 4);
    health.ata.attributes[0].failedInPast = true;
    const Acceptance acceptance = accepted({{CautionCount::ReallocatedSectors, {63, 63}}});
    const CautionJudgement judged = judgeCautions(health, acceptance);
    ASSERT_EQ(judged.counts.size(), 2u);
    EXPECT_EQ(judged.counts[0].name, "reallocatedSectors");
    EXPECT_EQ(judged.counts[0].value, 70u);
    EXPECT_EQ(judged.counts[0].accepted->value, 63u);
    EXPECT_EQ(judged.counts[0].state, CautionState::Grown);
    EXPECT_EQ(judged.counts[1].name, "uncorrectableSectors");
    EXPECT_EQ(judged.counts[1].value, 4u);
    EXPECT_FALSE(judged.counts[1].accepted.has_value());
    EXPECT_EQ(judged.counts[1].state, CautionState::New);
    ASSERT_TRUE(judged.pastFailures.has_value());
    EXPECT_EQ(judged.pastFailures->ids, std::set<std::uint8_t>{5});
    EXPECT_TRUE(judgeCautions(DriveHealth{}, acceptance).counts.empty());
}

TEST(DriveVerdict, FailingCountJudgesListedDrivesWithTheirOwnHealth) {
    DriveTable drives;
    HealthTable health;
    drives[0] = listedDrive(0, Prediction::Failing);
    drives[2] = listedDrive(2, Prediction::Ok);
    health[2] = nvmeHealth(0x04);  // reliability degraded
    drives[5] = listedDrive(5, Prediction::Ok);
    health[5] = ataCounts(3);      // caution does not count as failing
    health[6] = nvmeHealth(0x01);  // no drive at 6: not judged
    drives[9] = listedDrive(9, Prediction::SmartExceeded);
    drives[9].present = false;  // unplugged since
    const DriveVerdicts verdicts = judgeDrives(drives, health);
    EXPECT_EQ(verdicts[0].status, DriveStatus::Failing);
    EXPECT_EQ(verdicts[2].reasons, std::vector<std::string>{"NVMe critical warning: reliability degraded"});
    EXPECT_EQ(verdicts[5].status, DriveStatus::Caution);
    EXPECT_EQ(verdicts[6].status, DriveStatus::Ok);
    EXPECT_TRUE(verdicts[9].reasons.empty());
    EXPECT_EQ(failingDriveCount(verdicts), 2);
    EXPECT_EQ(failingDriveCount(judgeDrives(drives, HealthTable{})), 1) << "without the health reads";
}

}  // namespace
}  // namespace kestrine
