// Drives whose driver answers with garbage: the program keeps running and listing them, and
// shows a drive as healthy only where its replies really say so.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "resource.h"
#include "win32_fault_probes.h"
#include "win32_polling.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

// The seed of drive 3's random replies; the values the tests expect from it are worked out by
// hand below, from the host's generator and the reply layouts.
constexpr std::uint32_t randomSeed = 7;
constexpr int questionMark = 0, checkMark = 1, triangle = 2;

const std::string hostileDrives =
    "0 hostile reply=offsets-past-end vendor=ACME product=X100\n"
    "1 hostile reply=negative-offsets vendor=ACME product=X100\n"
    "2 hostile reply=unterminated\n"
    "3 hostile reply=random-bytes seed=" +
    std::to_string(randomSeed) +
    "\n"
    "4 hostile reply=short-replies\n"
    "5 hostile reply=silent-open-failure\n"
    "6 healthy product=Good\n";

class FaultHostileDrives : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsFolder();
        ASSERT_TRUE(writeSettings(defaultSettings()));
        run_ = std::make_unique<ProgramRun>(Program::Scripted);
        ASSERT_TRUE(run_->waitForFirstRefresh());
        ASSERT_TRUE(waitUntil([&] { return items().size() == 7; })) << items().size();
    }
    std::vector<ListItem> items() { return readListItems(run_->control(IDC_DRIVE_LIST)); }

    ScenarioFile drives_{hostileDrives};
    std::unique_ptr<ProgramRun> run_;
};

TEST_F(FaultHostileDrives, EveryDriveIsListedWithWhatItsRepliesReallySay) {
    const std::vector<ListItem> list = items();
    // Offsets outside the reply give no text; the status replies of these two are sound.
    EXPECT_EQ(list[0].text, "Disk 0 - ");
    EXPECT_EQ(list[0].image, checkMark);
    EXPECT_EQ(list[1].text, "Disk 1 - ");
    EXPECT_EQ(list[1].image, checkMark);
    // Strings without a zero stop at the end of the reply; "AAAA" as PredictFailure is a
    // predicted failure.
    EXPECT_EQ(list[2].text.rfind("Disk 2 - AAAAAAAAAAAAAAAA", 0), 0u) << list[2].text.substr(0, 40);
    EXPECT_EQ(list[2].image, triangle);
    // Random bytes: the predict-failure reply is the first reply of its open, so its field
    // is the generator's first four bytes, 0xB6E71C00: a predicted failure.
    EXPECT_EQ(list[3].image, triangle);
    // Two bytes of 0xFF are a non-zero PredictFailure, and no SMART capability.
    EXPECT_EQ(list[4].text, "Disk 4 - ");
    EXPECT_EQ(list[4].image, triangle);
    // An open that fails without an error code is a drive that exists but cannot be read.
    EXPECT_EQ(list[5].text, "Disk 5 - ");
    EXPECT_EQ(list[5].image, questionMark);
    EXPECT_EQ(list[6].text, "Disk 6 - Good");
    EXPECT_EQ(list[6].image, checkMark);
}

// Walking down the list, the panel shows for each drive the verdicts its replies give:
// "AAAA" and the two 0xFF bytes have no SMART capability bit (0x04 of the version reply's
// capabilities); seed 7's version reply has it (0x88A8BBCE) and its SMART registers read
// D8/0A, not F4/2C, so "Ok"; the drive that cannot be opened has no details to show.
TEST_F(FaultHostileDrives, PanelShowsWhatEachDrivesRepliesSayAndRefreshesKeepWorking) {
    struct Verdicts {
        const char* spf;
        const char* smart;
    };
    const Verdicts expected[] = {{"Ok", "Ok"},
                                 {"Ok", "Ok"},
                                 {"Failure Predicted", "No Data Available"},
                                 {"Failure Predicted", "Ok"},
                                 {"Failure Predicted", "No Data Available"},
                                 {"...", "..."},
                                 {"Ok", "Ok"}};
    const HWND driveList = run_->control(IDC_DRIVE_LIST);
    const std::vector<ListItem> list = items();
    for (int row = 0; row < 7; ++row) {
        if (row > 0) sendKeyDown(driveList, VK_DOWN);
        ASSERT_TRUE(waitUntil([&] { return listSelectionMark(driveList) == row; })) << row;
        EXPECT_EQ(list[static_cast<std::size_t>(row)].data, row);
        const Verdicts& wanted = expected[row];
        EXPECT_TRUE(waitUntil([&] {
            return run_->controlText(IDC_SPF_STATUS) == wanted.spf &&
                   run_->controlText(IDC_SMART_STATUS) == wanted.smart;
        })) << "drive "
            << row << ": " << run_->controlText(IDC_SPF_STATUS) << " / " << run_->controlText(IDC_SMART_STATUS);
    }
    for (int refresh = 0; refresh < 3; ++refresh) {
        run_->command(ID_REFRESH_DATA);
        ASSERT_TRUE(waitUntil([&] { return items().size() == 7; }));
    }
    EXPECT_TRUE(run_->running());
    EXPECT_EQ(dialogWindows(run_->processId()), std::vector<HWND>{run_->window()});
    run_->command(ID_FILE_EXIT);
    EXPECT_TRUE(run_->waitForExit(patientMs));
}

}  // namespace
}  // namespace kestrine::e2e
