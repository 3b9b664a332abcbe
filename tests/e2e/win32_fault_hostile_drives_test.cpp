// Drives whose driver answers with garbage: the program keeps running and listing them, and
// shows a drive as healthy only where its replies really say so.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "probe/drive_probe.h"
#include "probe/drive_texts.h"
#include "resource.h"
#include "scripted_device_port.h"
#include "ui/drive_list.h"
#include "win32_fault_probes.h"
#include "win32_polling.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

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

// The drive table as the probe fills it from the same scenario, run here in the test.
DriveTable probedHere() {
    char path[MAX_PATH] = {};
    GetEnvironmentVariableA("KESTRINE_SCENARIO", path, MAX_PATH);
    scripted::ScriptedDevicePort port(path);
    DriveTable table{};
    probeAllDrives(table, port);
    return table;
}

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
    // is the generator's first four bytes.
    scripted::ReplyBytes random(randomSeed);
    std::uint32_t predictField = 0;
    for (int k = 0; k < 4; ++k) predictField |= static_cast<std::uint32_t>(random.next()) << (8 * k);
    ASSERT_NE(predictField, 0u);
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

// Whatever the garbage, the window shows for each drive the same verdict that the probe's
// own rules give for those replies.
TEST_F(FaultHostileDrives, ListedVerdictsMatchTheProbeOfTheSameReplies) {
    const DriveTable table = probedHere();
    const std::vector<ListItem> list = items();
    for (const ListItem& item : list) {
        ASSERT_GE(item.data, 0);
        ASSERT_LT(item.data, driveTableSize);
        EXPECT_EQ(item.image, driveImage(indicatorLevel(table[static_cast<std::size_t>(item.data)]))) << item.data;
    }
}

TEST_F(FaultHostileDrives, PanelShowsTheGarbageDriveAsFailingAndRefreshesKeepWorking) {
    for (int move = 0; move < 3; ++move) sendKeyDown(run_->control(IDC_DRIVE_LIST), VK_DOWN);
    ASSERT_TRUE(waitUntil([&] { return listSelectionMark(run_->control(IDC_DRIVE_LIST)) == 3; }));
    // Drive 2 predicts a failure too, so the panel may still show it for a tick: wait for both
    // texts. Random registers are "Ok" unless they happen to be F4/2C, as for a real drive.
    const std::string smart = describeState(smartState(probedHere()[3])).text;
    EXPECT_TRUE(waitUntil([&] {
        return run_->controlText(IDC_SPF_STATUS) == "Failure Predicted" && run_->controlText(IDC_SMART_STATUS) == smart;
    })) << run_->controlText(IDC_SMART_STATUS);
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
