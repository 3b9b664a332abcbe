// The events the window writes, as Wine's event log shows them. Wine keeps no event log: it
// prints each event's strings on its "eventlog" debug channel, errors as err:, warnings as
// warn: and the rest as trace:, one line per string:
//     0124:err:eventlog:ReportEventW L"Disk 0 - WDC WD5000AAKS"
// That output goes to the standard error Unix gave the process, so the program is started
// through Wine's loader with a file as its standard error.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "history/history_file.h"
#include "resource.h"
#include "win32_polling.h"
#include "win32_process.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

// A file that a child writes its standard error to; read through a handle of its own, so that
// reading moves nothing the writer uses.
class ErrorOutput {
public:
    ErrorOutput() {
        char folder[MAX_PATH] = {};
        char path[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        GetTempFileNameA(folder, "err", 0, path);
        path_ = path;
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        writer_.reset(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  &inheritable, CREATE_ALWAYS, 0, nullptr));
    }
    ~ErrorOutput() {
        writer_.reset();
        DeleteFileA(path_.c_str());
    }
    ErrorOutput(const ErrorOutput&) = delete;
    ErrorOutput& operator=(const ErrorOutput&) = delete;

    HANDLE writer() const { return writer_.get(); }

    std::string text() const {
        UniqueHandle reader(CreateFileA(path_.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
        std::string text;
        char buffer[4096];
        DWORD got = 0;
        while (reader.valid() && ReadFile(reader.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
            text.append(buffer, got);
        return text;
    }

private:
    std::string path_;
    UniqueHandle writer_;
};

// How many lines of the event log's `kind` ("err", "warn", "trace") hold `part`.
int printed(const std::string& output, const std::string& kind, const std::string& part) {
    std::istringstream lines(output);
    int count = 0;
    for (std::string line; std::getline(lines, line);)
        if (line.find(':' + kind + ":eventlog:") != std::string::npos && line.find(part) != std::string::npos) ++count;
    return count;
}

// The settings folder "KSTM" as a file: no settings file can be written below it.
class BlockedSettingsFolder {
public:
    BlockedSettingsFolder() : folder_(settingsPath().substr(0, settingsPath().find_last_of('\\'))) {
        DeleteFileA(settingsPath().c_str());
        for (const char* history : {"\\KSTMH.dat", "\\KSTMH.lock"}) DeleteFileA((folder_ + history).c_str());
        RemoveDirectoryA(folder_.c_str());
        UniqueHandle(CreateFileA(folder_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    ~BlockedSettingsFolder() { DeleteFileA(folder_.c_str()); }
    BlockedSettingsFolder(const BlockedSettingsFolder&) = delete;
    BlockedSettingsFolder& operator=(const BlockedSettingsFolder&) = delete;

private:
    std::string folder_;
};

// The drive list's context menu, once the program shows it: Wine's popup menu window.
HWND shownPopupMenu(DWORD processId) {
    for (HWND window : topLevelWindows(processId)) {
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::string(className) == "#32768" && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

void refreshNow(ProgramRun& run) { SendMessageA(run.window(), WM_COMMAND, MAKEWPARAM(ID_REFRESH_DATA, 0), 0); }

TEST(EventLog, EveryChangeReachesWinesEventLogWithItsStrings) {
    Bytes settings = defaultSettings();
    settings[defaultPercentAt] = 1;  // the drives alone make the events
    ASSERT_TRUE(writeSettings(settings));
    ScenarioFile drives("0 failing-spf vendor=WDC product=WD5000AAKS\n");
    ErrorOutput output;
    ASSERT_NE(output.writer(), INVALID_HANDLE_VALUE);
    ProgramRun run(support::startThroughWineLoader("kestrine_scripted.exe", output.writer(), "-all,+eventlog"));
    ASSERT_TRUE(run.waitForFirstRefresh());

    // The first refresh after start finds the failing drive new: one error event.
    const std::string driveString = "L\"Disk 0 - WDC WD5000AAKS\"";
    EXPECT_TRUE(waitUntil([&] { return printed(output.text(), "err", driveString) == 1; }));
    EXPECT_EQ(printed(output.text(), "err", "L\"Failure Predicted\""), 1);

    // Still failing: nothing more.
    refreshNow(run);
    EXPECT_EQ(printed(output.text(), "err", driveString), 1);

    // Ok again: one information event, with the drive's figures now.
    drives.write("0 healthy vendor=WDC product=WD5000AAKS\n");
    refreshNow(run);
    EXPECT_TRUE(waitUntil([&] { return printed(output.text(), "trace", driveString) == 1; }));
    EXPECT_EQ(printed(output.text(), "trace", "L\"Ok\""), 2);  // prediction and SMART status

    // A changed percent that cannot be saved at the end: an error naming the file.
    const BlockedSettingsFolder blocked;
    run.command(IDC_DEFAULT_UP);
    run.command(ID_FILE_EXIT);
    ASSERT_TRUE(run.waitForExit(patientMs));
    EXPECT_EQ(printed(output.text(), "err", "KSTMC.dat\""), 1);
    EXPECT_EQ(printed(output.text(), "warn", ""), 0);
}

// Another program holds the settings file while "kestrine.exe /SystemTray" starts and ends.
// Held sharing reads, the window reads it as always. Held sharing nothing, the window tries
// for a second, runs on the defaults and writes event 301 with the system's error; the start
// is no first start, so the window stays hidden; and the user's 15 % survive the run, even
// when a percent was changed in it.
TEST(EventLog, SettingsFileHeldByAnotherProgramIsNeverReplaced) {
    Bytes users = defaultSettings();
    users[defaultPercentAt] = 15;
    const struct Row {
        const char* name;
        DWORD sharing;
        const char* percentShown;
        int notReadEvents;
    } rows[] = {{"sharing reads", FILE_SHARE_READ, "15", 0}, {"sharing nothing", 0, "10", 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(writeSettings(users));
        ErrorOutput output;
        ASSERT_NE(output.writer(), INVALID_HANDLE_VALUE);
        UniqueHandle held(CreateFileA(settingsPath().c_str(), GENERIC_READ, row.sharing, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.valid());
        ProgramRun run(
            support::startThroughWineLoader("kestrine.exe", output.writer(), "-all,+eventlog", "/SystemTray"));
        ASSERT_TRUE(run.waitForFirstRefresh());
        EXPECT_FALSE(IsWindowVisible(run.window())) << "no first start: the start option hides the window";
        EXPECT_EQ(run.controlText(IDC_DEFAULT_PERCENT), row.percentShown);
        EXPECT_EQ(printed(output.text(), "err", "error 32"), row.notReadEvents);
        held.reset();

        run.command(IDC_DEFAULT_DOWN);
        ASSERT_TRUE(waitUntil([&] { return run.controlText(IDC_DEFAULT_PERCENT) != row.percentShown; }));
        run.command(ID_FILE_EXIT);
        ASSERT_TRUE(run.waitForExit(patientMs));
        Bytes after;
        ASSERT_TRUE(readSettings(after));
        Bytes expected = users;
        if (row.notReadEvents == 0) expected[defaultPercentAt] = 14;  // read, so the change is saved
        EXPECT_EQ(after, expected);
        EXPECT_EQ(printed(output.text(), "err", "KSTMC.dat\""), row.notReadEvents) << "no event 300 at exit";
    }
}

// Drive 0 with `reallocated` sectors (raw value of attribute 5).
std::string reallocating(int reallocated) {
    return "0 healthy vendor=WDC product=WD5000AAKS serial=5743 bus=11\n"
           "0 attribute id=5 flags=0x33 current=100 worst=100 threshold=36 raw=" +
           std::to_string(reallocated) + "\n";
}

std::string historyPath() { return settingsPath().substr(0, settingsPath().find_last_of('\\')) + "\\KSTMH.dat"; }

// The next start records into a new history and sees no volume in warning.
bool startsWithoutHistory() {
    Bytes settings = defaultSettings();
    settings[defaultPercentAt] = 1;
    DeleteFileA(historyPath().c_str());
    return writeSettings(settings);
}

// The scripted program over one drive with `reallocated` sectors, its event log's lines in
// `output`.
struct ReallocatingRun {
    explicit ReallocatingRun(int reallocated) : drives(reallocating(reallocated)) {}
    ScenarioFile drives;
    ErrorOutput output;
    ProgramRun run{support::startThroughWineLoader("kestrine_scripted.exe", output.writer(), "-all,+eventlog")};
};

// A count that grows between two refreshes is told once: a notification line and event 110
// (a warning) with the drive, its model, serial number, the count, its value and the accepted
// value; a refresh with the same value, or a restart, tells nothing again.
TEST(EventLog, AGrowingCountIsToldOnceAsItGrows) {
    ASSERT_TRUE(startsWithoutHistory());
    ReallocatingRun started(8);
    auto& [drives, output, run] = started;
    ASSERT_NE(output.writer(), INVALID_HANDLE_VALUE);
    ASSERT_TRUE(run.waitForFirstRefresh());
    EXPECT_TRUE(waitUntil([&] { return printed(output.text(), "warn", "L\"reallocated sectors\"") == 1; }));

    drives.write(reallocating(70));
    refreshNow(run);
    EXPECT_TRUE(waitUntil([&] { return printed(output.text(), "warn", "L\"reallocated sectors\"") == 2; }));
    EXPECT_EQ(printed(output.text(), "warn", "L\"70\""), 1);
    EXPECT_EQ(printed(output.text(), "warn", "L\"WDC WD5000AAKS\""), 2);
    EXPECT_EQ(printed(output.text(), "warn", "L\"none\""), 2);
    std::string text;
    EXPECT_TRUE(waitUntil([&] {
        text = shownNotification("70 reallocated sectors");
        return !text.empty();
    }));
    EXPECT_EQ(text, "Disk 0 - WDC WD5000AAKS: 70 reallocated sectors");

    refreshNow(run);
    run.command(ID_FILE_EXIT);
    ASSERT_TRUE(run.waitForExit(patientMs));
    ProgramRun again(support::startThroughWineLoader("kestrine_scripted.exe", output.writer(), "-all,+eventlog"));
    ASSERT_TRUE(again.waitForFirstRefresh());
    again.command(ID_FILE_EXIT);
    ASSERT_TRUE(again.waitForExit(patientMs));
    EXPECT_EQ(printed(output.text(), "warn", "L\"reallocated sectors\""), 2) << "told once, also after a restart";
}

// The drive list's context menu, opened by a right click or by the keyboard (Shift+F10 and the
// menu key arrive as WM_CONTEXTMENU at -1, -1), accepts the drive's current health: the
// caution picture turns back to the check mark, event 111 names what was accepted, and the
// history file holds it.
TEST(EventLog, AcceptingFromTheContextMenuQuietsTheDriveAndWritesEvent111) {
    ASSERT_TRUE(startsWithoutHistory());
    ReallocatingRun started(8);
    auto& [drives, output, run] = started;
    ASSERT_NE(output.writer(), INVALID_HANDLE_VALUE);
    ASSERT_TRUE(run.waitForFirstRefresh());
    const HWND list = run.control(IDC_DRIVE_LIST);
    const auto image = [&] {
        const std::vector<ListItem> items = readListItems(list);
        return items.empty() ? -1 : items[0].image;
    };
    ASSERT_TRUE(waitUntil([&] { return image() == 3; }));

    const struct {
        const char* how;
        int reallocated;
    } ways[] = {{"right click", 8}, {"keyboard", 9}};
    int accepted = 0;
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        if (way.reallocated != 8) {
            drives.write(reallocating(way.reallocated));
            refreshNow(run);
            ASSERT_TRUE(waitUntil([&] { return image() == 3; }));
        }
        if (std::string(way.how) == "right click") {
            ItemLayout layout;
            ASSERT_TRUE(readItemLayout(list, 0, layout));
            const LPARAM at = MAKELPARAM(layout.label.left + 4, (layout.label.top + layout.label.bottom) / 2);
            PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
            PostMessageA(list, WM_RBUTTONUP, 0, at);
        } else {
            PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
        }
        HWND menu = nullptr;
        ASSERT_TRUE(waitUntil([&] { return (menu = shownPopupMenu(run.processId())) != nullptr; }));
        postKey(menu, VK_DOWN);  // the first item: "&Accept Current Health"
        postKey(menu, VK_RETURN);
        ++accepted;
        EXPECT_TRUE(waitUntil([&] { return printed(output.text(), "trace", "reallocated sectors\"") == accepted; }));
        EXPECT_TRUE(waitUntil([&] { return image() == 1; }));
    }
    EXPECT_EQ(printed(output.text(), "trace", "L\"9 reallocated sectors\""), 1);
    EXPECT_EQ(printed(output.text(), "trace", "L\"WC\""), 2) << "the serial number, decoded";
    std::ifstream history(historyPath(), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(history)), {});
    const ParsedHistory parsed = parseHistory(bytes);
    ASSERT_EQ(parsed.status, HistoryFileStatus::Ok);
    const DriveHistory* drive = findDrive(parsed.history, DriveKey{"WDC WD5000AAKS", "WC"});
    ASSERT_NE(drive, nullptr);
    ASSERT_TRUE(drive->acceptance.counts[0].has_value());
    EXPECT_EQ(drive->acceptance.counts[0]->value, 9u);
    run.command(ID_FILE_EXIT);
    ASSERT_TRUE(run.waitForExit(patientMs));
}

}  // namespace
}  // namespace kestrine::e2e
