#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "fakes/fake_list_control.h"
#include "probe/drive_verdict.h"
#include "ui/drive_list.h"
#include "ui/status_images.h"

namespace kestrine {
namespace {

using testing::FakeListControl;

// A drive read successfully, at indicator level 0, 1 or 2 through its predict-failure reply.
DriveRecord listedDrive(int number, const std::string& name, int level = 1) {
    DriveRecord r;
    r.present = r.probed = r.identityValid = true;
    r.driveNumber = number;
    r.displayName = name;
    r.predictQueried = level > 0;
    r.predictOk = level == 1;
    return r;
}

class DriveListRefill : public ::testing::Test {
protected:
    DriveTable drives;
    HealthTable health;
    FakeListControl list;

    // Returns the failing-drive count the refresh takes from the same table.
    int refill() {
        refillDriveList(drives, health, list);
        return failingDriveCount(judgeDrives(drives, health));
    }
    std::string textOf(int index) const { return list.text(index); }
};

TEST_F(DriveListRefill, FirstRefillListsDrivesInNumberOrderAndSelectsTheFirst) {
    drives[0] = listedDrive(0, "ACME X100");
    drives[1] = listedDrive(1, "ACME X200");
    drives[3] = listedDrive(3, "Other Disk", 0);
    drives[2].probed = true;  // probed and found absent
    refill();
    ASSERT_EQ(list.itemCount(), 3);
    EXPECT_EQ(textOf(0), "Disk 0 - ACME X100");
    EXPECT_EQ(textOf(1), "Disk 1 - ACME X200");
    EXPECT_EQ(textOf(2), "Disk 3 - Other Disk");
    EXPECT_EQ(list.data(2), 3);
    EXPECT_EQ(list.image(0), 1);
    EXPECT_EQ(list.image(2), 0);
    EXPECT_EQ(list.mark, 0);
    EXPECT_TRUE(list.items[0].selected);
    EXPECT_TRUE(list.items[0].focused);
    EXPECT_FALSE(list.items[1].selected);
    EXPECT_GE(list.selections, 1);
}

// An NVMe drive refusing SMART takes its picture from the health log in its own entry.
TEST_F(DriveListRefill, NvmeDriveShowsItsLogVerdict) {
    drives[2] = listedDrive(2, "NVMe Fast", 0);
    drives[2].busType = 17;
    health[1].source = HealthSource::NvmeLog;
    health[1].nvme.criticalWarning = 0x04;
    EXPECT_EQ(refill(), 0);
    EXPECT_EQ(list.image(0), 0);
    health[2] = health[1];
    EXPECT_EQ(refill(), 1);
    EXPECT_EQ(list.image(0), 2);
    health[2].nvme.criticalWarning = 0;
    EXPECT_EQ(refill(), 0);
    EXPECT_EQ(list.image(0), 1);
}

TEST_F(DriveListRefill, FreshTableListsNothing) {
    EXPECT_EQ(refill(), 0);
    EXPECT_EQ(list.itemCount(), 0);
    EXPECT_EQ(list.selections, 0);
    EXPECT_EQ(list.mark, -1);
}

TEST_F(DriveListRefill, OpenableDeviceWithoutIdentityStaysUnlisted) {
    drives[5].present = true;  // opened, identity query failed since the first probe
    drives[5].identityError = 31;
    refill();
    EXPECT_EQ(list.itemCount(), 0);
}

TEST_F(DriveListRefill, DriveRefusedAtFirstOpenShowsNumberAndDashWithQuestionMark) {
    drives[4].present = drives[4].probed = true;
    refill();
    ASSERT_EQ(list.itemCount(), 1);
    EXPECT_EQ(textOf(0), "Disk 4 - ");
    EXPECT_EQ(list.image(0), 0);
}

TEST_F(DriveListRefill, FailingCountHasEveryListedDriveAtLevelTwo) {
    drives[0] = listedDrive(0, "Spf Failing", 2);
    drives[1] = listedDrive(1, "Smart Failing", 0);
    drives[1].smartCapable = drives[1].thresholdExceeded = true;
    drives[2] = listedDrive(2, "Query Fail Only", 1);
    drives[2].smartCapable = true;
    drives[2].statusError = 31;
    drives[3] = listedDrive(3, "Healthy");
    EXPECT_EQ(refill(), 2);
    EXPECT_EQ(list.image(0), 2);
    EXPECT_EQ(list.image(1), 2);
    EXPECT_EQ(list.image(2), 1);
}

TEST_F(DriveListRefill, LaterRefillWritesOnlyChangedImages) {
    drives[0] = listedDrive(0, "A");
    drives[1] = listedDrive(1, "B");
    refill();
    list.mark = 1;
    const int selectionsAfterFirst = list.selections;
    refill();
    EXPECT_EQ(list.imageWrites, 0);
    EXPECT_EQ(list.textWrites, 0);

    drives[1] = listedDrive(1, "B", 2);
    EXPECT_EQ(refill(), 1);
    EXPECT_EQ(list.imageWrites, 1);
    EXPECT_EQ(list.image(1), 2);
    EXPECT_EQ(textOf(1), "Disk 1 - B");
    EXPECT_EQ(list.textWrites, 0);
    EXPECT_EQ(list.mark, 1);
    EXPECT_EQ(list.selections, selectionsAfterFirst);
}

TEST_F(DriveListRefill, DriveAppearingLaterIsAppendedWithoutMovingTheSelection) {
    drives[2] = listedDrive(2, "B");
    drives[3] = listedDrive(3, "C");
    refill();
    list.mark = 1;
    const int selectionsAfterFirst = list.selections;
    drives[0] = listedDrive(0, "A");
    refill();
    ASSERT_EQ(list.itemCount(), 3);
    EXPECT_EQ(textOf(2), "Disk 0 - A");
    EXPECT_EQ(list.mark, 1);
    EXPECT_EQ(list.selections, selectionsAfterFirst);
}

TEST_F(DriveListRefill, OtherDeviceAtTheSameNumberRenamesTheEntryOnce) {
    drives[0] = listedDrive(0, "ACME X100");
    refill();
    drives[0] = listedDrive(0, "Other Y7");
    refill();
    EXPECT_EQ(textOf(0), "Disk 0 - Other Y7");
    EXPECT_EQ(list.textWrites, 1);
    refill();
    EXPECT_EQ(list.textWrites, 1);
}

TEST_F(DriveListRefill, FailingIdentityQueryKeepsTheEntryTextUntilAQuerySucceeds) {
    drives[2] = listedDrive(2, "ACME X100");
    refill();
    drives[2].identityError = 5;
    refill();
    EXPECT_EQ(textOf(0), "Disk 2 - ACME X100");
    EXPECT_EQ(list.textWrites, 0);
    drives[2] = listedDrive(2, "Other Y7");  // the next query succeeds: another device
    refill();
    EXPECT_EQ(textOf(0), "Disk 2 - Other Y7");
}

TEST_F(DriveListRefill, UnpluggedDriveLeavesTheListAndTheCount) {
    drives[0] = listedDrive(0, "A");
    drives[1] = listedDrive(1, "B", 2);
    drives[2] = listedDrive(2, "C");
    EXPECT_EQ(refill(), 1);
    drives[1].present = false;  // not found any more; its old values stay in the record
    EXPECT_EQ(refill(), 0);
    ASSERT_EQ(list.itemCount(), 2);
    EXPECT_EQ(list.data(0), 0);
    EXPECT_EQ(list.data(1), 2);
}

TEST_F(DriveListRefill, ReplugAfterTheListEmptiedSelectsAgain) {
    drives[1] = listedDrive(1, "A");
    refill();
    drives[1].present = false;
    refill();
    EXPECT_EQ(list.itemCount(), 0);
    EXPECT_EQ(list.mark, -1);
    const int selectionsBefore = list.selections;
    drives[1].present = true;
    refill();
    ASSERT_EQ(list.itemCount(), 1);
    EXPECT_EQ(list.mark, 0);
    EXPECT_GT(list.selections, selectionsBefore);
}

TEST_F(DriveListRefill, FailedInsertionLeavesTheDriveForTheNextRefill) {
    drives[0] = listedDrive(0, "A", 2);
    list.failInserts = true;
    EXPECT_EQ(refill(), 1);
    EXPECT_EQ(list.itemCount(), 0);
    EXPECT_EQ(list.mark, -1);
    EXPECT_EQ(list.selections, 0);
    list.failInserts = false;
    refill();
    ASSERT_EQ(list.itemCount(), 1);
    EXPECT_EQ(list.mark, 0);
    EXPECT_EQ(list.selections, 1);
}

// The lists' status strip for the system's DPI: never scaled up, never past its largest drawing.
TEST(StatusImages, TheLargestDrawingNotAboveTheSystemsSmallIconSizeIsTaken) {
    const std::pair<int, int> rows[] = {{96, 16},  {108, 16}, {120, 16}, {143, 16}, {144, 24}, {168, 24},
                                        {191, 24}, {192, 32}, {288, 32}, {72, 16},  {0, 16},   {-96, 16}};
    for (const auto& [dpi, size] : rows) EXPECT_EQ(statusImageSize(dpi), size) << dpi << " dpi";
}

}  // namespace
}  // namespace kestrine
