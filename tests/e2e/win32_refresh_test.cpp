// The countdown to the next automatic refresh, switching it off, and a refresh that waits
// behind a message box.
#include <gtest/gtest.h>

#include "resource.h"
#include "win32_fault_probes.h"
#include "win32_polling.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

TEST(Countdown, StartsAtTwoHoursAndCountsDown) {
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    std::string first = run.controlText(IDC_NEXT_REFRESH);
    EXPECT_TRUE(first == "2:00:00" || first.rfind("1:59:", 0) == 0) << first;
    EXPECT_TRUE(waitUntil([&] {
        std::string now = run.controlText(IDC_NEXT_REFRESH);
        return now != first && now.rfind("1:59:", 0) == 0;
    }));
}

TEST(Countdown, ManualRefreshStaysManualAndStillRefreshes) {
    ScenarioFile drives("0 healthy product=One\n");
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    run.command(ID_AUTO_REFRESH);
    ASSERT_TRUE(waitUntil([&] { return run.controlText(IDC_NEXT_REFRESH) == "Manual Refresh"; }));
    drives.write("0 healthy product=One\n1 healthy product=Two\n");
    run.command(ID_REFRESH_DATA);
    ASSERT_TRUE(waitUntil([&] { return listItemCount(run.control(IDC_DRIVE_LIST)) == 2; }));
    EXPECT_EQ(run.controlText(IDC_NEXT_REFRESH), "Manual Refresh");

    run.command(ID_AUTO_REFRESH);
    EXPECT_TRUE(waitUntil([&] { return run.controlText(IDC_NEXT_REFRESH) != "Manual Refresh"; }));
}

// Ticks as the window's timer delivers them, `count` of them in a row.
void postTicks(HWND window, int count) {
    for (int posted = 0; posted < count;) {
        if (PostMessageA(window, WM_TIMER, 1, 0))
            ++posted;
        else
            Sleep(1);  // the queue is full: let the window catch up
    }
}

// A message box inside an automatic refresh runs a message loop of its own, which goes on
// delivering ticks while the count is still past two hours: none of them may start another
// refresh (and another box) inside the first one.
TEST(Countdown, MessageBoxInsideAnAutomaticRefreshStartsNoOtherRefresh) {
    ASSERT_TRUE(writeSettings(defaultSettings()));
    ScenarioFile drives("0 healthy product=One\n1 healthy product=Two\n");
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    HWND volumes = run.control(IDC_VOLUME_LIST);
    ASSERT_TRUE(waitUntil([&] { return listSelectionMark(volumes) == 0; }));
    // The marked volume's item stops holding a slot: the panel update at the end of the next
    // refresh shows "BadVolumeID".
    ASSERT_TRUE(setListItemData(volumes, 0, 99));
    postTicks(run.window(), 36001);
    std::vector<HWND> boxes;
    ASSERT_TRUE(waitUntil([&] { return !(boxes = findWindows("kestrine_scripted", run.processId())).empty(); }));
    EXPECT_EQ(messageBoxText(boxes.front()), "BadVolumeID");

    // Ticks go on behind the box: the drive panel follows two moves of the selection.
    sendKeyDown(run.control(IDC_DRIVE_LIST), VK_DOWN);
    EXPECT_TRUE(waitUntil([&] { return run.controlText(IDC_DRIVE_NAME) == "Two"; }));
    sendKeyDown(run.control(IDC_DRIVE_LIST), VK_UP);
    EXPECT_TRUE(waitUntil([&] { return run.controlText(IDC_DRIVE_NAME) == "One"; }));
    EXPECT_EQ(findWindows("kestrine_scripted", run.processId()).size(), 1u);

    PostMessageA(boxes.front(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(waitUntil([&] { return run.controlText(IDC_NEXT_REFRESH).rfind("1:59:", 0) == 0; }))
        << "the refresh finished and the countdown started again";
    EXPECT_TRUE(findWindows("kestrine_scripted", run.processId()).empty());
}

}  // namespace
}  // namespace kestrine::e2e
