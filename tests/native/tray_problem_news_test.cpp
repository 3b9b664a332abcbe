#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tray/problem_news.h"
#include "tray/status_events.h"
#include "tray/watched_items.h"

namespace kestrine {
namespace {

enum class Health { Failing, Fine, NoData };

WatchedItem drive(int number, Health health) {
    const std::string label = "Disk " + std::to_string(number) + " - Model" + std::to_string(number);
    return {WatchedItem::Kind::Drive,    number,
            health == Health::Failing,   health == Health::Fine,
            label + " predicts failure", {label, "spf" + std::to_string(number), "smart" + std::to_string(number)}};
}

WatchedItem volume(int slot, Health health) {
    const std::string name = std::string(1, static_cast<char>('A' + slot)) + ':';
    return {WatchedItem::Kind::Volume, slot,          health == Health::Failing,
            health == Health::Fine,    name + " low", {name, std::to_string(slot) + " %"}};
}

using Refresh = std::vector<WatchedItem>;

struct NewsRow {
    const char* what;
    std::vector<Refresh> refreshes;
    std::vector<std::string> appeared;   // lines, after the last refresh
    std::vector<std::string> recovered;  // lines, after the last refresh
};

const NewsRow newsRows[] = {
    {"first refresh: every problem is new",
     {{drive(0, Health::Fine), drive(1, Health::Failing), volume(3, Health::Failing)}},
     {"Disk 1 - Model1 predicts failure", "D: low"},
     {}},
    {"still there: not new again", {{drive(1, Health::Failing)}, {drive(1, Health::Failing)}}, {}, {}},
    {"gone: ok again",
     {{drive(1, Health::Failing), volume(3, Health::Failing)}, {drive(1, Health::Fine), volume(3, Health::Fine)}},
     {},
     {"Disk 1 - Model1 predicts failure", "D: low"}},
    {"back after it had gone",
     {{drive(1, Health::Failing)}, {drive(1, Health::Fine)}, {drive(1, Health::Failing)}},
     {"Disk 1 - Model1 predicts failure"},
     {}},
    {"several at once",
     {{drive(0, Health::Fine)}, {drive(0, Health::Failing), drive(2, Health::Failing), volume(4, Health::Failing)}},
     {"Disk 0 - Model0 predicts failure", "Disk 2 - Model2 predicts failure", "E: low"},
     {}},
    {"one recovers as another fails",
     {{drive(0, Health::Failing), drive(1, Health::Fine)}, {drive(0, Health::Fine), drive(1, Health::Failing)}},
     {"Disk 1 - Model1 predicts failure"},
     {"Disk 0 - Model0 predicts failure"}},
    {"no data: forgotten without news", {{drive(1, Health::Failing)}, {drive(1, Health::NoData)}}, {}, {}},
    {"no data, then failing again: new",
     {{drive(1, Health::Failing)}, {drive(1, Health::NoData)}, {drive(1, Health::Failing)}},
     {"Disk 1 - Model1 predicts failure"},
     {}},
    {"missing, then there again: new",
     {{volume(3, Health::Failing)}, {}, {volume(3, Health::Failing)}},
     {"D: low"},
     {}},
    {"a drive and a volume of the same number are two items",
     {{drive(3, Health::Failing)}, {drive(3, Health::Failing), volume(3, Health::Failing)}},
     {"D: low"},
     {}},
    {"fine from the start: nothing",
     {{drive(0, Health::Fine), volume(2, Health::Fine)}, {drive(0, Health::Fine)}},
     {},
     {}},
};

std::vector<std::string> linesOf(const std::vector<WatchedItem>& items) {
    std::vector<std::string> lines;
    for (const WatchedItem& item : items) lines.push_back(item.line);
    return lines;
}

TEST(ProblemWatch, TellsWhatIsNewAndWhatIsOkAgain) {
    for (const NewsRow& row : newsRows) {
        ProblemWatch watch;
        ProblemNews news;
        for (const Refresh& refresh : row.refreshes) news = watch.update(refresh);
        EXPECT_EQ(linesOf(news.appeared), row.appeared) << row.what;
        EXPECT_EQ(linesOf(news.recovered), row.recovered) << row.what;
    }
}

struct TextRow {
    std::size_t problems;
    const char* text;
};

const TextRow textRows[] = {
    {0, ""},
    {1, "Disk 0 - Model0 predicts failure"},
    {3, "Disk 0 - Model0 predicts failure\nDisk 1 - Model1 predicts failure\nDisk 2 - Model2 predicts failure"},
    {4,
     "Disk 0 - Model0 predicts failure\nDisk 1 - Model1 predicts failure\nDisk 2 - Model2 predicts failure\n"
     "and 1 more"},
    {7,
     "Disk 0 - Model0 predicts failure\nDisk 1 - Model1 predicts failure\nDisk 2 - Model2 predicts failure\n"
     "and 4 more"},
};

TEST(Notification, ThreeLinesAtMostThenHowManyMore) {
    EXPECT_STREQ(notificationTitle, "Drive Status Warning");
    for (const TextRow& row : textRows) {
        std::vector<WatchedItem> appeared;
        for (std::size_t i = 0; i < row.problems; ++i) appeared.push_back(drive(static_cast<int>(i), Health::Failing));
        EXPECT_EQ(notificationText(appeared), row.text) << row.problems << " problems";
    }
}

TEST(StatusEvents, NewProblemsThenRecoveriesEachWithItsFigures) {
    const ProblemNews news{{drive(1, Health::Failing), volume(3, Health::Failing)},
                           {drive(4, Health::Fine), volume(5, Health::Fine)}};
    const std::vector<LogEvent> expected = {
        {EventType::Error, 100, {"Disk 1 - Model1", "spf1", "smart1"}},
        {EventType::Warning, 200, {"D:", "3 %"}},
        {EventType::Information, 101, {"Disk 4 - Model4", "spf4", "smart4"}},
        {EventType::Information, 201, {"F:", "5 %"}},
    };
    EXPECT_EQ(statusEvents(news), expected);
    EXPECT_TRUE(statusEvents(ProblemNews{}).empty());
}

TEST(StatusEvents, SettingsNotSavedNamesTheFile) {
    const LogEvent expected{EventType::Error, 300, {"C:\\ProgramData\\VTN\\KSTM\\KSTMC.dat"}};
    EXPECT_EQ(settingsNotSaved("C:\\ProgramData\\VTN\\KSTM\\KSTMC.dat"), expected);
    EXPECT_STREQ(eventSourceName, "Kestrine");
}

DriveRecord listedDrive(int number, const char* name, bool predictOk) {
    DriveRecord drive;
    drive.present = drive.probed = drive.identityValid = true;
    drive.driveNumber = number;
    drive.displayName = name;
    drive.predictQueried = true;
    drive.predictOk = predictOk;
    return drive;
}

TEST(WatchedItems, ListedDrivesAndPresentVolumesWithTheirLinesAndFigures) {
    DriveTable drives{};
    drives[0] = listedDrive(0, "Samsung SSD 870", true);
    drives[1] = listedDrive(1, "WDC WD5000AAKS", false);
    drives[1].versionError = 0;
    drives[1].smartCapable = true;
    drives[1].thresholdExceeded = true;
    drives[2].present = true;  // answered, but nothing conclusive: not listed
    drives[2].driveNumber = 2;

    VolumeScanResult volumes;
    volumes.answered = true;
    volumes.verdicts = {{2, true, false, 55.5, "System"}, {3, true, true, 4.2, ""}, {4, false, false, 0.0, ""}};
    VolumeTable table{};
    table[2] = {200'000'000'000, 111'000'000'000, 55.5};
    table[3] = {500'000'000'000, 21'000'000'000, 4.2};
    SettingsRecord thresholds = defaultSettings();
    thresholds.useDefault[3] = 0;
    thresholds.warningPercent[3] = 12;

    const std::vector<WatchedItem> items = watchedItems(drives, volumes, table, thresholds);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].line, "Disk 0 - Samsung SSD 870 predicts failure");
    EXPECT_FALSE(items[0].problem);
    EXPECT_TRUE(items[0].ok);
    EXPECT_EQ(items[1].kind, WatchedItem::Kind::Drive);
    EXPECT_EQ(items[1].number, 1);
    EXPECT_TRUE(items[1].problem);
    EXPECT_FALSE(items[1].ok);
    EXPECT_EQ(items[1].line, "Disk 1 - WDC WD5000AAKS predicts failure");
    EXPECT_EQ(items[1].figures,
              (std::vector<std::string>{"Disk 1 - WDC WD5000AAKS", "Failure Predicted", "Failure Predicted"}));
    EXPECT_EQ(items[2].figures, (std::vector<std::string>{"C:", "55.5 %", "111.0 GB", "200.0 GB", "10"}));
    EXPECT_TRUE(items[2].ok);
    EXPECT_EQ(items[3].kind, WatchedItem::Kind::Volume);
    EXPECT_EQ(items[3].number, 3);
    EXPECT_TRUE(items[3].problem);
    EXPECT_EQ(items[3].line, "D: 4.2 % free, below 12 %");
    EXPECT_EQ(items[3].figures, (std::vector<std::string>{"D:", "4.2 %", "21.0 GB", "500.0 GB", "12"}));
}

TEST(WatchedItems, ADriveWithoutDataIsNeitherAProblemNorOk) {
    DriveTable drives{};
    drives[5] = listedDrive(5, "Quiet", true);
    drives[5].predictQueried = false;
    const std::vector<WatchedItem> items = watchedItems(drives, VolumeScanResult{}, VolumeTable{}, defaultSettings());
    ASSERT_EQ(items.size(), 1u);
    EXPECT_FALSE(items[0].problem);
    EXPECT_FALSE(items[0].ok);
    EXPECT_EQ(items[0].figures[1], "No Data Available");
}

}  // namespace
}  // namespace kestrine
