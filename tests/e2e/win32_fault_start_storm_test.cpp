// Twenty starts of the program at once, as an impatient user or a log-on script might do:
// one copy survives with one window and one tray icon, the others end without a word.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "resource.h"
#include "win32_fault_probes.h"
#include "win32_polling.h"
#include "win32_program_run.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

constexpr int stormSize = 20;
constexpr UINT trayIconId = 2;

bool trayIconExists(HWND owner) {
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner;
    data.uID = trayIconId;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

int runningCount(const std::vector<std::unique_ptr<ProgramRun>>& runs) {
    int running = 0;
    for (const auto& run : runs) running += run->running() ? 1 : 0;
    return running;
}

// The storm starts on a clean system, so the survivor is also the only copy that writes the
// first-start record: a second writer would show as a damaged or doubled file.
TEST(FaultStartStorm, TwentyStartsLeaveOneWindowOneIconAndNoMessage) {
    resetSettingsFolder();
    removeSettings();
    ScenarioFile drives("0 healthy vendor=ACME product=X100\n");
    std::vector<std::unique_ptr<ProgramRun>> runs;
    for (int k = 0; k < stormSize; ++k) runs.push_back(std::make_unique<ProgramRun>(Program::Scripted));
    for (const auto& run : runs) ASSERT_TRUE(run->started());

    ASSERT_TRUE(waitUntil([&] { return runningCount(runs) <= 1; }));
    ASSERT_EQ(runningCount(runs), 1);
    ProgramRun* survivor = nullptr;
    for (const auto& run : runs)
        if (run->running()) survivor = run.get();
    ASSERT_TRUE(survivor->waitForFirstRefresh());

    EXPECT_EQ(countWindows(mainTitle, 0), 1);
    EXPECT_TRUE(trayIconExists(survivor->window()));
    for (const auto& run : runs) {
        // The survivor's only dialog-class window is its main window; the others have none.
        std::vector<HWND> dialogs = dialogWindows(run->processId());
        if (run.get() == survivor) {
            ASSERT_EQ(dialogs.size(), 1u);
            EXPECT_EQ(dialogs.front(), survivor->window());
        } else {
            EXPECT_TRUE(dialogs.empty());
        }
    }
    EXPECT_TRUE(settingsEqual(defaultSettings()));

    survivor->command(ID_FILE_EXIT);
    ASSERT_TRUE(survivor->waitForExit(patientMs));
    EXPECT_TRUE(settingsEqual(defaultSettings()));
    std::vector<std::string> entries = folderEntries(settingsFolder());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"KSTMC.dat", "KSTMH.dat", "KSTMH.lock"})) << "and the health history";
}

// Starts while a copy already runs hand over to it; none of them may touch its file.
TEST(FaultStartStorm, StartsAgainstARunningCopyLeaveItsFileAlone) {
    resetSettingsFolder();
    Bytes prepared = defaultSettings();
    prepared[defaultPercentAt] = 7;
    ASSERT_TRUE(writeSettings(prepared));
    ScenarioFile noDrives;
    ProgramRun first(Program::Scripted);
    ASSERT_TRUE(first.waitForFirstRefresh());
    std::vector<std::unique_ptr<ProgramRun>> later;
    for (int k = 0; k < stormSize; ++k) later.push_back(std::make_unique<ProgramRun>(Program::Scripted));
    for (const auto& run : later) EXPECT_TRUE(run->waitForExit(patientMs));
    EXPECT_TRUE(first.running());
    EXPECT_EQ(countWindows(mainTitle, 0), 1);
    EXPECT_TRUE(trayIconExists(first.window()));
    EXPECT_EQ(dialogWindows(first.processId()), std::vector<HWND>{first.window()});
    EXPECT_EQ(first.controlText(IDC_DEFAULT_PERCENT), "7");
    first.command(ID_FILE_EXIT);
    ASSERT_TRUE(first.waitForExit(patientMs));
    EXPECT_TRUE(settingsEqual(prepared));
    EXPECT_TRUE(unchangedSincePrepared());
}

}  // namespace
}  // namespace kestrine::e2e
