#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "refresh/caution_news.h"
#include "refresh/watched_items.h"
#include "tray/status_events.h"

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

// Each count's noun, one without a plural, with its accepted value; past failures by their
// ids. A count at or below the previous sample's, an accepted one, or one told already is no news.
TEST(CautionNews, EachNewOrGrownCountHasItsLineAndEventOnce) {
    RefreshResult result;
    result.drives[1] = listedDrive(1, "WDC WD5000AAKS", true);
    result.drives[1].serial = "WD-123";
    result.drives[3] = listedDrive(3, "Samsung 980", true);
    const auto count = [](CautionCount kind, std::uint64_t value, std::optional<std::uint64_t> accepted,
                          CautionState state) {
        CountJudgement judged{kind, cautionCountName(kind), value, std::nullopt, state};
        if (accepted) judged.accepted = CountAcceptance{*accepted, 1, *accepted};
        return judged;
    };
    result.cautions[1].counts = {count(CautionCount::ReallocatedSectors, 70, 63, CautionState::Grown),
                                 count(CautionCount::PendingSectors, 1, std::nullopt, CautionState::New),
                                 count(CautionCount::UncorrectableSectors, 2, std::nullopt, CautionState::New),
                                 count(CautionCount::ReportedUncorrectableErrors, 4, 4, CautionState::Accepted)};
    result.cautions[1].pastFailures = PastFailureJudgement{{5, 197}, {5, 197}, std::nullopt, CautionState::New};
    result.cautions[3].counts = {count(CautionCount::MediaErrors, 3, std::nullopt, CautionState::New)};
    HealthSample previous;
    previous.counts[static_cast<std::size_t>(CautionCount::UncorrectableSectors)] = 2;
    result.previous[1] = previous;

    CautionWatch watch;
    const std::vector<CautionNews> news = watch.update(result);
    std::vector<std::string> lines;
    for (const CautionNews& item : news) lines.push_back(item.line);
    EXPECT_EQ(lines, (std::vector<std::string>{"Disk 1 - WDC WD5000AAKS: 70 reallocated sectors, 63 accepted",
                                               "Disk 1 - WDC WD5000AAKS: 1 pending sector",
                                               "Disk 1 - WDC WD5000AAKS: attributes 5, 197 failed in the past",
                                               "Disk 3 - Samsung 980: 3 media errors"}));
    EXPECT_EQ(news[0].event,
              (LogEvent{EventType::Warning,
                        cautionGrownEvent,
                        {"Disk 1 - WDC WD5000AAKS", "WDC WD5000AAKS", "WD-123", "reallocated sectors", "70", "63"}}));
    EXPECT_EQ(news[2].event.strings, (Figures{"Disk 1 - WDC WD5000AAKS", "WDC WD5000AAKS", "WD-123",
                                              "attributes that failed in the past", "5, 197", "none"}));
    EXPECT_EQ(cautionCountsText(result.cautions[1]),
              "70 reallocated sectors, 1 pending sector, 2 uncorrectable sectors, 4 reported uncorrectable errors, "
              "attributes 5, 197 failed in the past");
    EXPECT_EQ(cautionCountsText(CautionJudgement{}), "no caution counts");

    EXPECT_TRUE(watch.update(result).empty()) << "told once, also where the history kept no sample";
    result.cautions[3].counts[0].value = 4;
    ASSERT_EQ(watch.update(result).size(), 1u);
    result.drives[3].displayName = "Samsung 990";  // another drive at that number
    result.cautions[3].counts[0].value = 2;
    EXPECT_EQ(watch.update(result).at(0).line, "Disk 3 - Samsung 990: 2 media errors");
}

}  // namespace
}  // namespace kestrine
