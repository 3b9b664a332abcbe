#include <gtest/gtest.h>

#include "fakes/report_scenarios.h"
#include "report/report_model.h"

namespace kestrine {
namespace {

using testing::accessDeniedDrive;
using testing::healthyDrive;
using testing::volumeRow;

Report reportOf(const DriveTable& drives, std::vector<VolumeRow> volumes, const HealthTable& health = {}) {
    const testing::ScenarioMessages messages;
    return buildReport({testing::judgedRefresh(drives, health), std::move(volumes), ThresholdSource::SettingsFile,
                        "1.0", "2026-12-07T15:24:30Z"},
                       messages);
}

void nothing(DriveRecord&) {}
void wellRead(DriveHealth& health) { health = testing::ataDriveHealth(testing::healthySsdRows, 30); }

struct StatusCase {
    const char* what;
    void (*spoil)(DriveRecord&);  // applied to a healthy disk 4
    bool volumeBelowLimit;        // D: gets a verdict of warning
    int volumeSlot;               // where the volume row claims to be
    OverallStatus status;
    const char* reason;
    void (*health)(DriveHealth&) = wellRead;  // disk 4's health
};

constexpr std::uint16_t preFailure = testing::preFailure;

const StatusCase statusCases[] = {
    {"all well", nothing, false, 3, OverallStatus::Ok, "1 drive and 1 volume ok"},
    {"a volume below its limit", nothing, true, 3, OverallStatus::Warning, "D: 5.0 % free, below 20 %"},
    {"storage prediction", [](DriveRecord& r) { r.predictOk = false; }, false, 3, OverallStatus::Critical,
     "Disk 4 predicts failure"},
    {"SMART threshold exceeded", [](DriveRecord& r) { r.thresholdExceeded = true; }, false, 3, OverallStatus::Critical,
     "Disk 4 predicts failure"},
    {"both verdicts and a volume",
     [](DriveRecord& r) {
         r.predictOk = false;
         r.thresholdExceeded = true;
     },
     true, 3, OverallStatus::Critical, "Disk 4 predicts failure; D: 5.0 % free, below 20 %"},
    {"prediction without an answer", [](DriveRecord& r) { r.predictQueried = r.predictOk = false; }, false, 3,
     OverallStatus::Ok, "1 drive and 1 volume ok"},
    {"old threshold while SMART is unusable",
     [](DriveRecord& r) {
         r.thresholdExceeded = true;
         r.versionError = 1;
     },
     false, 3, OverallStatus::Ok, "1 drive and 1 volume ok"},
    {"threshold beside a failed status query",
     [](DriveRecord& r) {
         r.thresholdExceeded = true;
         r.statusError = 31;
     },
     false, 3, OverallStatus::Ok, "1 drive and 1 volume ok"},
    {"a failing drive that is gone",
     [](DriveRecord& r) {
         r.predictOk = false;
         r.present = false;
     },
     false, 3, OverallStatus::Ok, "0 drives and 1 volume ok"},
    {"an attribute failing now", nothing, false, 3, OverallStatus::Critical,
     "Disk 4 SMART attribute failing now: 5 Reallocated Sectors Count",
     [](DriveHealth& h) {
         h = testing::ataDriveHealth({{5, preFailure, 36, 36, 1864, 36}}, 30);
     }},
    {"two attributes failing now, one of them unnamed", nothing, true, 3, OverallStatus::Critical,
     "Disk 4 SMART attributes failing now: 1 Raw Read Error Rate, 230; D: 5.0 % free, below 20 %",
     [](DriveHealth& h) {
         h = testing::ataDriveHealth(
             {{1, preFailure, 6, 6, 0, 6}, {5, preFailure, 100, 100, 0, 36}, {230, preFailure, 1, 1, 0, 2}}, 30);
     }},
    {"an attribute at its threshold that is not pre-failure", nothing, false, 3, OverallStatus::Ok,
     "1 drive and 1 volume ok",
     [](DriveHealth& h) {
         h = testing::ataDriveHealth({{190, 0x0032, 20, 20, 45, 45}}, 30);
     }},
    {"thresholds that could not be read", nothing, false, 3, OverallStatus::Warning, "Disk 4 reallocated sectors: 9000",
     [](DriveHealth& h) {
         const std::vector<std::uint8_t> data = testing::smartDataReply({{5, preFailure, 1, 1, 9000, 36}});
         h = ataHealth(data.data(), data.size());
         applyAtaThresholds(h, nullptr, 0);
     }},
    {"an NVMe critical warning", nothing, false, 3, OverallStatus::Critical,
     "Disk 4 NVMe critical warning: spare below threshold, reliability degraded",
     [](DriveHealth& h) {
         NvmeHealth log;
         log.criticalWarning = 0x05;
         h = testing::nvmeDriveHealth(log);
     }},
    {"a reserved NVMe warning bit", nothing, false, 3, OverallStatus::Critical,
     "Disk 4 NVMe critical warning: reserved bit 7",
     [](DriveHealth& h) {
         NvmeHealth log;
         log.criticalWarning = 0x80;
         h = testing::nvmeDriveHealth(log);
     }},
    {"a prediction and a failing attribute", [](DriveRecord& r) { r.predictOk = false; }, false, 3,
     OverallStatus::Critical,
     "Disk 4 predicts failure; Disk 4 SMART attribute failing now: 5 Reallocated Sectors Count",
     [](DriveHealth& h) {
         h = testing::ataDriveHealth({{5, preFailure, 36, 36, 1864, 36}}, 30);
     }},
    {"caution and a volume", nothing, true, 3, OverallStatus::Warning,
     "Disk 4 pending sectors: 2; D: 5.0 % free, below 20 %",
     [](DriveHealth& h) {
         h = testing::ataDriveHealth({{197, testing::advisory, 100, 100, 2, 0}}, 30);
     }},
    {"a prediction outranks caution", [](DriveRecord& r) { r.predictOk = false; }, false, 3, OverallStatus::Critical,
     "Disk 4 predicts failure",
     [](DriveHealth& h) {
         h = testing::ataDriveHealth({{197, testing::advisory, 100, 100, 2, 0}}, 30);
     }},
    {"a value of 0 under a threshold", nothing, false, 3, OverallStatus::Ok, "1 drive and 1 volume ok",
     [](DriveHealth& h) {
         h = testing::ataDriveHealth({{5, preFailure, 0, 0, 0, 36}, {230, preFailure, 255, 255, 0, 255}}, 30);
     }},
    {"no health data", nothing, false, 3, OverallStatus::Ok, "1 drive and 1 volume ok",
     [](DriveHealth& h) { h = testing::noDriveHealth("the drive could not be opened (error 5)"); }},
    {"a failing attribute of a drive that is gone", [](DriveRecord& r) { r.present = false; }, false, 3,
     OverallStatus::Ok, "0 drives and 1 volume ok",
     [](DriveHealth& h) {
         h = testing::ataDriveHealth({{5, preFailure, 36, 36, 1864, 36}}, 30);
     }},
    {"a standard user, whose SMART requests are refused", [](DriveRecord& r) { r.versionError = 5; }, true, 3,
     OverallStatus::Warning, "D: 5.0 % free, below 20 %; SMART data not read: it needs administrator rights"},
    {"a standard user with all well", [](DriveRecord& r) { r.versionError = 5; }, false, 3, OverallStatus::Ok,
     "1 drive and 1 volume ok; SMART data not read: it needs administrator rights"},
    {"a volume row for no slot", nothing, true, 26, OverallStatus::Ok, "1 drive and 0 volumes ok"},
    {"a volume row for a negative slot", nothing, true, -1, OverallStatus::Ok, "1 drive and 0 volumes ok"},
};

TEST(ReportStatus, DrivesAndTheirHealthMakeItCriticalAndVolumesAWarning) {
    for (const StatusCase& c : statusCases) {
        DriveTable drives;
        drives[4] = healthyDrive(4, "ACME", "X100", "S1");
        c.spoil(drives[4]);
        VolumeRow volume = volumeRow(3, "Data", 1000, 50, 20, false);
        volume.slot = c.volumeSlot;
        volume.inWarning = c.volumeBelowLimit;
        HealthTable health;
        c.health(health[4]);
        const Report report = reportOf(drives, {volume}, health);
        EXPECT_EQ(report.status, c.status) << c.what;
        EXPECT_EQ(reasonText(report), c.reason) << c.what;
        EXPECT_EQ(exitCode(report.status), static_cast<int>(c.status)) << c.what;
    }
}

TEST(ReportStatus, ExitCodesAreThoseOfMonitoringPlugins) {
    EXPECT_EQ(exitCode(OverallStatus::Ok), 0);
    EXPECT_EQ(exitCode(OverallStatus::Warning), 1);
    EXPECT_EQ(exitCode(OverallStatus::Critical), 2);
    EXPECT_EQ(exitCode(OverallStatus::Unknown), 3);
}

TEST(ReportStatus, TheVolumeVerdictIsTheCallersNotRecomputed) {
    // 5 % free against 20 % but judged ok by the caller, and the reverse: the report follows.
    VolumeRow judgedOk = volumeRow(3, "Data", 1000, 50, 20, false);
    judgedOk.inWarning = false;
    EXPECT_EQ(reportOf({}, {judgedOk}).status, OverallStatus::Ok);
    VolumeRow judgedLow = volumeRow(2, "System", 1000, 900, 10, true);
    judgedLow.inWarning = true;
    EXPECT_EQ(reportOf({}, {judgedLow}).status, OverallStatus::Warning);
}

TEST(ReportStatus, TheDriveVerdictIsTheRefreshsNotRecomputed) {
    // A drive whose record predicts failure, judged caution by the refresh, and a healthy drive
    // judged failing: the report takes both verdicts as they are.
    const testing::ScenarioMessages messages;
    RefreshResult refresh;
    refresh.drives[0] = healthyDrive(0, "ACME", "X100", "S1");
    refresh.drives[0].predictOk = false;
    refresh.drives[3] = healthyDrive(3, "ACME", "X200", "S3");
    refresh.verdicts[0] = {DriveStatus::Caution, {"as the refresh saw it"}};
    const Report caution = buildReport({refresh, {}, ThresholdSource::SettingsFile, "1.0", "t"}, messages);
    EXPECT_EQ(caution.status, OverallStatus::Warning);
    EXPECT_EQ(reasonText(caution), "Disk 0 as the refresh saw it");
    EXPECT_TRUE(failurePredicted(caution.drives[0])) << "the record's own prediction is still shown";
    refresh.verdicts[3] = {DriveStatus::Failing, {"failing by the refresh"}};
    const Report failing = buildReport({refresh, {}, ThresholdSource::SettingsFile, "1.0", "t"}, messages);
    EXPECT_EQ(failing.status, OverallStatus::Critical);
    EXPECT_EQ(failing.drives[1].verdict.reasons, std::vector<std::string>{"failing by the refresh"});
}

// A problem of the run joins the reason; only an ok verdict becomes unknown by it.
TEST(ReportStatus, AProblemOfTheRunNeverHidesAWorseVerdict) {
    const struct {
        bool failing, low;
        OverallStatus status;
        const char* reason;
    } cases[] = {
        {true, true, OverallStatus::Critical, "Disk 0 predicts failure; D: 5.0 % free, below 20 %; metrics lost"},
        {false, true, OverallStatus::Warning, "D: 5.0 % free, below 20 %; metrics lost"},
        {false, false, OverallStatus::Unknown, "1 drive and 1 volume ok; metrics lost"},
    };
    for (const auto& c : cases) {
        DriveTable drives;
        drives[0] = healthyDrive(0, "ACME", "X100", "S1");
        drives[0].predictOk = !c.failing;
        VolumeRow volume = volumeRow(3, "Data", 1000, 50, 20, false);
        volume.inWarning = c.low;
        Report report = reportOf(drives, {volume});
        addRunProblem(report, "metrics lost");
        EXPECT_EQ(report.status, c.status) << c.reason;
        EXPECT_EQ(reasonText(report), c.reason);
        EXPECT_EQ(report.drives.size(), 1u);
    }
}

TEST(ReportDrives, OnlyListedDrivesInNumberOrderWithTheirVerdicts) {
    DriveTable drives;
    drives[7] = healthyDrive(7, "ACME", "X100", "S7");
    drives[7].statusError = 31;
    drives[2] = accessDeniedDrive(2);
    drives[5].present = true;  // answered but never probed conclusively: not listed
    const Report report = reportOf(drives, {});
    ASSERT_EQ(report.drives.size(), 2u);
    EXPECT_EQ(report.drives[0].record.driveNumber, 2);
    EXPECT_EQ(report.drives[0].spf, SpfState::NoData);
    EXPECT_EQ(report.drives[0].smart, SmartState::NoData);
    EXPECT_EQ(report.drives[1].record.driveNumber, 7);
    EXPECT_EQ(report.drives[1].spf, SpfState::Ok);
    EXPECT_EQ(report.drives[1].smart, SmartState::QueryFailed);
    EXPECT_FALSE(failurePredicted(report.drives[1]));
}

TEST(ReportDrives, IdentityIsReadCannotBeReadOrWasNeverRead) {
    DriveTable drives;
    drives[0] = healthyDrive(0, "ACME", "X100", "S1");
    drives[1] = healthyDrive(1, "OLD", "Stale", "STALE");
    drives[1].identityError = testing::accessDenied;
    drives[2] = healthyDrive(2, "NEW", "Unknown Code", "S2");
    drives[2].identityError = 1117;
    drives[3] = accessDeniedDrive(3);
    const Report report = reportOf(drives, {});
    ASSERT_EQ(report.drives.size(), 4u);

    EXPECT_EQ(report.drives[0].identity, IdentityState::Read);
    EXPECT_EQ(report.drives[0].record.displayName, "ACME X100");
    EXPECT_EQ(report.drives[0].cannotReadText, "");

    EXPECT_EQ(report.drives[1].identity, IdentityState::CannotRead);
    EXPECT_EQ(report.drives[1].cannotReadText, "Cannot Read - Access is denied.\r\n");
    // As in the window, the identity block from before the failure is not reported.
    EXPECT_EQ(report.drives[1].record.displayName, "");
    EXPECT_EQ(report.drives[1].record.serial, "");
    EXPECT_EQ(report.drives[1].record.busTypeText, "");
    EXPECT_EQ(report.drives[1].record.identityError, testing::accessDenied);

    EXPECT_EQ(report.drives[2].cannotReadText, "Cannot Read - Unknown Error");
    EXPECT_EQ(report.drives[3].identity, IdentityState::NotRead);
    EXPECT_EQ(report.drives[3].cannotReadText, "");
}

TEST(ReportIdentifiers, VerdictsHaveStableLowercaseNames) {
    EXPECT_STREQ(statusIdentifier(OverallStatus::Critical), "critical");
    EXPECT_STREQ(statusWord(OverallStatus::Unknown), "UNKNOWN");
    EXPECT_STREQ(stateLook(SpfState::FailurePredicted).identifier, "failure_predicted");
    EXPECT_STREQ(stateLook(SmartState::QueryFailed).identifier, "query_failed");
    EXPECT_STREQ(stateLook(SmartState::NoData).identifier, "no_data");
    EXPECT_STREQ(identityIdentifier(IdentityState::CannotRead), "cannot_read");
    EXPECT_STREQ(thresholdSourceIdentifier(ThresholdSource::DefaultsFileInvalid), "defaults_file_invalid");
    EXPECT_EQ(volumeName(2), "C:");
    EXPECT_EQ(volumeName(25), "Z:");
    EXPECT_EQ(volumePercentText(45.349), "45.3 %");
    EXPECT_EQ(volumePercentText(5.0), "5.0 %");
}

}  // namespace
}  // namespace kestrine
