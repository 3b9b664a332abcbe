// Damaged settings files at start-up: the program always opens and fills its lists; a file it
// cannot read is replaced by the default record; a readable one is used as it is and never
// overwritten with a record that fails the test before writing; places it cannot write to
// stay as they were, without a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
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

const char* const oneDrive = "0 healthy vendor=ACME product=X100\n";
const char* const boxCaption = "kestrine_scripted";

Bytes withDefaultPercent(std::uint32_t percent) {
    Bytes bytes = defaultSettings();
    testing::putLe32(bytes, defaultPercentAt, percent);
    return bytes;
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

class FaultDamagedSettings : public ::testing::Test {
protected:
    void SetUp() override { resetSettingsFolder(); }
    void TearDown() override { resetSettingsFolder(); }

    // Starts the host and checks what every start must give: the window, the first refresh
    // with the drive listed, no message box, and `percent` as the default percent shown.
    void startShowing(const std::string& percent) {
        run_ = std::make_unique<ProgramRun>(Program::Scripted);
        ASSERT_TRUE(run_->waitForFirstRefresh());
        ASSERT_TRUE(waitUntil([&] { return listItemCount(run_->control(IDC_DRIVE_LIST)) == 1; }));
        EXPECT_EQ(readListItems(run_->control(IDC_DRIVE_LIST)).front().text, "Disk 0 - ACME X100");
        EXPECT_GT(listItemCount(run_->control(IDC_VOLUME_LIST)), 0);
        EXPECT_EQ(run_->controlText(IDC_DEFAULT_PERCENT), percent);
        EXPECT_EQ(dialogWindows(run_->processId()), std::vector<HWND>{run_->window()});
    }
    // Ends the program through "E&xit"; it must end without showing anything.
    void exitQuietly() {
        run_->command(ID_FILE_EXIT);
        EXPECT_TRUE(run_->waitForExit(patientMs)) << "a message box held the program";
    }
    // Ends the program through "E&xit" expecting "Bad Config Data On Save" on the way out.
    void exitThroughBadDataBox() {
        const HWND main = run_->window();
        run_->command(ID_FILE_EXIT);
        HWND box = nullptr;
        ASSERT_TRUE(waitUntil([&] {
            for (HWND dialog : dialogWindows(run_->processId()))
                if (dialog != main && ProgramRun::windowText(dialog) == boxCaption) box = dialog;
            return box != nullptr;
        }));
        EXPECT_EQ(messageBoxText(box), "Bad Config Data On Save");
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(run_->waitForExit(patientMs));
    }
    void press(int button) { clickButton(run_->control(button)); }

    ScenarioFile drives_{oneDrive};
    std::unique_ptr<ProgramRun> run_;
};

TEST_F(FaultDamagedSettings, UnreadableFileIsReplacedByTheDefaultRecord) {
    Bytes versionTwo = defaultSettings();
    testing::putLe32(versionTwo, 0, 2);
    Bytes cutShort = defaultSettings();
    cutShort.resize(settingsSize - 1);
    const std::vector<std::pair<const char*, Bytes>> forms{
        {"empty", {}}, {"one byte", {3}}, {"271 bytes", cutShort}, {"version 2", versionTwo}};
    for (const auto& [name, bytes] : forms) {
        SCOPED_TRACE(name);
        resetSettingsFolder();
        ASSERT_TRUE(writeFile(settingsPath(), bytes));
        startShowing("10");
        EXPECT_TRUE(settingsEqual(defaultSettings()));
        exitQuietly();
        EXPECT_TRUE(settingsEqual(defaultSettings()));
    }
}

TEST_F(FaultDamagedSettings, MissingFileAndFoldersAreCreatedWithTheDefaultRecord) {
    const std::string folder = settingsFolder();
    removePath(folder);
    removePath(folder.substr(0, folder.find_last_of('\\')));
    startShowing("10");
    EXPECT_TRUE(settingsEqual(defaultSettings()));
    exitQuietly();
    std::vector<std::string> entries = folderEntries(folder);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"KSTMC.dat", "KSTMH.dat", "KSTMH.lock"})) << "and the health history";
}

TEST_F(FaultDamagedSettings, OddLengthFieldOrTrailingBytesAreReadAndLeftAlone) {
    Bytes lengthZero = withDefaultPercent(7);
    testing::putLe32(lengthZero, 4, 0);
    Bytes lengthHuge = withDefaultPercent(7);
    testing::putLe32(lengthHuge, 4, 9999);
    Bytes tooLong = withDefaultPercent(7);
    tooLong.resize(300, 0xEE);
    const std::vector<std::pair<const char*, Bytes>> forms{
        {"length 0", lengthZero}, {"length 9999", lengthHuge}, {"300 bytes", tooLong}};
    for (const auto& [name, bytes] : forms) {
        SCOPED_TRACE(name);
        resetSettingsFolder();
        ASSERT_TRUE(writeSettings(bytes));
        startShowing("7");
        exitQuietly();
        Bytes after;
        ASSERT_TRUE(readSettings(after));
        EXPECT_EQ(after, bytes);
        EXPECT_TRUE(unchangedSincePrepared());
    }
}

TEST_F(FaultDamagedSettings, OverlongFileIsCutToOneRecordByAChangedSave) {
    Bytes tooLong = withDefaultPercent(7);
    testing::putLe32(tooLong, 4, 9999);
    tooLong.resize(300, 0xEE);
    ASSERT_TRUE(writeSettings(tooLong));
    startShowing("7");
    press(IDC_DEFAULT_UP);
    exitQuietly();
    Bytes expected(tooLong.begin(), tooLong.begin() + settingsSize);
    expected[defaultPercentAt] = 8;
    EXPECT_TRUE(settingsEqual(expected));
}

// Readable records whose thresholds or slot markers are out of order.
std::vector<std::pair<const char*, Bytes>> outOfRangeForms() {
    Bytes ownHuge = defaultSettings();
    testing::putLe32(ownHuge, ownPercentAt(2), 0xFFFFFFFF);
    Bytes scrambled = defaultSettings();
    testing::putLe32(scrambled, 140 + 4 * 3, 4);
    testing::putLe32(scrambled, 140 + 4 * 4, 3);
    return {{"default 0", withDefaultPercent(0)},
            {"default 200", withDefaultPercent(200)},
            {"own percent 0xFFFFFFFF", ownHuge},
            {"slot indexes swapped", scrambled}};
}

std::string shownDefault(const Bytes& bytes) {
    return std::to_string(testing::le16At(bytes.data() + defaultPercentAt));
}

TEST_F(FaultDamagedSettings, OutOfRangeFileIsUsedAndNotWrittenWhenNothingChanged) {
    for (const auto& [name, bytes] : outOfRangeForms()) {
        SCOPED_TRACE(name);
        resetSettingsFolder();
        ASSERT_TRUE(writeSettings(bytes));
        startShowing(shownDefault(bytes));
        exitQuietly();
        EXPECT_TRUE(settingsEqual(bytes));
        EXPECT_TRUE(unchangedSincePrepared());
    }
}

// A change to a record that stays out of range is refused at exit with the message, and
// the file keeps what it held.
TEST_F(FaultDamagedSettings, OutOfRangeFileWithAChangeShowsTheBoxAndKeepsTheFile) {
    for (const auto& [name, bytes] : outOfRangeForms()) {
        if (bytes[defaultPercentAt] == 0) continue;  // raising 0 brings it into range: below
        SCOPED_TRACE(name);
        resetSettingsFolder();
        ASSERT_TRUE(writeSettings(bytes));
        startShowing(shownDefault(bytes));
        press(IDC_DEFAULT_DOWN);
        exitThroughBadDataBox();
        EXPECT_TRUE(settingsEqual(bytes));
        EXPECT_TRUE(unchangedSincePrepared());
    }
}

TEST_F(FaultDamagedSettings, DefaultOfZeroRaisedIntoRangeIsSaved) {
    ASSERT_TRUE(writeSettings(withDefaultPercent(0)));
    startShowing("0");
    press(IDC_DEFAULT_DOWN);  // cannot go lower
    EXPECT_EQ(run_->controlText(IDC_DEFAULT_PERCENT), "0");
    press(IDC_DEFAULT_UP);
    EXPECT_EQ(run_->controlText(IDC_DEFAULT_PERCENT), "1");
    exitQuietly();
    EXPECT_TRUE(settingsEqual(withDefaultPercent(1)));
}

TEST_F(FaultDamagedSettings, FolderInPlaceOfTheFileStaysAndDefaultsAreUsed) {
    ASSERT_TRUE(CreateDirectoryA(settingsPath().c_str(), nullptr));
    startShowing("10");
    press(IDC_DEFAULT_UP);
    exitQuietly();
    EXPECT_TRUE(isFolder(settingsPath()));
    EXPECT_EQ(entriesBesideHistory(settingsFolder()), std::vector<std::string>{"KSTMC.dat"});
    EXPECT_TRUE(folderEntries(settingsPath()).empty());
}

TEST_F(FaultDamagedSettings, ReadOnlyFileIsReadButNeverWritten) {
    const Bytes seven = withDefaultPercent(7);
    ASSERT_TRUE(writeSettings(seven));
    ASSERT_TRUE(SetFileAttributesA(settingsPath().c_str(), FILE_ATTRIBUTE_READONLY));
    startShowing("7");
    press(IDC_DEFAULT_UP);
    exitQuietly();
    EXPECT_TRUE(settingsEqual(seven));
    EXPECT_NE(GetFileAttributesA(settingsPath().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(entriesBesideHistory(settingsFolder()), std::vector<std::string>{"KSTMC.dat"});
}

TEST_F(FaultDamagedSettings, ReadOnlyUnreadableFileStaysAndDefaultsAreUsed) {
    Bytes versionTwo = withDefaultPercent(7);
    testing::putLe32(versionTwo, 0, 2);
    ASSERT_TRUE(writeSettings(versionTwo));
    ASSERT_TRUE(SetFileAttributesA(settingsPath().c_str(), FILE_ATTRIBUTE_READONLY));
    startShowing("10");
    exitQuietly();
    EXPECT_TRUE(settingsEqual(versionTwo));
    EXPECT_EQ(entriesBesideHistory(settingsFolder()), std::vector<std::string>{"KSTMC.dat"});
}

TEST_F(FaultDamagedSettings, FileInPlaceOfTheFolderStaysAndDefaultsAreUsed) {
    const std::string folder = settingsFolder();
    removePath(folder);
    const Bytes squatter{'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'l', 'd', 'e', 'r'};
    ASSERT_TRUE(writeFile(folder, squatter));
    startShowing("10");
    press(IDC_DEFAULT_UP);
    exitQuietly();
    ASSERT_FALSE(isFolder(folder));
    std::ifstream file(folder, std::ios::binary);
    const Bytes after{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(after, squatter);
}

}  // namespace
}  // namespace kestrine::e2e
