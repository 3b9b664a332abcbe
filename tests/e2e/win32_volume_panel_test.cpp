// The volume list and its panel on the machine's own volumes (Wine gives at least C:).
#include <gtest/gtest.h>

#include "resource.h"
#include "win32_polling.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

class VolumePanel : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writeSettings(defaultSettings()));
        run_ = std::make_unique<ProgramRun>(Program::Scripted);
        ASSERT_TRUE(run_->waitForFirstRefresh());
        ASSERT_TRUE(waitUntil([&] { return !volumes().empty(); }));
    }
    std::vector<ListItem> volumes() { return readListItems(run_->control(IDC_VOLUME_LIST)); }
    std::string field(int id) { return run_->controlText(id); }
    void click(int id) { clickButton(run_->control(id)); }

    ScenarioFile noDrives_;
    std::unique_ptr<ProgramRun> run_;
};

TEST_F(VolumePanel, ShowsTheFirstVolumeAfterTheFirstRefresh) {
    auto list = volumes();
    EXPECT_TRUE(list[0].selected);
    EXPECT_EQ(field(IDC_DRIVE_LETTER), list[0].text.substr(0, 2));
    EXPECT_NE(field(IDC_PERCENT_FREE), "...");
    EXPECT_NE(field(IDC_TOTAL_SIZE), "...");
    for (const ListItem& item : list) {
        EXPECT_GE(item.data, 2) << "A: and B: are never listed";
        EXPECT_LE(item.data, 25);
        EXPECT_TRUE(item.image == 1 || item.image == 2) << item.text;
    }
}

TEST_F(VolumePanel, FollowsAKeyboardMoveWithoutAClick) {
    auto list = volumes();
    if (list.size() < 2) GTEST_SKIP() << "this machine has only one volume";
    sendKeyDown(run_->control(IDC_VOLUME_LIST), VK_DOWN);
    EXPECT_TRUE(waitUntil([&] { return field(IDC_DRIVE_LETTER) == list[1].text.substr(0, 2); }));
}

TEST_F(VolumePanel, OwnPercentAndItsSwitchAreSavedAtExit) {
    auto list = volumes();
    int slot = static_cast<int>(list[0].data);
    click(IDC_VOLUME_UP);
    ASSERT_EQ(field(IDC_VOLUME_PERCENT), "11");
    click(IDC_USE_OWN_PERCENT);
    run_->command(ID_FILE_EXIT);
    ASSERT_TRUE(run_->waitForExit(patientMs));
    Bytes after;
    ASSERT_TRUE(readSettings(after));
    ASSERT_EQ(after.size(), settingsSize);
    EXPECT_EQ(after[ownPercentAt(slot)], 11);
    EXPECT_EQ(after[useDefaultAt(slot)], 0);
    EXPECT_EQ(after[defaultPercentAt], 10);
}

TEST_F(VolumePanel, OwnPercentStopsAtItsFloor) {
    for (int press = 0; press < 12; ++press) click(IDC_VOLUME_DOWN);
    EXPECT_EQ(field(IDC_VOLUME_PERCENT), "1");
}

}  // namespace
}  // namespace kestrine::e2e
