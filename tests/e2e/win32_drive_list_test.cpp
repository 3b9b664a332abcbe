// The drive list and the drive panel over scripted drives: what each drive state looks
// like to the user, and how a refresh carries changes in.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "history/history_file.h"
#include "resource.h"
#include "win32_polling.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

// The folder of the settings file, where the health history is kept.
std::string historyFolder() { return settingsPath().substr(0, settingsPath().find_last_of('\\')); }

class DriveList : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(writeSettings(defaultSettings())); }

    // Starts the host on `scenario` and waits until the list holds `count` drives.
    void start(const std::string& drives, std::size_t count) {
        scenario_.write(drives);
        run_ = std::make_unique<ProgramRun>(Program::Scripted);
        ASSERT_TRUE(run_->waitForFirstRefresh());
        ASSERT_TRUE(waitUntil([&] { return items().size() == count; })) << items().size();
    }
    std::vector<ListItem> items() { return readListItems(run_->control(IDC_DRIVE_LIST)); }
    std::string field(int id) { return run_->controlText(id); }
    void refreshWith(const std::string& drives) {
        scenario_.write(drives);
        run_->command(ID_REFRESH_DATA);
    }
    void moveSelectionDown() { sendKeyDown(run_->control(IDC_DRIVE_LIST), VK_DOWN); }

    ScenarioFile scenario_;
    std::unique_ptr<ProgramRun> run_;
};

TEST_F(DriveList, ListsDrivesInOrderAndShowsTheFirst) {
    start(
        "0 healthy vendor=ACME product=\"ACME X100\" serial=5A3130 bus=11\n"
        "1 healthy vendor=WDC product=Blue bus=7 removable=1\n"
        "3 healthy product=Solo\n",
        3);
    auto list = items();
    EXPECT_EQ(list[0].text, "Disk 0 - ACME X100");
    EXPECT_EQ(list[1].text, "Disk 1 - WDC Blue");
    EXPECT_EQ(list[2].text, "Disk 3 - Solo");
    EXPECT_EQ(list[2].data, 3);
    for (const ListItem& item : list) EXPECT_EQ(item.image, 1) << item.text;
    EXPECT_TRUE(list[0].selected);
    EXPECT_EQ(field(IDC_DRIVE_NAME), "ACME X100");
    EXPECT_EQ(field(IDC_SERIAL), "Z10");
    EXPECT_EQ(field(IDC_BUS), "SATA");
    EXPECT_EQ(field(IDC_FIXED_REMOVABLE), "Fixed");
    EXPECT_EQ(field(IDC_SPF_STATUS), "Ok");
    EXPECT_EQ(field(IDC_SMART_STATUS), "Ok");

    moveSelectionDown();
    EXPECT_TRUE(waitUntil([&] { return field(IDC_DRIVE_NAME) == "WDC Blue"; }));
    EXPECT_EQ(field(IDC_BUS), "USB");
    EXPECT_EQ(field(IDC_FIXED_REMOVABLE), "Removable");
}

TEST_F(DriveList, PredictedFailureShowsTheTriangle) {
    start("0 failing-spf product=Old\n1 threshold-exceeded product=Worn\n", 2);
    auto list = items();
    EXPECT_EQ(list[0].image, 2);
    EXPECT_EQ(list[1].image, 2);
    EXPECT_EQ(field(IDC_SPF_STATUS), "Failure Predicted");
    EXPECT_EQ(field(IDC_SMART_STATUS), "Ok");
    moveSelectionDown();
    EXPECT_TRUE(waitUntil([&] { return field(IDC_SMART_STATUS) == "Failure Predicted"; }));
    EXPECT_EQ(field(IDC_SPF_STATUS), "Ok");
}

TEST_F(DriveList, FailedSmartQueryIsNotAFailure) {
    start("0 healthy product=Flaky\n", 1);
    refreshWith("0 smart-query-fails product=Flaky\n");
    ASSERT_TRUE(waitUntil([&] { return field(IDC_SMART_STATUS) == "Query Fail"; }));
    EXPECT_EQ(items()[0].image, 1);
    EXPECT_EQ(field(IDC_SPF_STATUS), "Ok");
    scripted::IconDump icons;
    ASSERT_TRUE(readIcons(run_->window(), icons));
    EXPECT_EQ(icons.small, IDI_PROGRAM) << "the overall state must stay ok";
}

// An NVMe drive refuses SMART commands: its SMART / Health log stands in, for a standard user
// too, and a critical-warning bit turns it, the failing count and the icons to warning. A log
// that cannot be read is stood in for by the history's sample of the refresh before.
TEST_F(DriveList, NvmeDriveShowsItsHealthLogAsSmartStatus) {
    DeleteFileA((historyFolder() + "\\KSTMH.dat").c_str());
    const std::string drive = "standard-user\n0 version-fails vendor=Fast product=\"Fast N1\" bus=17\n";
    start(drive + "0 nvme-log kelvin=310 spare=100 spare-threshold=10\n", 1);
    EXPECT_EQ(field(IDC_BUS), "NVMe");
    EXPECT_EQ(field(IDC_SPF_STATUS), "Ok");
    EXPECT_EQ(field(IDC_SMART_STATUS), "Ok");
    EXPECT_EQ(items()[0].image, 1);

    refreshWith(drive + "0 nvme-log kelvin=310 spare=100 spare-threshold=10 warning=0x04\n");
    ASSERT_TRUE(waitUntil([&] { return field(IDC_SMART_STATUS) == "Failure Predicted"; }));
    EXPECT_EQ(items()[0].image, 2);
    scripted::IconDump icons;
    ASSERT_TRUE(readIcons(run_->window(), icons));
    EXPECT_EQ(icons.small, IDI_DRIVE_WARNING);

    // The log request refused: the sample the history holds from the refresh before stands in.
    refreshWith(drive);
    ASSERT_TRUE(
        waitUntil([&] { return field(IDC_SMART_STATUS) == "Failure Predicted (read less than a minute ago)"; }));
    EXPECT_EQ(items()[0].image, 2);
}

// A drive behind a USB bridge refuses the SMART requests: the SMART RETURN STATUS its bridge
// passes on (in ATA PASS-THROUGH (12) where it refuses (16)) is its SMART Status, and a
// threshold exceeded turns it, the failing count and the icons to warning. The label keeps the
// descriptor's text. A standard user may not send SCSI pass-through: no data then.
TEST_F(DriveList, UsbDriveShowsTheReturnStatusItsBridgePassesOn) {
    const std::string bridged = " vendor=WD product=\"My Passport\" bus=7 removable=1 model=\"WDC WD20SPZX\"";
    start("0 healthy" + bridged + " bridge=sat12\n", 1);
    EXPECT_EQ(items()[0].text, "Disk 0 - WD My Passport");
    EXPECT_EQ(field(IDC_BUS), "USB");
    EXPECT_EQ(field(IDC_SMART_STATUS), "Ok");
    EXPECT_EQ(items()[0].image, 1);

    refreshWith("0 threshold-exceeded" + bridged + " bridge=sat\n");
    ASSERT_TRUE(waitUntil([&] { return field(IDC_SMART_STATUS) == "Failure Predicted"; }));
    EXPECT_EQ(items()[0].image, 2);
    EXPECT_EQ(field(IDC_DRIVE_NAME), "WD My Passport");
    scripted::IconDump icons;
    ASSERT_TRUE(readIcons(run_->window(), icons));
    EXPECT_EQ(icons.small, IDI_DRIVE_WARNING);

    refreshWith("standard-user\n0 threshold-exceeded" + bridged + " bridge=sat\n");
    ASSERT_TRUE(waitUntil([&] { return field(IDC_SMART_STATUS) == "No Data Available"; }));
    EXPECT_EQ(items()[0].image, 1);
    ASSERT_TRUE(readIcons(run_->window(), icons));
    EXPECT_EQ(icons.small, IDI_OK);
}

TEST_F(DriveList, DriveWithoutSmartSupportHasNoSmartData) {
    start("4 smart-unsupported product=Bridge\n", 1);
    EXPECT_EQ(items()[0].image, 1);
    EXPECT_EQ(field(IDC_SMART_STATUS), "No Data Available");
}

TEST_F(DriveList, AccessDeniedDriveIsListedWithoutIdentity) {
    start("5 access-denied\n", 1);
    auto list = items();
    EXPECT_EQ(list[0].text, "Disk 5 - ");
    EXPECT_EQ(list[0].image, 0);
    EXPECT_EQ(field(IDC_DRIVE_NAME), "None Selected");
    EXPECT_EQ(field(IDC_SERIAL), "...");
    EXPECT_EQ(field(IDC_SPF_STATUS), "...");
}

// Without administrator rights a drive opens only without access: its identity and the
// storage stack's prediction still show, the SMART state does not.
TEST_F(DriveList, StandardUserSeesIdentityAndPredictionButNoSmartState) {
    start(
        "standard-user\n0 healthy vendor=ACME product=\"ACME X100\" serial=5A3130 bus=11\n"
        "1 failing-spf product=Old bus=7 removable=1\n",
        2);
    auto list = items();
    EXPECT_EQ(list[0].text, "Disk 0 - ACME X100");
    EXPECT_EQ(list[0].image, 1);
    EXPECT_EQ(list[1].text, "Disk 1 - Old");
    EXPECT_EQ(list[1].image, 2);
    EXPECT_EQ(field(IDC_DRIVE_NAME), "ACME X100");
    EXPECT_EQ(field(IDC_SERIAL), "Z10");
    EXPECT_EQ(field(IDC_BUS), "SATA");
    EXPECT_EQ(field(IDC_FIXED_REMOVABLE), "Fixed");
    EXPECT_EQ(field(IDC_SPF_STATUS), "Ok");
    EXPECT_EQ(field(IDC_SMART_STATUS), "No Data Available");
    moveSelectionDown();
    EXPECT_TRUE(waitUntil([&] { return field(IDC_DRIVE_NAME) == "Old"; }));
    EXPECT_EQ(field(IDC_BUS), "USB");
    EXPECT_EQ(field(IDC_FIXED_REMOVABLE), "Removable");
    EXPECT_EQ(field(IDC_SPF_STATUS), "Failure Predicted");
    EXPECT_EQ(field(IDC_SMART_STATUS), "No Data Available");
}

TEST_F(DriveList, IdentityFailureAfterAGoodProbeShowsTheSystemMessage) {
    start("2 healthy vendor=ACME product=X100\n", 1);
    ASSERT_EQ(field(IDC_DRIVE_NAME), "ACME X100");
    refreshWith("2 identity-fails code=5\n");
    ASSERT_TRUE(waitUntil([&] { return field(IDC_SERIAL).rfind("Cannot Read - ", 0) == 0; }));
    EXPECT_GT(field(IDC_SERIAL).size(), std::string("Cannot Read - ").size());
    EXPECT_EQ(field(IDC_BUS), field(IDC_SERIAL));
    EXPECT_EQ(field(IDC_FIXED_REMOVABLE), field(IDC_SERIAL));
    EXPECT_EQ(field(IDC_DRIVE_NAME), "None Selected");
    EXPECT_EQ(field(IDC_SPF_STATUS), "Ok");
    EXPECT_EQ(items()[0].text, "Disk 2 - ACME X100") << "the entry keeps its name";
}

TEST_F(DriveList, RefreshCarriesAChangedStateIntoTheSameEntry) {
    start("0 healthy product=Aging\n", 1);
    refreshWith("0 failing-spf product=Aging\n");
    ASSERT_TRUE(waitUntil([&] { return field(IDC_SPF_STATUS) == "Failure Predicted"; }));
    auto list = items();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].image, 2);
    EXPECT_EQ(list[0].text, "Disk 0 - Aging");
}

TEST_F(DriveList, DriveAppearingLaterGoesToTheEndWithoutMovingTheSelection) {
    start("2 healthy product=Early\n", 1);
    refreshWith("0 healthy product=Late\n2 healthy product=Early\n");
    ASSERT_TRUE(waitUntil([&] { return items().size() == 2; }));
    auto list = items();
    EXPECT_EQ(list[1].text, "Disk 0 - Late");
    EXPECT_TRUE(list[0].selected);
    EXPECT_EQ(field(IDC_DRIVE_NAME), "Early");
}

// Reallocated sectors nobody accepted put a drive in caution: the fourth picture of the strip.
// Caution is no failure: the small icon stays ok and the panel keeps its texts.
TEST_F(DriveList, ReallocatedSectorsShowTheCautionPicture) {
    DeleteFileA((historyFolder() + "\\KSTMH.dat").c_str());
    start(
        "0 healthy vendor=ACME product=\"ACME X100\" serial=5A3130 bus=11\n"
        "0 attribute id=5 flags=0x33 current=100 worst=100 raw=8 threshold=36\n"
        "1 healthy product=Fine bus=11\n1 attribute id=5 flags=0x33 current=100 worst=100 raw=0 threshold=36\n",
        2);
    EXPECT_EQ(items()[0].image, 3);
    EXPECT_EQ(items()[1].image, 1);
    EXPECT_EQ(field(IDC_SMART_STATUS), "Ok");
    scripted::IconDump icons;
    ASSERT_TRUE(readIcons(run_->window(), icons));
    EXPECT_EQ(icons.small, IDI_PROGRAM) << "the overall state stays ok";
}

// A standard user's window reads no SMART data: an administrator's sample of the drive in the
// history, at most 7 days old, shows instead, with its age.
TEST_F(DriveList, StandardUserSeesTheHistorysRecentSampleWithItsAge) {
    FILETIME time{};
    GetSystemTimeAsFileTime(&time);
    const UtcSeconds now = static_cast<UtcSeconds>(
        (ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart / 10'000'000) - 11'644'473'600);
    const auto plant = [&](UtcSeconds age, SampleStatus status) {
        HealthSample sample;
        sample.time = now - age;
        sample.status = status;
        sample.counts[0] = 70;
        History history;
        history.drives.push_back({DriveKey{"ACME X100", "Z10"}, sample.time, {}, {sample}});
        const std::vector<std::uint8_t> bytes = serializeHistory(history);
        std::ofstream(historyFolder() + "\\KSTMH.dat", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    const std::string drive = "standard-user\n0 healthy vendor=ACME product=\"ACME X100\" serial=5A3130 bus=11\n";
    plant(3 * 3600 + 600, SampleStatus::Caution);
    start(drive, 1);
    EXPECT_EQ(field(IDC_SMART_STATUS), "Caution (read 3 hours ago)");
    EXPECT_EQ(items()[0].image, 3);

    plant(8 * 24 * 3600, SampleStatus::Caution);
    refreshWith(drive);
    EXPECT_TRUE(waitUntil([&] { return field(IDC_SMART_STATUS) == "No Data Available"; }))
        << "older than 7 days: not used";
    EXPECT_EQ(items()[0].image, 1);
}

}  // namespace
}  // namespace kestrine::e2e
