#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "refresh/watched_items.h"

namespace kestrine {
namespace {

DriveRecord listedDrive(int number, const char* name, bool predictOk) {
    DriveRecord drive;
    drive.present = drive.probed = drive.identityValid = true;
    drive.driveNumber = number;
    drive.displayName = name;
    drive.predictQueried = true;
    drive.predictOk = predictOk;
    return drive;
}

using Figures = std::vector<std::string>;

TEST(WatchedItems, ListedDrivesByTheirVerdictAndPresentVolumesWithTheirLinesAndFigures) {
    RefreshResult result;
    result.drives[0] = listedDrive(0, "Samsung SSD 870", true);
    result.drives[1] = listedDrive(1, "WDC WD5000AAKS", false);
    result.drives[1].smartCapable = true;
    result.drives[1].thresholdExceeded = true;
    result.drives[2].present = true;  // answered, but nothing conclusive: not listed
    result.drives[4] = listedDrive(4, "Samsung 980", true);
    result.verdicts[1] = {DriveStatus::Failing, {"predicts failure"}};
    result.verdicts[4] = {DriveStatus::Failing, {"NVMe critical warning: spare below threshold", "too hot"}};
    result.volumeScan.answered = true;
    result.volumeScan.verdicts = {{2, true, false, 10, "System"}, {3, true, true, 12, ""}, {4, false, false, 0, ""}};
    result.volumes[2] = {200'000'000'000, 111'000'000'000, 55.5};
    result.volumes[3] = {500'000'000'000, 59'800'000'000, 11.96};

    const std::vector<WatchedItem> items = watchedItems(result);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_FALSE(items[0].problem);
    EXPECT_TRUE(items[0].ok);
    EXPECT_EQ(items[1].kind, WatchedItem::Kind::Drive);
    EXPECT_EQ(items[1].number, 1);
    EXPECT_TRUE(items[1].problem);
    EXPECT_FALSE(items[1].ok);
    EXPECT_EQ(items[1].line, "Disk 1 - WDC WD5000AAKS predicts failure");
    EXPECT_EQ(items[1].figures,
              (Figures{"Disk 1 - WDC WD5000AAKS", "predicts failure", "Failure Predicted", "Failure Predicted"}));
    EXPECT_EQ(items[2].number, 4);
    EXPECT_EQ(items[2].line, "Disk 4 - Samsung 980 NVMe critical warning: spare below threshold, too hot");
    EXPECT_EQ(items[2].figures[2], "Ok");
    EXPECT_EQ(items[3].figures, (Figures{"C:", "55.5 %", "111.0 GB", "200.0 GB", "10"}));
    EXPECT_TRUE(items[3].ok);
    EXPECT_EQ(items[4].kind, WatchedItem::Kind::Volume);
    EXPECT_EQ(items[4].number, 3);
    EXPECT_TRUE(items[4].problem);
    EXPECT_FALSE(items[4].ok);
    // Rounded down, as the report rounds: never "12.0 % free, below 12 %".
    EXPECT_EQ(items[4].line, "D: 11.9 % free, below 12 %");
    EXPECT_EQ(items[4].figures, (Figures{"D:", "11.9 %", "59.8 GB", "500.0 GB", "12"}));
    using Kind = WatchedItem::Kind;
    EXPECT_EQ(problemsOf(result), (std::vector<ProblemKey>{{Kind::Drive, 1}, {Kind::Drive, 4}, {Kind::Volume, 3}}));
}

TEST(WatchedItems, ACautionIsNeitherAProblemNorOk) {
    RefreshResult result;
    result.drives[5] = listedDrive(5, "Quiet", true);
    result.verdicts[5] = {DriveStatus::Caution, {"temperature above its warning"}};
    const std::vector<WatchedItem> items = watchedItems(result);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_FALSE(items[0].problem);
    EXPECT_FALSE(items[0].ok);
    EXPECT_TRUE(problemsOf(result).empty());
}

}  // namespace
}  // namespace kestrine
