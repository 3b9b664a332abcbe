// The settings store on real files below the all-users application-data folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "fakes/fake_message_sink.h"
#include "platform/win32_file_store.h"
#include "platform/win32_handle.h"
#include "platform/win32_process_token.h"
#include "platform/win32_settings_folder.h"
#include "settings/settings_folder_access.h"
#include "settings/settings_store.h"
#include "win32_polling.h"
#include "win32_recording_file_calls.h"

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

// The names in a folder, "." and ".." left out, sorted.
std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data{};
    const UniqueFindHandle find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (!find.valid()) return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find.get(), &data));
    std::sort(names.begin(), names.end());
    return names;
}

// Random bytes the test chooses: each fill takes the next of `queue`, then all 0xAB.
class ChosenRandom : public RandomSource {
public:
    std::deque<ReplacementRandom> queue;
    bool fill(ReplacementRandom& bytes) override {
        bytes.fill(0xAB);
        if (!queue.empty()) {
            bytes = queue.front();
            queue.pop_front();
        }
        return true;
    }
};

ReplacementRandom randomOf(std::uint8_t value) {
    ReplacementRandom bytes;
    bytes.fill(value);
    return bytes;
}

// Wine's Unix name of a Windows path, quoted for a command line; empty outside Wine.
std::string quotedUnixName(const std::string& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr) return {};
    const std::wstring wide(path.begin(), path.end());
    char* name = unixName(wide.c_str());
    if (name == nullptr) return {};
    const std::string quoted = std::string("\"") + name + '"';
    HeapFree(GetProcessHeap(), 0, name);
    return quoted;
}

// Starts a Unix program from /bin with the paths' Unix names as its arguments. Wine does
// not wait for it: the caller waits for what it does.
bool startUnixProgram(const std::string& program, const std::string& options, const std::vector<std::string>& paths) {
    std::string command = program + ' ' + options;
    for (const std::string& path : paths) {
        const std::string name = quotedUnixName(path);
        if (name.empty()) return false;
        command += ' ' + name;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(("Z:\\bin\\" + program).c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

// Under Wine, which makes no Windows links, a Unix symbolic link: Wine follows it as Windows
// follows a link, and it is what a local user there would plant.
bool plantUnixLink(const std::string& link, const std::string& target) {
    return startUnixProgram("ln", "-s", {target, link}) &&
           e2e::waitUntil([&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

// A symbolic link to a file, where the system makes one (Windows Vista and later with the
// right to; under Wine, a Unix one); false where it does not.
bool plantFileLink(const std::string& link, const std::string& target) {
    using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    const auto create = reinterpret_cast<CreateLink>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    if (create != nullptr && create(link.c_str(), target.c_str(), 0)) {
        const DWORD attributes = GetFileAttributesA(link.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return true;
        removeFile(link);  // a plain file where no link could be made
    }
    return plantUnixLink(link, target);
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
        // Wine removes a Unix link's target, not the link: Unix removes the links.
        if (!planted.empty() && startUnixProgram("rm", "-f", planted))
            e2e::waitUntil([&] {
                return std::all_of(planted.begin(), planted.end(), [](const std::string& link) {
                    return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES;
                });
            });
        for (const std::string& name : entriesOf(kstm)) {
            removeFile(kstm + '\\' + name);
            RemoveDirectoryA((kstm + '\\' + name).c_str());
        }
        removeFile(victim);
        RemoveDirectoryA(kstm.c_str());
        RemoveDirectoryA((base + "\\VTN").c_str());
        RemoveDirectoryA(base.c_str());
    }
    // A link at `link` to the victim file, removed after the test.
    bool plantLink(const std::string& link) {
        planted.push_back(link);
        return plantFileLink(link, victim);
    }
    SettingsRecord storedRecord(std::uint32_t defaultPercent) {
        SettingsRecord record = defaultSettings();
        record.defaultWarningPercent = defaultPercent;
        CreateDirectoryA((base + "\\VTN").c_str(), nullptr);
        CreateDirectoryA((base + "\\VTN\\KSTM").c_str(), nullptr);
        writeFile(file, bytesOf(record));
        return record;
    }

    // The settings folder holds the settings file and nothing else.
    bool onlyTheFile() const { return entriesOf(kstm) == std::vector<std::string>{"KSTMC.dat"}; }

    const std::string base = settingsBaseFolder() + "\\KestrineSettingsTest";
    const std::string kstm = base + "\\VTN\\KSTM";
    const std::string file = kstm + "\\KSTMC.dat";
    const std::string oldFixedName = file + ".new";  // where saves wrote first until now
    const std::string victim = base + "\\victim.txt";
    std::vector<std::string> planted;
    Win32FileStore files;
    Win32Pause pause;
    testing::RecordingMessageSink messages;
    SettingsStore store{files, messages, pause, base};
};

TEST_F(SettingsOnDisk, FirstStartCreatesFoldersAndTheDefaultFile) {
    EXPECT_TRUE(store.runStartUpSequence());
    EXPECT_EQ(fileBytes(file), bytesOf(defaultSettings()));
    EXPECT_TRUE(onlyTheFile());
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
    EXPECT_TRUE(onlyTheFile());
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
    EXPECT_TRUE(onlyTheFile());
    EXPECT_TRUE(messages.shown.empty());
}

// A file at the name every save used to write first (a save cut short left it, or someone
// planted it), read-only or hidden: the saves go on, and it is neither written, nor removed,
// nor are its attributes touched.
TEST_F(SettingsOnDisk, FileAtTheOldFixedNameIsLeftAloneAndBlocksNothing) {
    storedRecord(15);
    ASSERT_FALSE(store.runStartUpSequence());
    std::uint32_t percent = 15;
    for (const DWORD attributes :
         {DWORD{FILE_ATTRIBUTE_READONLY}, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
        SCOPED_TRACE(attributes);
        removeFile(oldFixedName);
        writeFile(oldFixedName, Bytes(100, 0xEE));
        ASSERT_TRUE(SetFileAttributesA(oldFixedName.c_str(), attributes));
        const DWORD planted = GetFileAttributesA(oldFixedName.c_str());  // Wine adds "archive"
        ASSERT_EQ(planted & attributes, attributes);
        store.working().defaultWarningPercent = ++percent;
        EXPECT_TRUE(store.saveSettings());
        EXPECT_EQ(fileBytes(file), bytesOf(store.working()));
        EXPECT_EQ(fileBytes(oldFixedName), Bytes(100, 0xEE));
        EXPECT_EQ(GetFileAttributesA(oldFixedName.c_str()), planted);
        EXPECT_EQ(entriesOf(kstm), (std::vector<std::string>{"KSTMC.dat", "KSTMC.dat.new"}));
    }
}

// Something planted at every name the save tries (here folders, at the names the chosen
// random bytes give) makes it fail; the stored file stays whole and nothing else is made.
TEST_F(SettingsOnDisk, EveryTemporaryNameTakenFailsTheSaveAndKeepsTheFile) {
    const Bytes old = bytesOf(storedRecord(15));
    ChosenRandom random;
    Win32FileStore chosen(random);
    for (std::uint8_t value = 1; value <= 4; ++value) {
        random.queue.push_back(randomOf(value));
        ASSERT_TRUE(CreateDirectoryA(replacementPath(file, randomOf(value)).c_str(), nullptr));
    }
    const std::vector<std::string> before = entriesOf(kstm);
    EXPECT_FALSE(chosen.replace(file, bytesOf(defaultSettings()).data(), sizeof(SettingsRecord)));
    EXPECT_EQ(chosen.replaceError(), static_cast<std::uint32_t>(ERROR_FILE_EXISTS));
    EXPECT_EQ(fileBytes(file), old);
    EXPECT_EQ(entriesOf(kstm), before);
}

// Symbolic links planted at the old fixed name and at the name the save tries first, both
// at a file the program must never write: the save takes another name, and the linked file
// keeps its bytes and attributes.
TEST_F(SettingsOnDisk, PlantedLinksAreNeverWrittenThrough) {
    storedRecord(15);
    writeFile(victim, Bytes(50, 0x5A));
    ASSERT_TRUE(SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_READONLY));
    const DWORD victimAttributes = GetFileAttributesA(victim.c_str());
    const std::string guessed = replacementPath(file, randomOf(7));
    if (!plantLink(oldFixedName) || !plantLink(guessed)) GTEST_SKIP() << "this system makes no symbolic links here";
    ChosenRandom random;
    random.queue = {randomOf(7), randomOf(8)};
    Win32FileStore chosen(random);
    SettingsStore saver(chosen, messages, pause, base);
    saver.working().defaultWarningPercent = 33;
    EXPECT_TRUE(saver.saveSettings());
    EXPECT_EQ(fileBytes(file), bytesOf(saver.working()));
    EXPECT_EQ(fileBytes(victim), Bytes(50, 0x5A));
    EXPECT_EQ(GetFileAttributesA(victim.c_str()), victimAttributes);
    EXPECT_EQ(fileBytes(guessed), Bytes(50, 0x5A)) << "the link is left as it was";
}

// The calls of one replace, as a decorator of the store's file calls sees them: a new file
// that follows no link, the bytes, the flush, and only then the move, replacing and written
// through.
TEST_F(SettingsOnDisk, ReplaceFlushesBeforeItMovesAndMovesWrittenThrough) {
    storedRecord(15);
    ChosenRandom random;
    random.queue = {randomOf(0x3C)};
    testing::RecordingFileCalls recording;
    Win32FileStore chosen(random, recording);
    const std::string temporary = replacementPath(file, randomOf(0x3C));
    ASSERT_TRUE(chosen.replace(file, bytesOf(defaultSettings()).data(), sizeof(SettingsRecord)));
    EXPECT_EQ(fileBytes(file), bytesOf(defaultSettings()));
    const std::vector<testing::FileCall>& calls = recording.calls;
    ASSERT_EQ(calls.size(), 4u);
    const testing::FileCall& create = calls[0];
    EXPECT_EQ(create.name, "CreateFileA");
    EXPECT_EQ(create.path, temporary);
    EXPECT_EQ(create.argument, DWORD{CREATE_NEW});
    EXPECT_EQ(create.flags, DWORD{FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT});
    EXPECT_EQ(calls[1].name, "WriteFile");
    EXPECT_EQ(calls[1].argument, DWORD{272});
    EXPECT_EQ(calls[2].name, "FlushFileBuffers");
    EXPECT_EQ(calls[2].path, temporary);
    EXPECT_EQ(calls[3].name, "MoveFileExA");
    EXPECT_EQ(calls[3].flags, DWORD{MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH});
    EXPECT_TRUE(onlyTheFile());
}

// A write or flush that fails moves nothing: the temporary file it made, and no other, goes
// again, the target keeps its bytes, and the store reports the call's error.
TEST_F(SettingsOnDisk, FailedWriteOrFlushDeletesTheTemporaryFileAndKeepsTheTarget) {
    const struct {
        const char* failing;
        DWORD error;
        std::vector<std::string> calls;
    } rows[] = {
        {"WriteFile", ERROR_DISK_FULL, {"CreateFileA", "WriteFile", "DeleteFileA"}},
        {"FlushFileBuffers", ERROR_IO_DEVICE, {"CreateFileA", "WriteFile", "FlushFileBuffers", "DeleteFileA"}},
    };
    for (const auto& row : rows) {
        storedRecord(15);
        const Bytes old = *fileBytes(file);
        ChosenRandom random;
        random.queue = {randomOf(0x5D)};
        testing::RecordingFileCalls recording;
        recording.failing = row.failing;
        recording.failingError = row.error;
        Win32FileStore chosen(random, recording);
        EXPECT_FALSE(chosen.replace(file, bytesOf(defaultSettings()).data(), sizeof(SettingsRecord)));
        EXPECT_EQ(chosen.replaceError(), static_cast<std::uint32_t>(row.error)) << row.failing;
        std::vector<std::string> names;
        for (const testing::FileCall& call : recording.calls) names.push_back(call.name);
        EXPECT_EQ(names, row.calls) << row.failing;
        EXPECT_EQ(recording.calls.back().path, replacementPath(file, randomOf(0x5D))) << row.failing;
        EXPECT_EQ(fileBytes(file), old) << row.failing;
        EXPECT_TRUE(onlyTheFile()) << row.failing;
    }
}

// One entry of an access list: whom it allows ("S-1-5-18"), how it is inherited, and what.
struct ExpectedAce {
    std::string who;
    BYTE inheritance;
    ACCESS_MASK mask;
};

// An access list as the system reads it: protected from inheritance, and these allowing
// entries in this order.
void expectProtectedAccessList(PSECURITY_DESCRIPTOR descriptor, const std::vector<ExpectedAce>& expected) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_NE(control & SE_DACL_PROTECTED, 0) << "nothing inherited from the folder above";
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl != nullptr);
    ASSERT_EQ(dacl->AceCount, expected.size());
    for (WORD i = 0; i < dacl->AceCount; ++i) {
        void* raw = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, &raw));
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE) << i;
        EXPECT_EQ(ace->Header.AceFlags, expected[i].inheritance) << i;
        EXPECT_EQ(ace->Mask, expected[i].mask) << i;
        PSID sid = nullptr;
        ASSERT_TRUE(ConvertStringSidToSidA(expected[i].who.c_str(), &sid));
        const UniqueLocalMemory ownedSid(sid);
        EXPECT_TRUE(EqualSid(const_cast<DWORD*>(&ace->SidStart), sid)) << expected[i].who;
    }
}

// The settings folders' access list as the system reads it: protected from inheritance,
// SYSTEM and Administrators in full control, Users able to make and change files but not
// folders or permissions, the folder's owner able to make folders in it but not to change its
// permissions.
void expectSettingsAccessList(PSECURITY_DESCRIPTOR descriptor) {
    // SYSTEM, Administrators, Users, OWNER RIGHTS
    expectProtectedAccessList(descriptor,
                              {
                                  {"S-1-5-18", OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS},
                                  {"S-1-5-32-544", OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS},
                                  {"S-1-5-32-545", 0, 0x1200AB},
                                  {"S-1-5-32-545", OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE, 0x13019F},
                                  {"S-1-3-4", 0, 0x1200AB | FILE_ADD_SUBDIRECTORY},
                              });
}

// A folder of saved replies, as the system reads its list: protected, and SYSTEM,
// Administrators and the user running the report in full control of it and what is inside.
TEST(SettingsFolderAccess, SavedRepliesFolderIsItsMakersAndTheAdministratorsAlone) {
    const std::string user = tokenUserSid();
    ASSERT_TRUE(user.starts_with("S-1-5-")) << user;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(savedRepliesFolderAccess(user).c_str(),
                                                                     SDDL_REVISION_1, &descriptor, nullptr));
    const UniqueLocalMemory owned(descriptor);
    constexpr BYTE inherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    expectProtectedAccessList(descriptor, {{"S-1-5-18", inherited, FILE_ALL_ACCESS},
                                           {"S-1-5-32-544", inherited, FILE_ALL_ACCESS},
                                           {user, inherited, FILE_ALL_ACCESS}});
}

TEST(SettingsFolderAccess, ReadsAsTheIntendedEntries) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(settingsFolderAccess, SDDL_REVISION_1, &descriptor,
                                                                     nullptr));
    const UniqueLocalMemory owned(descriptor);
    expectSettingsAccessList(descriptor);
}

// The folders the store creates carry that list. Wine keeps no access lists on files (it maps
// them onto Unix modes and gives back an owner and SYSTEM entry), so there only the list
// itself is checked, above.
TEST_F(SettingsOnDisk, CreatedFoldersCarryTheSettingsAccessList) {
    EXPECT_TRUE(store.runStartUpSequence());
    for (const std::string& folder : {base + "\\VTN", kstm}) {
        SCOPED_TRACE(folder);
        DWORD size = 0;
        GetFileSecurityA(folder.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
        ASSERT_GT(size, 0u);
        std::vector<std::uint8_t> buffer(size);
        ASSERT_TRUE(GetFileSecurityA(folder.c_str(), DACL_SECURITY_INFORMATION, buffer.data(), size, &size));
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        ASSERT_TRUE(GetSecurityDescriptorControl(buffer.data(), &control, &revision));
        if ((control & SE_DACL_PROTECTED) == 0 && GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"))
            GTEST_SKIP() << "Wine keeps no access lists on files";
        expectSettingsAccessList(buffer.data());
    }
}

TEST_F(SettingsOnDisk, MissingBaseFolderFailsSilentlyAndCreatesNothing) {
    const std::string missing = base + "\\Missing";
    SettingsStore elsewhere(files, messages, pause, missing);
    EXPECT_TRUE(elsewhere.runStartUpSequence());
    EXPECT_FALSE(pathExists(missing));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(sameSettings(elsewhere.working(), defaultSettings()));
}

TEST_F(SettingsOnDisk, BadPathBaseFailsSilentlyAndCreatesNothing) {
    ASSERT_FALSE(pathExists(badPathBase));
    SettingsStore unknown(files, messages, pause, badPathBase);
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
    ASSERT_EQ(files.read(file, buffer.data(), buffer.size(), got), (ReadResult{ReadStatus::Read, 0}));
    EXPECT_EQ(got, 272u);
    EXPECT_EQ(buffer, Bytes(bytes.begin(), bytes.begin() + 272));
}

// Only "file not found" and "path not found" are a missing file; a file held by another
// program that shares no reading is there, and gives the system's error. One held sharing
// reads is read.
TEST_F(SettingsOnDisk, FileStoreTellsAMissingFileFromOneItCannotRead) {
    storedRecord(10);
    Bytes buffer(272);
    std::size_t got = 0;
    EXPECT_EQ(files.read(file + ".missing", buffer.data(), buffer.size(), got),
              (ReadResult{ReadStatus::Missing, ERROR_FILE_NOT_FOUND}));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(files.read(base + "\\NoFolder\\KSTMC.dat", buffer.data(), buffer.size(), got),
              (ReadResult{ReadStatus::Missing, ERROR_PATH_NOT_FOUND}));
    for (const DWORD sharing : {DWORD{0}, DWORD{FILE_SHARE_WRITE}}) {
        const UniqueHandle held(
            CreateFileA(file.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.valid());
        EXPECT_EQ(files.read(file, buffer.data(), buffer.size(), got),
                  (ReadResult{ReadStatus::Failed, ERROR_SHARING_VIOLATION}))
            << sharing;
    }
    const UniqueHandle reading(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(files.read(file, buffer.data(), buffer.size(), got), (ReadResult{ReadStatus::Read, 0}));
    EXPECT_EQ(got, 272u);
}

// The window's start on a file held sharing nothing: it waits about a second, runs on the
// defaults, and neither replaces the file then nor after a change.
TEST_F(SettingsOnDisk, FileHeldSharingNothingIsKeptAndNeverReplaced) {
    const Bytes users = bytesOf(storedRecord(25));
    {
        const UniqueHandle held(
            CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.valid());
        const DWORD started = GetTickCount();
        EXPECT_FALSE(store.runStartUpSequence());
        EXPECT_GE(GetTickCount() - started, 900u);
    }
    EXPECT_EQ(store.readError(), std::optional<std::uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(store.working().defaultWarningPercent, 10u);
    store.working().defaultWarningPercent = 30;
    EXPECT_TRUE(store.saveSettings());
    EXPECT_EQ(fileBytes(file), users);
    EXPECT_TRUE(onlyTheFile());
}

// What tells whether a folder may have been redirected: the store's own folders are no
// reparse points and have an owner; a missing one has none; a link to a folder (under Wine a
// Unix link, which Wine follows as Windows follows a junction) is a reparse point where the
// system says so.
TEST_F(SettingsOnDisk, FolderFactsTellLinksAndReadTheOwner) {
    EXPECT_TRUE(store.runStartUpSequence());
    const FolderFacts own = files.folderFacts(kstm);
    EXPECT_FALSE(own.reparsePoint);
    EXPECT_TRUE(own.owner == FolderOwner::Administrators || own.owner == FolderOwner::RunningUser)
        << static_cast<int>(own.owner) << ": made by this process";
    EXPECT_EQ(files.folderFacts(base + "\\Missing").owner, FolderOwner::Unknown);
    const std::string link = base + "\\VTN\\Elsewhere";
    planted.push_back(link);
    if (!plantUnixLink(link, kstm) || (GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        GTEST_SKIP() << "no link to a folder that the system shows as a reparse point";
    EXPECT_TRUE(files.folderFacts(link).reparsePoint);
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
        EXPECT_EQ(files.read(file, buffer.data(), buffer.size(), got).status, ReadStatus::Failed);
        ASSERT_EQ(reader.read(file, buffer.data(), buffer.size(), got).status, ReadStatus::Read);
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
    SettingsStore window(files, messages, pause, base);
    window.working().defaultWarningPercent = 18;
    EXPECT_TRUE(window.saveSettings());
    letGo.join();
    ASSERT_EQ(reader.read(file, buffer.data(), buffer.size(), got).status, ReadStatus::Read);
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
    Win32Pause pause;
    testing::RecordingMessageSink messages;
    SettingsStore store(files, messages, pause, base);
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
