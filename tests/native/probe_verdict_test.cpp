#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe/drive_verdict.h"

namespace kestrine {
namespace {

enum class Prediction { None, Ok, Failing, SmartExceeded };

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
    health.attributes = std::move(attributes);
    return health;
}

DriveHealth nvmeHealth(std::uint8_t criticalWarning) {
    DriveHealth health;
    health.source = HealthSource::NvmeLog;
    health.nvme.criticalWarning = criticalWarning;
    return health;
}

TEST(DriveVerdict, FailingExactlyOnAPredictionOrCriticalHealthWithEveryReason) {
    const AtaAttribute reallocated = attribute(5, "Reallocated Sectors Count", true);
    const AtaAttribute pending = attribute(197, "Current Pending Sector Count", true);
    const AtaAttribute wornButAbove = attribute(177, "Wear Leveling Count", false);
    struct Row {
        const char* name;
        Prediction prediction;
        DriveHealth health;
        DriveStatus status;
        std::vector<std::string> reasons;
    };
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
    };
    for (const Row& row : rows) {
        const DriveVerdict verdict = judgeDrive(listedDrive(3, row.prediction), row.health);
        EXPECT_EQ(verdict.status, row.status) << row.name;
        EXPECT_EQ(verdict.reasons, row.reasons) << row.name;
    }
}

TEST(DriveVerdict, FailingCountJudgesListedDrivesWithTheirOwnHealth) {
    DriveTable drives;
    HealthTable health;
    drives[0] = listedDrive(0, Prediction::Failing);
    drives[2] = listedDrive(2, Prediction::Ok);
    health[2] = nvmeHealth(0x04);  // reliability degraded
    drives[5] = listedDrive(5, Prediction::Ok);
    health[6] = nvmeHealth(0x01);  // no drive at 6: not judged
    drives[9] = listedDrive(9, Prediction::SmartExceeded);
    drives[9].present = false;  // unplugged since
    const DriveVerdicts verdicts = judgeDrives(drives, health);
    EXPECT_EQ(verdicts[0].status, DriveStatus::Failing);
    EXPECT_EQ(verdicts[2].reasons, std::vector<std::string>{"NVMe critical warning: reliability degraded"});
    EXPECT_EQ(verdicts[5].status, DriveStatus::Ok);
    EXPECT_EQ(verdicts[6].status, DriveStatus::Ok);
    EXPECT_TRUE(verdicts[9].reasons.empty());
    EXPECT_EQ(failingDriveCount(verdicts), 2);
    EXPECT_EQ(failingDriveCount(judgeDrives(drives, HealthTable{})), 1) << "without the health reads";
}

}  // namespace
}  // namespace kestrine
