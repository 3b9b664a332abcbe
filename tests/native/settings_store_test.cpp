#include <gtest/gtest.h>

#include <vector>

#include "fakes/fake_file_store.h"
#include "fakes/fake_message_sink.h"
#include "settings/replacement_name.h"
#include "settings/settings_folder_access.h"
#include "settings/settings_store.h"

namespace kestrine {
namespace {

using testing::FakeFileStore;
using testing::RecordingMessageSink;
using Bytes = std::vector<std::uint8_t>;

const std::string programData = "C:\\ProgramData";
const std::string settingsPath = "C:\\ProgramData\\VTN\\KSTM\\KSTMC.dat";

using testing::bytesOf;

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { files.folders.insert(programData); }
    void storeFile(const SettingsRecord& record) {
        files.folders.insert(programData + "\\VTN");
        files.folders.insert(programData + "\\VTN\\KSTM");
        files.files[settingsPath] = bytesOf(record);
    }

    FakeFileStore files;
    RecordingMessageSink messages;
    SettingsStore store{files, messages, programData};
};

TEST_F(SettingsFile, FirstStartCreatesFoldersAndWritesTheDefaultRecord) {
    EXPECT_TRUE(store.runStartUpSequence());
    EXPECT_EQ(files.files[settingsPath], bytesOf(defaultSettings()));
    EXPECT_TRUE(files.folders.count(programData + "\\VTN\\KSTM"));
    EXPECT_TRUE(sameSettings(store.working(), defaultSettings()));
    EXPECT_TRUE(store.saveSettings());  // nothing changed since: no second write
    EXPECT_EQ(files.replacements, 1);
}

TEST_F(SettingsFile, FilePathNamesTheFileBelowTheBaseFolderWithoutTouchingIt) {
    EXPECT_EQ(store.filePath(), settingsPath);
    EXPECT_FALSE(files.folders.count(programData + "\\VTN"));
}

TEST_F(SettingsFile, ExistingFileIsLoadedIntoTheWorkingRecord) {
    SettingsRecord record = defaultSettings();
    record.defaultWarningPercent = 17;
    storeFile(record);
    EXPECT_FALSE(store.runStartUpSequence());
    EXPECT_EQ(store.working().defaultWarningPercent, 17u);
}

TEST_F(SettingsFile, ReadOnlyLoadTakesTheFileOrKeepsTheDefaultsAndWritesNothing) {
    EXPECT_EQ(store.loadWorkingSettings(), SettingsLoad::Unreadable);
    EXPECT_TRUE(sameSettings(store.working(), defaultSettings()));
    EXPECT_TRUE(files.files.empty());

    SettingsRecord record = defaultSettings();
    record.defaultWarningPercent = 17;
    storeFile(record);
    EXPECT_EQ(store.loadWorkingSettings(), SettingsLoad::Loaded);
    EXPECT_EQ(store.working().defaultWarningPercent, 17u);

    record.version = 2;  // a file of another version is not loaded, and not replaced
    storeFile(record);
    EXPECT_EQ(store.loadWorkingSettings(), SettingsLoad::Rejected);
    EXPECT_EQ(store.working().defaultWarningPercent, 10u);
    EXPECT_EQ(files.replacements, 0);
}

TEST_F(SettingsFile, UnchangedRecordWritesNothingAtExit) {
    storeFile(defaultSettings());
    store.runStartUpSequence();
    EXPECT_TRUE(store.saveSettings());
    EXPECT_EQ(files.replacements, 0);
}

TEST_F(SettingsFile, ChangeMadeAndUndoneWritesNothing) {
    storeFile(defaultSettings());
    store.runStartUpSequence();
    store.working().warningPercent[2] = 11;
    store.working().warningPercent[2] = 10;
    EXPECT_TRUE(store.saveSettings());
    EXPECT_EQ(files.replacements, 0);
}

TEST_F(SettingsFile, ChangedRecordIsWrittenWhole) {
    storeFile(defaultSettings());
    store.runStartUpSequence();
    store.working().useDefault[3] = 0;
    EXPECT_TRUE(store.saveSettings());
    EXPECT_EQ(files.files[settingsPath], bytesOf(store.working()));
}

TEST_F(SettingsFile, UnusualLengthAndReservedBytesSurviveASave) {
    SettingsRecord record = defaultSettings();
    record.recordLength = 300;
    for (std::size_t i = 0; i < record.reserved.size(); ++i) record.reserved[i] = static_cast<std::uint8_t>(i + 1);
    storeFile(record);
    EXPECT_FALSE(store.runStartUpSequence());
    store.working().defaultWarningPercent = 11;
    ASSERT_TRUE(store.saveSettings());
    record.defaultWarningPercent = 11;
    EXPECT_EQ(files.files[settingsPath], bytesOf(record));
}

TEST_F(SettingsFile, StoredDefaultOfZeroLoadsButAChangeIsRefusedAtSave) {
    SettingsRecord record = defaultSettings();
    record.defaultWarningPercent = 0;
    storeFile(record);
    EXPECT_FALSE(store.runStartUpSequence());
    EXPECT_EQ(store.working().defaultWarningPercent, 0u);
    store.working().warningPercent[2] = 11;
    EXPECT_FALSE(store.saveSettings());
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Bad Config Data On Save"});
    EXPECT_EQ(files.files[settingsPath], bytesOf(record));
    EXPECT_EQ(files.replacements, 0);
}

TEST_F(SettingsFile, ShortFileIsReplacedByDefaultsAsAFirstStart) {
    storeFile(defaultSettings());
    store.working().defaultWarningPercent = 3;  // the start resets it
    files.files[settingsPath].resize(271);
    EXPECT_TRUE(store.runStartUpSequence());
    EXPECT_EQ(files.files[settingsPath], bytesOf(defaultSettings()));
    EXPECT_EQ(store.working().defaultWarningPercent, 10u);
}

TEST_F(SettingsFile, WrongVersionIsReplacedByDefaultsAsAFirstStart) {
    SettingsRecord record = defaultSettings();
    record.version = 4;
    record.defaultWarningPercent = 15;
    storeFile(record);
    EXPECT_TRUE(store.runStartUpSequence());
    EXPECT_EQ(files.files[settingsPath], bytesOf(defaultSettings()));
}

TEST_F(SettingsFile, LongerFileLoadsItsFirstRecordAndASaveTruncatesIt) {
    SettingsRecord record = defaultSettings();
    record.defaultWarningPercent = 15;
    storeFile(record);
    files.files[settingsPath].resize(400, 0xEE);
    EXPECT_FALSE(store.runStartUpSequence());
    EXPECT_EQ(store.working().defaultWarningPercent, 15u);
    store.working().defaultWarningPercent = 16;
    ASSERT_TRUE(store.saveSettings());
    EXPECT_EQ(files.files[settingsPath].size(), 272u);
}

TEST_F(SettingsFile, MissingBaseFolderFailsSilentlyAndCreatesNothing) {
    files.folders.clear();
    EXPECT_TRUE(store.runStartUpSequence());
    EXPECT_TRUE(files.folders.empty());
    EXPECT_TRUE(files.files.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(sameSettings(store.working(), defaultSettings()));
    store.working().defaultWarningPercent = 12;
    EXPECT_FALSE(store.saveSettings());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingsFile, UnreadableFileRunsOnDefaultsWithoutMessage) {
    SettingsRecord record = defaultSettings();
    record.defaultWarningPercent = 15;
    storeFile(record);
    files.failReads = true;
    EXPECT_TRUE(store.runStartUpSequence());
    EXPECT_EQ(store.working().defaultWarningPercent, 10u);
    EXPECT_TRUE(messages.shown.empty());
}

// What a failed replacement leaves on disk is the file store's promise, checked on real files
// in the Windows suite; the store itself reports the failure silently and tries again at the
// next save.
TEST_F(SettingsFile, FailedReplaceIsReportedSilentlyAndTheNextSaveTriesAgain) {
    SettingsRecord record = defaultSettings();
    record.defaultWarningPercent = 15;
    storeFile(record);
    store.runStartUpSequence();
    files.failReplaces = true;
    store.working().defaultWarningPercent = 16;
    EXPECT_FALSE(store.saveSettings());
    EXPECT_TRUE(messages.shown.empty());
    files.failReplaces = false;
    EXPECT_TRUE(store.saveSettings());
    EXPECT_EQ(files.replacements, 1);
    EXPECT_EQ(files.files[settingsPath], bytesOf(store.working()));
}

TEST_F(SettingsFile, FailedLoadKeepsThePreviouslyLoadedCopy) {
    storeFile(defaultSettings());
    store.runStartUpSequence();
    files.files[settingsPath].resize(10);
    EXPECT_FALSE(store.loadSettings());
    EXPECT_TRUE(store.saveSettings());  // still equal to what was loaded: nothing to write
    EXPECT_EQ(files.replacements, 0);
}

TEST_F(SettingsFile, WithoutASuccessfulLoadEveryRecordIsWritten) {
    files.failReads = true;
    EXPECT_TRUE(store.saveSettings());
    EXPECT_TRUE(store.saveSettings());
    EXPECT_EQ(files.replacements, 2);
}

// The temporary name of a replacement: beside the target, every random byte in it, so that
// two saves never share a name that could be guessed.
TEST(ReplacementName, BesideTheTargetAndNamedByEveryRandomByte) {
    ReplacementRandom random{};
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<std::uint8_t>(0x10 * i + 0x0F - i);
    EXPECT_EQ(replacementPath("C:\\ProgramData\\VTN\\KSTM\\KSTMC.dat", random),
              "C:\\ProgramData\\VTN\\KSTM\\KSTMC.dat.0f1e2d3c4b5a69788796a5b4c3d2e1f0.new");
    ReplacementRandom other = random;
    other[15] ^= 0x01;
    EXPECT_EQ(replacementPath("kestrine.prom", other), "kestrine.prom.0f1e2d3c4b5a69788796a5b4c3d2e1f1.new");
    EXPECT_EQ(replacementPath("x", ReplacementRandom{}), "x.00000000000000000000000000000000.new");
}

// The settings folders' access list: protected, and Users may neither add a subfolder nor
// change permissions, owner or the folder's entries wholesale.
TEST(ReplacementName, SettingsFolderAccessKeepsUsersToFiles) {
    const std::string access = settingsFolderAccess;
    EXPECT_TRUE(access.starts_with("D:P(")) << "protected from inheritance";
    std::size_t usersAces = 0;
    for (std::size_t at = access.find('('); at != std::string::npos; at = access.find('(', at + 1)) {
        // "A;inheritance;rights;;;trustee"
        std::vector<std::string> fields(1);
        for (std::size_t i = at + 1; access[i] != ')'; ++i)
            access[i] == ';' ? fields.emplace_back() : fields.back() += access[i];
        ASSERT_EQ(fields.size(), 6u) << access.substr(at);
        if (fields[5] != "BU") continue;
        ++usersAces;
        const unsigned long mask = std::stoul(fields[2], nullptr, 16);
        // Delete child, change permissions, change owner; and on the folder itself (an ACE not
        // inherit-only), add a subfolder: on files the same bit means append.
        const unsigned long forbidden =
            0x40ul | 0x40000ul | 0x80000ul | (fields[1].find("IO") == std::string::npos ? 0x4ul : 0);
        EXPECT_EQ(mask & forbidden, 0u) << fields[2];
        EXPECT_EQ(fields[1].find("CI"), std::string::npos) << fields[1] << ": nothing for subfolders";
    }
    EXPECT_EQ(usersAces, 2u);
    EXPECT_TRUE(access.ends_with("(A;;0x1200af;;;S-1-3-4)")) << "the owner: Users' rights and subfolders, no more";
}

}  // namespace
}  // namespace kestrine
