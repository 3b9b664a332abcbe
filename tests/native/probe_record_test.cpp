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
        EXPECT_EQ(indicatorLevel(r), IndicatorLevel::NoData);
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
    EXPECT_EQ(smartState(r), SmartState::FailurePredicted);
    r.versionError = 1;
    EXPECT_EQ(smartState(r), SmartState::NoData);
    r.versionError = 0;
    r.smartCapable = false;
    EXPECT_EQ(smartState(r), SmartState::NoData);
}

TEST(DriveRecord, SmartStateReportsAFailedQueryBeforeAnyThreshold) {
    DriveRecord r;
    setSmart(r, 31, true);
    EXPECT_EQ(smartState(r), SmartState::QueryFailed);
    setSmart(r, 0, false);
    EXPECT_EQ(smartState(r), SmartState::Ok);
}

TEST(DriveRecord, PredictedFailureWinsOverEverySmartState) {
    DriveRecord r;
    setPrediction(r, true);
    EXPECT_EQ(indicatorLevel(r), IndicatorLevel::FailurePredicted);  // SMART no data
    setSmart(r, 0, false);
    EXPECT_EQ(indicatorLevel(r), IndicatorLevel::FailurePredicted);  // SMART ok
    setSmart(r, 31, false);
    EXPECT_EQ(indicatorLevel(r), IndicatorLevel::FailurePredicted);  // SMART query failed
}

TEST(DriveRecord, SmartThresholdWinsWhenPredictionIsMissing) {
    DriveRecord r;
    setSmart(r, 0, true);
    EXPECT_EQ(indicatorLevel(r), IndicatorLevel::FailurePredicted);
}

TEST(DriveRecord, FailedSmartQueryWithHealthyPredictionIsOk) {
    DriveRecord r;
    setPrediction(r, false);
    setSmart(r, 31, false);
    EXPECT_EQ(indicatorLevel(r), IndicatorLevel::Ok);
}

TEST(DriveRecord, FailedSmartQueryAloneGivesNoData) {
    DriveRecord r;
    setSmart(r, 31, false);
    EXPECT_EQ(indicatorLevel(r), IndicatorLevel::NoData);
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
    EXPECT_EQ(failingDriveCount(judgeDrives(table, HealthTable{})), 2);
}

}  // namespace
}  // namespace kestrine
