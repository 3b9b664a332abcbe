// The settings store on real files below the all-users application-data folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

#include "fakes/fake_message_sink.h"
#include "platform/win32_file_store.h"
#include "platform/win32_handle.h"
#include "platform/win32_settings_folder.h"
#include "settings/settings_store.h"

namespace kestrine {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const SettingsRecord& record) {
    Bytes bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    return bytes;
}

// A file longer than a record: the record, then 0xEE bytes up to `size`.
Bytes bytesFollowedByJunk(const SettingsRecord& record, std::size_t size) {
    Bytes bytes(size, 0xEE);
    std::memcpy(bytes.data(), &record, sizeof record);
    return bytes;
}

std::optional<Bytes> fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool pathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void removeFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

// A scratch base folder of its own below the all-users application-data folder, removed
// with everything the store put into it.
class SettingsOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(settingsBaseFolder(), badPathBase);
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr)) << base;
    }
    void TearDown() override {
        removeFile(file);
        removeFile(temporaryPathFor(file));
        RemoveDirectoryA(temporaryPathFor(file).c_str());
        RemoveDirectoryA((base + "\\VTN\\KSTM").c_str());
        RemoveDirectoryA((base + "\\VTN").c_str());
        RemoveDirectoryA(base.c_str());
    }
    SettingsRecord storedRecord(std::uint32_t defaultPercent) {
        SettingsRecord record = defaultSettings();
        record.defaultWarningPercent = defaultPercent;
        CreateDirectoryA((base + "\\VTN").c_str(), nullptr);
        CreateDirectoryA((base + "\\VTN\\KSTM").c_str(), nullptr);
        writeFile(file, bytesOf(record));
        return record;
    }

    const std::string base = settingsBaseFolder() + "\\KestrineSettingsTest";
    const std::string file = base + "\\VTN\\KSTM\\KSTMC.dat";
    Win32FileStore files;
    testing::RecordingMessageSink messages;
    SettingsStore store{files, messages, base};
};

TEST_F(SettingsOnDisk, FirstStartCreatesFoldersAndTheDefaultFile) {
    EXPECT_TRUE(store.runStartUpSequence());
    EXPECT_EQ(fileBytes(file), bytesOf(defaultSettings()));
    EXPECT_FALSE(pathExists(temporaryPathFor(file)));
}

TEST_F(SettingsOnDisk, ExistingFileIsLoadedAndAChangeWrittenBack) {
    storedRecord(17);
    EXPECT_FALSE(store.runStartUpSequence());
    EXPECT_EQ(store.working().defaultWarningPercent, 17u);
    store.working().defaultWarningPercent = 18;
    EXPECT_TRUE(store.saveSettings());
    EXPECT_EQ(fileBytes(file), bytesOf(store.working()));
}

TEST_F(SettingsOnDisk, LongerFileLoadsAndIsTruncatedBySave) {
    const Bytes bytes = bytesFollowedByJunk(storedRecord(15), 400);
    writeFile(file, bytes);
    EXPECT_FALSE(store.runStartUpSequence());
    store.working().defaultWarningPercent = 16;
    ASSERT_TRUE(store.saveSettings());
    EXPECT_EQ(fileBytes(file)->size(), 272u);
}

TEST_F(SettingsOnDisk, ShortFileIsReplacedByTheDefaultRecord) {
    storedRecord(15);
    writeFile(file, Bytes(100, 3));
    EXPECT_TRUE(store.runStartUpSequence());
    EXPECT_EQ(fileBytes(file), bytesOf(defaultSettings()));
}

TEST_F(SettingsOnDisk, ReplaceThatCannotTakePlaceLeavesTheOldRecord) {
    const Bytes old = bytesOf(storedRecord(15));
    const Bytes replacement = bytesOf(defaultSettings());
    {
        // Held open without sharing, the file cannot be replaced: the temporary file was
        // written and flushed, then the final step fails.
        const UniqueHandle held(CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.valid());
        EXPECT_FALSE(files.replace(file, replacement.data(), replacement.size()));
    }
    EXPECT_EQ(fileBytes(file), old);
    EXPECT_FALSE(pathExists(temporaryPathFor(file)));
    EXPECT_TRUE(files.replace(file, replacement.data(), replacement.size()));
    EXPECT_EQ(fileBytes(file), replacement);
}

TEST_F(SettingsOnDisk, ReadOnlyFileMakesTheSaveFailAndKeepsItsBytes) {
    const Bytes old = bytesOf(storedRecord(15));
    ASSERT_FALSE(store.runStartUpSequence());
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    store.working().defaultWarningPercent = 16;
    EXPECT_FALSE(store.saveSettings());
    EXPECT_EQ(fileBytes(file), old);
    EXPECT_FALSE(pathExists(temporaryPathFor(file)));
    EXPECT_TRUE(messages.shown.empty());
}

// A save cut short before its replace leaves the temporary file. Read-only, or hidden (which
// a create-or-truncate open refuses too), it must not block the saves that follow.
TEST_F(SettingsOnDisk, LeftoverTemporaryFileIsRemovedBeforeTheSave) {
    storedRecord(15);
    ASSERT_FALSE(store.runStartUpSequence());
    std::uint32_t percent = 15;
    for (const DWORD attributes :
         {DWORD{FILE_ATTRIBUTE_READONLY}, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
        SCOPED_TRACE(attributes);
        writeFile(temporaryPathFor(file), Bytes(100, 0xEE));
        ASSERT_TRUE(SetFileAttributesA(temporaryPathFor(file).c_str(), attributes));
        store.working().defaultWarningPercent = ++percent;
        EXPECT_TRUE(store.saveSettings());
        EXPECT_EQ(fileBytes(file), bytesOf(store.working()));
        EXPECT_FALSE(pathExists(temporaryPathFor(file)));
    }
}

// A folder in the temporary file's place can be neither removed nor written: the save fails
// as before, and the stored file stays whole.
TEST_F(SettingsOnDisk, TemporaryPathThatCannotBeWrittenFailsTheSaveAndKeepsTheFile) {
    const Bytes old = bytesOf(storedRecord(15));
    ASSERT_FALSE(store.runStartUpSequence());
    ASSERT_TRUE(CreateDirectoryA(temporaryPathFor(file).c_str(), nullptr));
    store.working().defaultWarningPercent = 16;
    EXPECT_FALSE(store.saveSettings());
    EXPECT_EQ(fileBytes(file), old);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingsOnDisk, MissingBaseFolderFailsSilentlyAndCreatesNothing) {
    const std::string missing = base + "\\Missing";
    SettingsStore elsewhere(files, messages, missing);
    EXPECT_TRUE(elsewhere.runStartUpSequence());
    EXPECT_FALSE(pathExists(missing));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(sameSettings(elsewhere.working(), defaultSettings()));
}

TEST_F(SettingsOnDisk, BadPathBaseFailsSilentlyAndCreatesNothing) {
    ASSERT_FALSE(pathExists(badPathBase));
    SettingsStore unknown(files, messages, badPathBase);
    EXPECT_TRUE(unknown.runStartUpSequence());
    EXPECT_FALSE(unknown.saveSettings());
    EXPECT_FALSE(pathExists(badPathBase));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingsOnDisk, FileStoreTellsFilesAndFoldersFromMissingPaths) {
    storedRecord(10);
    EXPECT_TRUE(files.exists(base));
    EXPECT_TRUE(files.exists(file));
    EXPECT_FALSE(files.exists(base + "\\nothing here"));
}

TEST_F(SettingsOnDisk, FileStoreReadsAtMostTheAskedBytes) {
    const Bytes bytes = bytesFollowedByJunk(storedRecord(10), 300);
    writeFile(file, bytes);
    Bytes buffer(272);
    std::size_t got = 0;
    ASSERT_TRUE(files.read(file, buffer.data(), buffer.size(), got));
    EXPECT_EQ(got, 272u);
    EXPECT_EQ(buffer, Bytes(bytes.begin(), bytes.begin() + 272));
    EXPECT_FALSE(files.read(file + ".missing", buffer.data(), buffer.size(), got));
    EXPECT_EQ(got, 0u);
}

// A reader that only reads: it creates no folder, writes no file, and reads a file that
// someone else holds open for writing, where the window's exclusive open is refused. While
// such a reader holds the file, the window's save waits for it and then replaces it.
TEST_F(SettingsOnDisk, ReadOnlyStoreReadsAlongsideWritersAndNeverWrites) {
    static_assert(!std::is_base_of_v<FileStore, Win32FileReader>, "the reader has no way to write");
    Win32FileReader reader;
    const SettingsRecord stored = storedRecord(17);

    constexpr DWORD everyone = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    Bytes buffer(sizeof(SettingsRecord));
    std::size_t got = 0;
    {
        const UniqueHandle writer(
            CreateFileA(file.c_str(), GENERIC_WRITE, everyone, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(writer.valid());
        EXPECT_FALSE(files.read(file, buffer.data(), buffer.size(), got));
        ASSERT_TRUE(reader.read(file, buffer.data(), buffer.size(), got));
        EXPECT_EQ(buffer, bytesOf(stored));
    }
    // A reader that holds the file while the window saves makes the save wait for it, not fail.
    UniqueHandle held(
        CreateFileA(file.c_str(), GENERIC_READ, everyone, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.valid());
    std::thread letGo([&held] {
        Sleep(50);
        held.reset();
    });
    testing::RecordingMessageSink messages;
    SettingsStore window(files, messages, base);
    window.working().defaultWarningPercent = 18;
    EXPECT_TRUE(window.saveSettings());
    letGo.join();
    ASSERT_TRUE(reader.read(file, buffer.data(), buffer.size(), got));
    EXPECT_EQ(reinterpret_cast<const SettingsRecord*>(buffer.data())->defaultWarningPercent, 18u);
}

// The real settings file: a first start on a clean system writes it in "VTN\KSTM". Whatever
// was there before is put back afterwards.
TEST(SettingsAtHome, FirstStartWritesDefaultRecordInVtnKstm) {
    const std::string base = settingsBaseFolder();
    ASSERT_NE(base, badPathBase);
    const std::string vtn = base + "\\VTN", kstm = vtn + "\\KSTM", file = kstm + "\\KSTMC.dat";
    const bool hadVtn = pathExists(vtn), hadKstm = pathExists(kstm);
    const std::optional<Bytes> previous = fileBytes(file);
    removeFile(file);

    Win32FileStore files;
    testing::RecordingMessageSink messages;
    SettingsStore store(files, messages, base);
    EXPECT_TRUE(store.runStartUpSequence());
    EXPECT_EQ(fileBytes(file), bytesOf(defaultSettings()));

    if (previous) {
        writeFile(file, *previous);
    } else {
        removeFile(file);
        if (!hadKstm) RemoveDirectoryA(kstm.c_str());
        if (!hadVtn) RemoveDirectoryA(vtn.c_str());
    }
}

}  // namespace
}  // namespace kestrine
