#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_list_control.h"
#include "ui/drive_panel.h"

namespace kestrine {
namespace {

constexpr std::uint32_t grey = 0x606060;
constexpr std::uint32_t green = 0x00A000;
constexpr std::uint32_t red = 0x0000A0;

// The system knows a text for "access denied" only.
class FakeMessages : public SystemMessages {
public:
    bool lookup(std::uint32_t code, std::string& text) const override {
        if (code != 5) return false;
        text = "Access is denied.\r\n";
        return true;
    }
};

DriveRecord readDrive() {
    DriveRecord r;
    r.present = r.probed = r.identityValid = true;
    r.displayName = "ACME X100";
    r.serial = "SN123";
    r.busType = 11;
    r.busTypeText = "SATA";
    r.predictQueried = r.predictOk = true;
    r.smartCapable = true;
    return r;
}

void expectNoDetails(const DrivePanelTexts& t) {
    EXPECT_EQ(t.name, "None Selected");
    EXPECT_EQ(t.serial, "...");
    EXPECT_EQ(t.bus, "...");
    EXPECT_EQ(t.fixedRemovable, "...");
    EXPECT_EQ(t.spfStatus, "...");
    EXPECT_EQ(t.smartStatus, "...");
    EXPECT_FALSE(t.stateColors);
}

const FakeMessages messages;
const HealthTable noHealth{};

TEST(DrivePanel, NothingMarkedShowsNoneSelected) { expectNoDetails(drivePanelTexts(nullptr, noHealth, messages)); }

TEST(DrivePanel, DriveRefusedAtFirstOpenShowsNoneSelected) {
    DriveRecord r;
    r.present = r.probed = true;
    expectNoDetails(drivePanelTexts(&r, noHealth, messages));
}

TEST(DrivePanel, UnpluggedDriveShowsNoneSelected) {
    DriveRecord r = readDrive();
    r.present = false;
    expectNoDetails(drivePanelTexts(&r, noHealth, messages));
}

TEST(DrivePanel, ReadDriveShowsIdentityAndGreenStates) {
    const DriveRecord r = readDrive();
    const DrivePanelTexts t = drivePanelTexts(&r, noHealth, messages);
    EXPECT_EQ(t.name, "ACME X100");
    EXPECT_EQ(t.serial, "SN123");
    EXPECT_EQ(t.bus, "SATA");
    EXPECT_EQ(t.fixedRemovable, "Fixed");
    EXPECT_EQ(t.spfStatus, "Ok");
    EXPECT_EQ(t.smartStatus, "Ok");
    EXPECT_TRUE(t.stateColors);
    EXPECT_EQ(t.spfColor, green);
    EXPECT_EQ(t.smartColor, green);
}

TEST(DrivePanel, RemovableDriveSaysRemovable) {
    DriveRecord r = readDrive();
    r.removable = true;
    EXPECT_EQ(drivePanelTexts(&r, noHealth, messages).fixedRemovable, "Removable");
}

TEST(DrivePanel, PredictedFailureIsRedAndFailedQueryGrey) {
    DriveRecord r = readDrive();
    r.predictOk = false;
    r.statusError = 31;
    const DrivePanelTexts t = drivePanelTexts(&r, noHealth, messages);
    EXPECT_EQ(t.spfStatus, "Failure Predicted");
    EXPECT_EQ(t.spfColor, red);
    EXPECT_EQ(t.smartStatus, "Query Fail");
    EXPECT_EQ(t.smartColor, grey);
}

TEST(DrivePanel, MissingDataIsGreyNoDataAvailable) {
    DriveRecord r = readDrive();
    r.predictQueried = r.predictOk = false;
    r.smartCapable = false;
    const DrivePanelTexts t = drivePanelTexts(&r, noHealth, messages);
    EXPECT_EQ(t.spfStatus, "No Data Available");
    EXPECT_EQ(t.smartStatus, "No Data Available");
    EXPECT_EQ(t.spfColor, grey);
    EXPECT_EQ(t.smartColor, grey);
}

TEST(DrivePanel, FailingIdentityShowsCannotReadButKeepsStates) {
    DriveRecord r = readDrive();
    r.identityError = 5;
    r.thresholdExceeded = true;
    const DrivePanelTexts t = drivePanelTexts(&r, noHealth, messages);
    EXPECT_EQ(t.name, "None Selected");
    EXPECT_EQ(t.serial, "Cannot Read - Access is denied.\r\n");
    EXPECT_EQ(t.bus, t.serial);
    EXPECT_EQ(t.fixedRemovable, t.serial);
    EXPECT_EQ(t.spfStatus, "Ok");
    EXPECT_EQ(t.smartStatus, "Failure Predicted");
    EXPECT_TRUE(t.stateColors);
    EXPECT_EQ(t.smartColor, red);
}

// An NVMe drive refusing SMART shows its own number's health log as its SMART Status.
TEST(DrivePanel, NvmeDriveShowsTheLogVerdictOfItsOwnHealthEntry) {
    DriveRecord r = readDrive();
    r.driveNumber = 5;
    r.busType = 17;
    r.smartCapable = false;
    HealthTable health;
    health[4].source = HealthSource::NvmeLog;
    EXPECT_EQ(drivePanelTexts(&r, health, messages).smartStatus, "No Data Available");
    health[5].source = HealthSource::NvmeLog;
    health[5].nvme.criticalWarning = 0x01;
    const DrivePanelTexts t = drivePanelTexts(&r, health, messages);
    EXPECT_EQ(t.smartStatus, "Failure Predicted");
    EXPECT_EQ(t.smartColor, red);
    health[5].nvme.criticalWarning = 0;
    EXPECT_EQ(drivePanelTexts(&r, health, messages).smartStatus, "Ok");
}

// A drive whose SMART data could not be read shows the recalled sample's status and its age,
// in whole minutes, hours or days, one without a plural.
TEST(DrivePanel, RecalledSampleShowsItsStatusAndAge) {
    DriveRecord r = readDrive();
    r.driveNumber = 3;
    constexpr UtcSeconds now = 1'796'000'000, minute = 60, hour = 60 * minute, day = 24 * hour;
    const struct {
        UtcSeconds age;
        SampleStatus status;
        const char* text;
        Color color;
    } rows[] = {
        {59, SampleStatus::Ok, "Ok (read less than a minute ago)", green},
        {minute, SampleStatus::Ok, "Ok (read 1 minute ago)", green},
        {5 * minute + 59, SampleStatus::Caution, "Caution (read 5 minutes ago)", 0x0070C0},
        {hour, SampleStatus::Failing, "Failure Predicted (read 1 hour ago)", red},
        {3 * hour + 59 * minute, SampleStatus::Ok, "Ok (read 3 hours ago)", green},
        {day - 1, SampleStatus::Ok, "Ok (read 23 hours ago)", green},
        {day, SampleStatus::Ok, "Ok (read 1 day ago)", green},
        {7 * day, SampleStatus::Caution, "Caution (read 7 days ago)", 0x0070C0},
    };
    for (const auto& row : rows) {
        DriveJudgements judged;
        judged.judgedAt = now;
        HealthSample sample;
        sample.time = now - row.age;
        sample.status = row.status;
        judged.recalled[3] = sample;
        const DrivePanelTexts t = drivePanelTexts(&r, noHealth, messages, judged);
        EXPECT_EQ(t.smartStatus, row.text);
        EXPECT_EQ(t.smartColor, row.color) << row.text;
        EXPECT_EQ(t.spfStatus, "Ok") << "the storage stack's own prediction stays as read";
    }
    EXPECT_EQ(drivePanelTexts(&r, noHealth, messages, DriveJudgements{}).smartStatus, "Ok");
}

TEST(DrivePanel, ErrorWithoutSystemTextIsUnknownError) {
    DriveRecord r = readDrive();
    r.identityError = 0x12345;
    EXPECT_EQ(drivePanelTexts(&r, noHealth, messages).serial, "Cannot Read - Unknown Error");
}

TEST(DrivePanel, StatesHaveTheirColours) {
    EXPECT_EQ(stateLook(SpfState::NoData).color, 0x606060u);
    EXPECT_EQ(stateLook(SpfState::Ok).color, 0x00A000u);
    EXPECT_EQ(stateLook(SpfState::FailurePredicted).color, 0x0000A0u);
    EXPECT_EQ(stateLook(SmartState::NoData).color, 0x606060u);
    EXPECT_EQ(stateLook(SmartState::QueryFailed).color, 0x606060u);
    EXPECT_EQ(stateLook(SmartState::Ok).color, 0x00A000u);
    EXPECT_EQ(stateLook(SmartState::FailurePredicted).color, 0x0000A0u);
}

TEST(MarkedDrive, FollowsTheMarkToTheEntrysDriveNumber) {
    DriveTable drives;
    testing::FakeListControl list;
    list.insert(0, "Disk 3", 0, 3);
    list.insert(1, "Disk 7", 0, 7);
    list.mark = 1;
    EXPECT_EQ(markedDrive(drives, list), &drives[7]);
    list.mark = 0;
    EXPECT_EQ(markedDrive(drives, list), &drives[3]);
}

TEST(MarkedDrive, NoMarkOrForeignItemDataGivesNone) {
    DriveTable drives;
    testing::FakeListControl list;
    EXPECT_EQ(markedDrive(drives, list), nullptr);
    list.insert(0, "bad", 0, 16);
    list.insert(1, "worse", 0, -1);
    list.mark = 0;
    EXPECT_EQ(markedDrive(drives, list), nullptr);
    list.mark = 1;
    EXPECT_EQ(markedDrive(drives, list), nullptr);
    list.mark = 2;  // beyond the last entry
    EXPECT_EQ(markedDrive(drives, list), nullptr);
}

}  // namespace
}  // namespace kestrine
