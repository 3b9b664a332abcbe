// The notification-area icon, hiding into it and coming back, the start-hidden option, the
// overall state as the window's small icon shows it, and the notification of new problems.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "resource.h"
#include "win32_polling.h"
#include "win32_process.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_screenshot.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

constexpr UINT trayIconId = 2;

bool notifyShell(DWORD action, HWND owner) {
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner;
    data.uID = trayIconId;
    return Shell_NotifyIconA(action, &data) != FALSE;
}

// Asks the shell to change nothing about the program's icon: it succeeds exactly when the
// icon is there.
bool trayIconExists(HWND owner) { return notifyShell(NIM_MODIFY, owner); }
bool deleteTrayIcon(HWND owner) { return notifyShell(NIM_DELETE, owner); }

// Volumes warn only below 1 % free, so that the drives alone decide the overall state.
Bytes quietVolumeSettings() {
    Bytes bytes = defaultSettings();
    bytes[defaultPercentAt] = 1;
    return bytes;
}

bool waitUntilShown(ProgramRun& run) {
    return waitUntil([&] { return IsWindowVisible(run.window()) != FALSE; });
}

bool waitUntilHidden(ProgramRun& run) {
    return waitUntil([&] { return !IsWindowVisible(run.window()); });
}

TEST(TrayIcon, IsThereAfterStartAndLeavesWithTheProgram) {
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    HWND window = run.window();
    EXPECT_TRUE(trayIconExists(window));
    run.command(ID_FILE_EXIT);
    ASSERT_TRUE(run.waitForExit(patientMs));
    EXPECT_FALSE(trayIconExists(window));
}

TEST(TrayIcon, HiddenWindowComesBackOnlyOnALeftDoubleClick) {
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    run.command(ID_WINDOW_HIDE);
    ASSERT_TRUE(waitUntilHidden(run));
    EXPECT_TRUE(trayIconExists(run.window()));

    UINT trayMessage = RegisterWindowMessageA("MySysTray");
    PostMessageA(run.window(), trayMessage, trayIconId, WM_LBUTTONDOWN);
    PostMessageA(run.window(), trayMessage, trayIconId, WM_RBUTTONDBLCLK);
    run.command(ID_AUTO_REFRESH);  // handled after the two clicks above
    ASSERT_TRUE(waitUntil([&] { return run.controlText(IDC_NEXT_REFRESH) == "Manual Refresh"; }));
    EXPECT_FALSE(IsWindowVisible(run.window()));

    PostMessageA(run.window(), trayMessage, trayIconId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(waitUntilShown(run));
}

TEST(TrayIcon, SystemMenuMinimizeToTrayHides) {
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    PostMessageA(run.window(), WM_SYSCOMMAND, IDM_MINIMIZE_TO_TRAY, 0);
    EXPECT_TRUE(waitUntilHidden(run));
    EXPECT_FALSE(IsIconic(run.window()));
    EXPECT_TRUE(run.running());
}

TEST(TrayIcon, ComesBackWhenTheTaskbarIsCreatedAgain) {
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    ASSERT_TRUE(deleteTrayIcon(run.window()));
    ASSERT_FALSE(trayIconExists(run.window()));
    PostMessageA(run.window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(waitUntil([&] { return trayIconExists(run.window()); }));
}

TEST(StartHidden, SystemTrayOptionHidesWhenSettingsExist) {
    ASSERT_TRUE(writeSettings(defaultSettings()));
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted, "/SystemTray");
    ASSERT_TRUE(run.waitForFirstRefresh());
    EXPECT_TRUE(waitUntilHidden(run));
    EXPECT_TRUE(trayIconExists(run.window()));
}

TEST(StartHidden, SystemTrayOptionIsIgnoredAtAFirstStart) {
    removeSettings();
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted, "-systemtray");
    ASSERT_TRUE(run.waitForFirstRefresh());
    // The hide request is handled before the first tick, so the refresh above comes after it.
    EXPECT_TRUE(IsWindowVisible(run.window()));
}

TEST(StartHidden, OptionFollowedByMoreTextIsIgnored) {
    ASSERT_TRUE(writeSettings(defaultSettings()));
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted, "/SystemTray /x");
    ASSERT_TRUE(run.waitForFirstRefresh());
    EXPECT_TRUE(IsWindowVisible(run.window()));
}

// The tooltip cannot be read back through the shell, so the window's small icon, which
// changes together with the tray picture, stands for the overall state.
int smallIconShown(HWND window) {
    scripted::IconDump icons;
    return readIcons(window, icons) ? icons.small : -1;
}

TEST(StatusIndication, FailingDriveShowsTheWarningIconAndRecoveryTheOkIcon) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    ScenarioFile drives("0 healthy product=Steady\n");
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    HWND window = run.window();
    ASSERT_TRUE(waitUntil([&] { return run.controlText(IDC_SPF_STATUS) == "Ok"; }));
    scripted::IconDump icons;
    ASSERT_TRUE(readIcons(window, icons));
    EXPECT_EQ(icons.small, IDI_PROGRAM) << "no change of state yet";
    EXPECT_EQ(icons.big, IDI_PROGRAM);

    drives.write("0 failing-spf product=Steady\n");
    run.command(ID_REFRESH_DATA);
    EXPECT_TRUE(waitUntil([&] { return smallIconShown(window) == IDI_DRIVE_WARNING; }));

    drives.write("0 healthy product=Steady\n");
    run.command(ID_REFRESH_DATA);
    EXPECT_TRUE(waitUntil([&] { return smallIconShown(window) == IDI_OK; }));
    ASSERT_TRUE(readIcons(window, icons));
    EXPECT_EQ(icons.big, IDI_PROGRAM);
    EXPECT_TRUE(trayIconExists(window));
}

// After the first refresh hides the window in the tray, then refreshes with `drives` turned
// to `failing`.
void failWhileHidden(ProgramRun& run, ScenarioFile& drives, const std::string& failing) {
    ASSERT_TRUE(run.waitForFirstRefresh());
    run.command(ID_WINDOW_HIDE);
    ASSERT_TRUE(waitUntilHidden(run));
    drives.write(failing);
    // Sent, not posted: the refresh has run when the call returns.
    SendMessageA(run.window(), WM_COMMAND, MAKEWPARAM(ID_REFRESH_DATA, 0), 0);
}

// A window hidden in the tray stays there when a problem appears: only the tray shows it.
TEST(StatusIndication, FailingDriveLeavesAHiddenWindowHidden) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    ScenarioFile drives("0 healthy\n");
    ProgramRun run(Program::Scripted);
    ASSERT_NO_FATAL_FAILURE(failWhileHidden(run, drives, "0 failing-spf\n"));
    const std::vector<ListItem> listed = readListItems(run.control(IDC_DRIVE_LIST));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].image, 2);
    EXPECT_FALSE(IsWindowVisible(run.window()));
    EXPECT_TRUE(trayIconExists(run.window()));
}

TEST(StatusIndication, FailingDriveBringsAMinimizedWindowBack) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    ScenarioFile drives("0 healthy\n");
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    PostMessageA(run.window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(waitUntil([&] { return IsIconic(run.window()) != FALSE; }));
    drives.write("0 failing-spf\n");
    run.command(ID_REFRESH_DATA);
    EXPECT_TRUE(waitUntil([&] { return !IsIconic(run.window()); }));
}

// A picture of it is left beside the test programs as notification.bmp, for the README.
TEST(Notification, DriveTurningToFailureWhileHiddenIsNamedAndAClickBringsTheWindowBack) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    ScenarioFile drives("0 healthy vendor=WDC product=WD5000AAKS\n");
    ProgramRun run(Program::Scripted);
    ASSERT_NO_FATAL_FAILURE(failWhileHidden(run, drives, "0 failing-spf vendor=WDC product=WD5000AAKS\n"));
    std::string text;
    EXPECT_TRUE(waitUntil([&] {
        text = shownNotification("Disk 0 - WDC WD5000AAKS");
        return !text.empty();
    }));
    EXPECT_EQ(text, "Disk 0 - WDC WD5000AAKS predicts failure");
    Sleep(500);  // shown is not yet painted
    EXPECT_TRUE(saveScreenshot(support::binFolder() + "notification.bmp"));
    EXPECT_FALSE(IsWindowVisible(run.window()));

    PostMessageA(run.window(), RegisterWindowMessageA("MySysTray"), trayIconId, NIN_BALLOONUSERCLICK);
    EXPECT_TRUE(waitUntilShown(run));
}

}  // namespace
}  // namespace kestrine::e2e
