#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/report_scenarios.h"
#include "tray/problem_news.h"
#include "tray/status_events.h"

namespace kestrine {
namespace {

enum class Health { Failing, Fine, Caution };  // a caution is neither a problem nor ok

WatchedItem drive(int number, Health health) {
    const std::string label = "Disk " + std::to_string(number) + " - Model" + std::to_string(number);
    return {WatchedItem::Kind::Drive,    number,
            health == Health::Failing,   health == Health::Fine,
            label + " predicts failure", {label, "predicts failure", "spf" + std::to_string(number)}};
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
    {"a caution: forgotten without news", {{drive(1, Health::Failing)}, {drive(1, Health::Caution)}}, {}, {}},
    {"a caution, then failing again: new",
     {{drive(1, Health::Failing)}, {drive(1, Health::Caution)}, {drive(1, Health::Failing)}},
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

// Only the same problems in the same order are the ones it holds.
TEST(ProblemWatch, HoldsExactlyTheLastRefreshsProblems) {
    using Kind = WatchedItem::Kind;
    ProblemWatch watch;
    EXPECT_TRUE(watch.holds({}));
    watch.update({drive(0, Health::Fine), drive(1, Health::Failing), volume(3, Health::Failing)});
    EXPECT_TRUE(watch.holds({{Kind::Drive, 1}, {Kind::Volume, 3}}));
    EXPECT_FALSE(watch.holds({{Kind::Drive, 1}}));
    EXPECT_FALSE(watch.holds({{Kind::Drive, 1}, {Kind::Drive, 3}}));
    EXPECT_FALSE(watch.holds({{Kind::Drive, 0}, {Kind::Drive, 1}, {Kind::Volume, 3}}));
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
        std::vector<std::string> appeared;
        for (std::size_t i = 0; i < row.problems; ++i)
            appeared.push_back(drive(static_cast<int>(i), Health::Failing).line);
        EXPECT_EQ(notificationText(appeared), row.text) << row.problems << " problems";
    }
}

TEST(StatusEvents, NewProblemsThenRecoveriesEachWithItsFigures) {
    const ProblemNews news{{drive(1, Health::Failing), volume(3, Health::Failing)},
                           {drive(4, Health::Fine), volume(5, Health::Fine)}};
    const std::vector<LogEvent> expected = {
        {EventType::Error, 100, {"Disk 1 - Model1", "predicts failure", "spf1"}},
        {EventType::Warning, 200, {"D:", "3 %"}},
        {EventType::Information, 101, {"Disk 4 - Model4", "predicts failure", "spf4"}},
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

// The file and why it could not be read, in the system's words with the code, or the code
// alone; the folder an elevated copy refused.
TEST(StatusEvents, SettingsNotReadNamesTheFileAndTheSystemsErrorAndARefusedFolderItsPath) {
    testing::ScenarioMessages messages;
    messages.texts[32] = "The process cannot access the file because it is being used by another process.\r\n";
    const std::string file = "C:\\ProgramData\\VTN\\KSTM\\KSTMC.dat";
    EXPECT_EQ(settingsNotRead(file, 32, messages),
              (LogEvent{EventType::Error,
                        301,
                        {file,
                         "The process cannot access the file because it is being used by another process. "
                         "(error 32)"}}));
    EXPECT_EQ(settingsNotRead(file, 1784, messages), (LogEvent{EventType::Error, 301, {file, "error 1784"}}));
    EXPECT_EQ(settingsFolderRefused("C:\\ProgramData\\VTN"),
              (LogEvent{EventType::Error, 302, {"C:\\ProgramData\\VTN"}}));
}

}  // namespace
}  // namespace kestrine
