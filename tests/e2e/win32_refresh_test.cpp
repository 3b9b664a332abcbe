// The countdown to the next automatic refresh, and switching it off.
#include <gtest/gtest.h>

#include "resource.h"
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

}  // namespace
}  // namespace kestrine::e2e
