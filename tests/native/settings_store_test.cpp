#include <gtest/gtest.h>

#include <deque>
#include <optional>
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
    testing::CountingPause pause;
    SettingsStore store{files, messages, pause, programData};
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
    EXPECT_EQ(store.loadWorkingSettings(), SettingsLoad::Missing);
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

// Only a missing file is a first start. A file another program holds is tried again every
// 50 ms for up to a second; one that stays unreadable leaves the defaults in force, is no
// first start, and is never written in that run, not even after a change.
TEST_F(SettingsFile, StartTellsAMissingFileFromOneInUseOrUnreadable) {
    constexpr std::uint32_t sharingViolation = 32, accessDenied = 5;
    const struct Row {
        const char* name;
        bool fileThere;
        std::deque<std::uint32_t> busyReads;
        bool failAlways;
        bool firstStart;
        std::uint32_t percent;
        std::optional<std::uint32_t> readError;
        std::uint32_t waited;
        int replacementsAtStart;
    } rows[] = {
        {"missing", false, {}, false, true, 10, std::nullopt, 0, 1},
        {"in use for three tries", true, std::deque<std::uint32_t>(3, sharingViolation), false, false, 25, std::nullopt,
         150, 0},
        {"in use up to the last try", true, std::deque<std::uint32_t>(20, sharingViolation), false, false, 25,
         std::nullopt, 1000, 0},
        {"in use one try too long", true, std::deque<std::uint32_t>(21, sharingViolation), false, false, 10,
         sharingViolation, 1000, 0},
        {"access denied throughout", true, {}, true, false, 10, accessDenied, 1000, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeFileStore disk;
        disk.folders.insert(programData);
        SettingsRecord record = defaultSettings();
        record.defaultWarningPercent = 25;
        if (row.fileThere) {
            disk.folders.insert({programData + "\\VTN", programData + "\\VTN\\KSTM"});
            disk.files[settingsPath] = bytesOf(record);
        }
        disk.busyReads = row.busyReads;
        disk.failReads = row.failAlways;
        disk.failingReadError = accessDenied;
        testing::CountingPause waits;
        SettingsStore window{disk, messages, waits, programData};

        EXPECT_EQ(window.runStartUpSequence(), row.firstStart);
        EXPECT_EQ(window.working().defaultWarningPercent, row.percent);
        EXPECT_EQ(window.readError(), row.readError);
        EXPECT_EQ(waits.waited, row.waited);
        EXPECT_EQ(disk.replacements, row.replacementsAtStart);

        window.working().defaultWarningPercent = 30;
        EXPECT_TRUE(window.saveSettings());
        EXPECT_EQ(disk.replacements, row.replacementsAtStart + (row.readError ? 0 : 1));
        if (row.readError) {
            EXPECT_EQ(disk.files[settingsPath], bytesOf(record)) << "the user's percents stay";
        }
    }
    EXPECT_TRUE(messages.shown.empty());
}

// A copy with administrator rights writes only into settings folders that are no reparse point
// and that Administrators, SYSTEM or its own user own; it names the first folder it refuses
// and writes nothing. A standard user's copy writes as before.
TEST_F(SettingsFile, ElevatedCopyRefusesFoldersSomeoneElseCouldHaveRedirected) {
    const std::string vtn = programData + "\\VTN", kstm = vtn + "\\KSTM";
    const struct Row {
        const char* name;
        FolderFacts vtnFacts;
        FolderFacts kstmFacts;
        bool elevated;
        std::string refused;
    } rows[] = {
        {"Administrators' folders",
         {false, FolderOwner::Administrators},
         {false, FolderOwner::Administrators},
         true,
         ""},
        {"SYSTEM's folders", {false, FolderOwner::System}, {false, FolderOwner::Administrators}, true, ""},
        {"its own user's folders", {false, FolderOwner::RunningUser}, {false, FolderOwner::RunningUser}, true, ""},
        {"a user made VTN", {false, FolderOwner::SomeoneElse}, {false, FolderOwner::Administrators}, true, vtn},
        {"KSTM is a junction", {false, FolderOwner::Administrators}, {true, FolderOwner::Administrators}, true, kstm},
        {"owner unreadable", {false, FolderOwner::Administrators}, {false, FolderOwner::Unknown}, true, kstm},
        {"a standard user's copy", {true, FolderOwner::SomeoneElse}, {true, FolderOwner::Unknown}, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeFileStore disk;
        disk.folders = {programData, vtn, kstm};
        disk.facts = {{vtn, row.vtnFacts}, {kstm, row.kstmFacts}};
        SettingsStore copy{disk, messages, pause, programData, row.elevated};
        copy.working().defaultWarningPercent = 12;
        EXPECT_EQ(copy.saveSettings(), row.refused.empty());
        EXPECT_EQ(copy.refusedFolder(), row.refused);
        EXPECT_EQ(disk.replacements, row.refused.empty() ? 1 : 0);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST(FolderTrust, ElevatedCopiesWriteOnlyIntoFoldersOfAdministratorsSystemOrTheirUserThatAreNoLinks) {
    const struct Row {
        bool reparsePoint;
        FolderOwner owner;
        bool elevated;
        bool mayWrite;
    } rows[] = {
        {false, FolderOwner::Administrators, true, true}, {false, FolderOwner::System, true, true},
        {false, FolderOwner::RunningUser, true, true},    {true, FolderOwner::RunningUser, true, false},
        {false, FolderOwner::SomeoneElse, true, false},   {false, FolderOwner::Unknown, true, false},
        {true, FolderOwner::Administrators, true, false}, {true, FolderOwner::System, true, false},
        {true, FolderOwner::SomeoneElse, false, true},    {false, FolderOwner::Unknown, false, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(mayWriteInto({row.reparsePoint, row.owner}, row.elevated), row.mayWrite)
            << row.reparsePoint << ' ' << static_cast<int>(row.owner) << ' ' << row.elevated;
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

// A folder of saved replies: SYSTEM, Administrators and its maker, nobody else, nothing inherited.
TEST(ReplacementName, SavedRepliesFolderAccessIsItsMakersAndTheAdministrators) {
    EXPECT_EQ(savedRepliesFolderAccess("S-1-5-21-1-2-3-1001"),
              "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;S-1-5-21-1-2-3-1001)");
}

}  // namespace
}  // namespace kestrine
