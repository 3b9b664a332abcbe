#include <gtest/gtest.h>

#include "probe/drive_record.h"
#include "probe/drive_verdict.h"

namespace kestrine {
namespace {

DriveRecord listedDrive() {
    DriveRecord r;
    r.present = true;
    r.probed = true;
    r.identityValid = true;
    return r;
}

// Predict-failure answered with the given verdict.
void setPrediction(DriveRecord& r, bool failing) {
    r.predictQueried = true;
    r.predictOk = !failing;
}

void setSmart(DriveRecord& r, std::uint32_t statusError, bool thresholdExceeded) {
    r.smartCapable = true;
    r.versionError = 0;
    r.statusError = statusError;
    r.thresholdExceeded = thresholdExceeded;
}

TEST(DriveRecord, FreshTableListsNothingAndCountsNoFailure) {
    DriveTable table;
    for (const DriveRecord& r : table) {
        EXPECT_FALSE(isListed(r));
        EXPECT_FALSE(hasDetails(r));
        EXPECT_EQ(indicatorLevel(r, DriveHealth{}), IndicatorLevel::NoData);
    }
    EXPECT_EQ(failingDriveCount(judgeDrives(table, HealthTable{})), 0);
}

TEST(DriveRecord, ListedNeedsPresenceAndProbeAndDetailsNeedIdentity) {
    DriveRecord r = listedDrive();
    EXPECT_TRUE(hasDetails(r));
    r.identityValid = false;
    EXPECT_TRUE(isListed(r));
    EXPECT_FALSE(hasDetails(r));
    r.present = false;
    EXPECT_FALSE(isListed(r));
    r.present = true;
    r.probed = false;
    EXPECT_FALSE(isListed(r));
}

TEST(DriveRecord, SpfStateFollowsThePredictFailureReply) {
    DriveRecord r;
    EXPECT_EQ(spfState(r), SpfState::NoData);
    setPrediction(r, false);
    EXPECT_EQ(spfState(r), SpfState::Ok);
    setPrediction(r, true);
    EXPECT_EQ(spfState(r), SpfState::FailurePredicted);
}

TEST(DriveRecord, SmartStateIgnoresStaleStatusWhileSmartIsUnusable) {
    DriveRecord r;
    setSmart(r, 0, true);
    EXPECT_EQ(smartState(r, DriveHealth{}), SmartState::FailurePredicted);
    r.versionError = 1;
    EXPECT_EQ(smartState(r, DriveHealth{}), SmartState::NoData);
    r.versionError = 0;
    r.smartCapable = false;
    EXPECT_EQ(smartState(r, DriveHealth{}), SmartState::NoData);
}

TEST(DriveRecord, SmartStateReportsAFailedQueryBeforeAnyThreshold) {
    DriveRecord r;
    setSmart(r, 31, true);
    EXPECT_EQ(smartState(r, DriveHealth{}), SmartState::QueryFailed);
    setSmart(r, 0, false);
    EXPECT_EQ(smartState(r, DriveHealth{}), SmartState::Ok);
}

TEST(DriveRecord, PredictedFailureWinsOverEverySmartState) {
    DriveRecord r;
    setPrediction(r, true);
    EXPECT_EQ(indicatorLevel(r, DriveHealth{}), IndicatorLevel::FailurePredicted);  // SMART no data
    setSmart(r, 0, false);
    EXPECT_EQ(indicatorLevel(r, DriveHealth{}), IndicatorLevel::FailurePredicted);  // SMART ok
    setSmart(r, 31, false);
    EXPECT_EQ(indicatorLevel(r, DriveHealth{}), IndicatorLevel::FailurePredicted);  // SMART query failed
}

TEST(DriveRecord, SmartThresholdWinsWhenPredictionIsMissing) {
    DriveRecord r;
    setSmart(r, 0, true);
    EXPECT_EQ(indicatorLevel(r, DriveHealth{}), IndicatorLevel::FailurePredicted);
}

TEST(DriveRecord, FailedSmartQueryWithHealthyPredictionIsOk) {
    DriveRecord r;
    setPrediction(r, false);
    setSmart(r, 31, false);
    EXPECT_EQ(indicatorLevel(r, DriveHealth{}), IndicatorLevel::Ok);
}

TEST(DriveRecord, FailedSmartQueryAloneGivesNoData) {
    DriveRecord r;
    setSmart(r, 31, false);
    EXPECT_EQ(indicatorLevel(r, DriveHealth{}), IndicatorLevel::NoData);
}

// An NVMe drive refuses the SMART version request, or answers it without the SMART command bit;
// its health entry holds the log when it was read.
struct NvmeDrive {
    DriveRecord record;
    DriveHealth health;
};

NvmeDrive nvmeDrive(std::uint32_t versionError, bool logRead, std::uint8_t criticalWarning) {
    NvmeDrive drive{listedDrive(), {}};
    drive.record.busType = busNvme;
    drive.record.versionError = versionError;
    drive.health.source = logRead ? HealthSource::NvmeLog : HealthSource::None;
    drive.health.nvme.criticalWarning = criticalWarning;
    return drive;
}

TEST(DriveRecord, NvmeDriveRefusingSmartIsJudgedByItsHealthLog) {
    struct Row {
        const char* name;
        NvmeDrive drive;
        SmartState smart;
        IndicatorLevel level;
    };
    NvmeDrive sata = nvmeDrive(1, true, 0x04);
    sata.record.busType = 11;
    NvmeDrive takesSmart = nvmeDrive(0, true, 0x04);
    setSmart(takesSmart.record, 0, false);
    NvmeDrive noSmartBit = nvmeDrive(0, true, 0x08);
    NvmeDrive spfFailing = nvmeDrive(1, true, 0);
    setPrediction(spfFailing.record, true);
    NvmeDrive spfOk = nvmeDrive(1, false, 0);
    setPrediction(spfOk.record, false);
    const Row rows[] = {
        {"no warning bit", nvmeDrive(1, true, 0), SmartState::Ok, IndicatorLevel::Ok},
        {"spare below threshold", nvmeDrive(1, true, 0x01), SmartState::FailurePredicted,
         IndicatorLevel::FailurePredicted},
        {"read only, a high bit", nvmeDrive(50, true, 0x08), SmartState::FailurePredicted,
         IndicatorLevel::FailurePredicted},
        {"reserved bit 7", nvmeDrive(1, true, 0x80), SmartState::FailurePredicted, IndicatorLevel::FailurePredicted},
        {"log not read", nvmeDrive(1, false, 0), SmartState::NoData, IndicatorLevel::NoData},
        {"log not read, stale bits", nvmeDrive(1, false, 0x04), SmartState::NoData, IndicatorLevel::NoData},
        {"version answered without SMART", noSmartBit, SmartState::FailurePredicted, IndicatorLevel::FailurePredicted},
        {"takes SMART: its status rules", takesSmart, SmartState::Ok, IndicatorLevel::Ok},
        {"another bus keeps no data", sata, SmartState::NoData, IndicatorLevel::NoData},
        {"log fine, SPF failing", spfFailing, SmartState::Ok, IndicatorLevel::FailurePredicted},
        {"log unread, SPF ok", spfOk, SmartState::NoData, IndicatorLevel::Ok},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(smartState(row.drive.record, row.drive.health), row.smart) << row.name;
        EXPECT_EQ(indicatorLevel(row.drive.record, row.drive.health), row.level) << row.name;
    }
}

TEST(DriveRecord, FailingCountTakesOnlyListedDrivesAtLevelTwo) {
    DriveTable table;
    table[0] = listedDrive();
    setPrediction(table[0], true);
    table[3] = listedDrive();
    setSmart(table[3], 0, true);
    table[4] = listedDrive();
    setPrediction(table[4], false);
    table[7] = listedDrive();  // failing, but removed since
    setPrediction(table[7], true);
    table[7].present = false;
    HealthTable health;
    const NvmeDrive hot = nvmeDrive(1, true, 0x02);  // temperature beyond its threshold
    const NvmeDrive cool = nvmeDrive(1, true, 0);
    table[9] = hot.record;
    health[9] = hot.health;
    table[10] = cool.record;
    health[10] = cool.health;
    EXPECT_EQ(failingDriveCount(judgeDrives(table, health)), 3);
}

}  // namespace
}  // namespace kestrine
