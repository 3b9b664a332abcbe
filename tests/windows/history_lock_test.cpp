// The history's lock and file on real files: two locks on one companion file take turns, a
// lock refuses what is no plain file of its own, and a damaged history is set aside by a
// rename that never replaces.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "history/history_bounds.h"
#include "history/history_store.h"
#include "platform/win32_file_store.h"
#include "platform/win32_history_lock.h"

namespace kestrine {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string tempFolder() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "KestrineHistoryTest";
}

Bytes fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class HistoryOnDisk : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder; }
    void TearDown() override {
        first.unlock();
        second.unlock();
        WIN32_FIND_DATAA data{};
        const UniqueFindHandle find(FindFirstFileA((folder + "\\*").c_str(), &data));
        if (find.valid()) {
            do {
                const std::string path = folder + '\\' + data.cFileName;
                DeleteFileA(path.c_str());
                RemoveDirectoryA(path.c_str());
            } while (FindNextFileA(find.get(), &data));
        }
        RemoveDirectoryA(folder.c_str());
    }

    const std::string folder = tempFolder();
    const std::string lockPath = folder + "\\KSTMH.lock";
    Win32HistoryLock first, second;
};

TEST_F(HistoryOnDisk, TwoLocksOnTheCompanionFileTakeTurns) {
    EXPECT_EQ(first.tryLock(lockPath).attempt, LockAttempt::Taken);
    EXPECT_EQ(second.tryLock(lockPath).attempt, LockAttempt::Busy);
    EXPECT_EQ(second.tryLock(lockPath).attempt, LockAttempt::Busy);
    first.unlock();
    EXPECT_EQ(second.tryLock(lockPath).attempt, LockAttempt::Taken);
    EXPECT_EQ(first.tryLock(lockPath).attempt, LockAttempt::Busy);
    EXPECT_NE(GetFileAttributesA(lockPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(HistoryOnDisk, ALockRefusesWhatIsNoPlainFileOfItsOwn) {
    const LockResult missingFolder = first.tryLock(folder + "\\missing\\KSTMH.lock");
    EXPECT_EQ(missingFolder.attempt, LockAttempt::Failed);
    EXPECT_EQ(missingFolder.error, static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));

    ASSERT_TRUE(CreateDirectoryA(lockPath.c_str(), nullptr));
    EXPECT_EQ(first.tryLock(lockPath).attempt, LockAttempt::Failed);
    RemoveDirectoryA(lockPath.c_str());

    const std::string other = folder + "\\other.txt";
    writeFile(other, {1, 2, 3});
    ASSERT_TRUE(CreateHardLinkA(lockPath.c_str(), other.c_str(), nullptr));
    const LockResult linked = first.tryLock(lockPath);
    EXPECT_EQ(linked.attempt, LockAttempt::Failed);
    EXPECT_EQ(linked.error, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
}

TEST_F(HistoryOnDisk, ADamagedHistoryIsSetAsideAndRecordingStartsAgain) {
    constexpr UtcSeconds now = 1'740'830'400;  // 2025-03-01 12:00 UTC
    const std::string path = folder + "\\KSTMH.dat";
    const std::string aside = path + ".damaged-20250301T120000Z";
    const Bytes damaged = {'K', 'S', 'T', 'H', 1, 0};
    writeFile(path, damaged);
    writeFile(aside, {9});
    Win32FileStore files;
    Win32Pause pause;
    HealthSample sample;
    sample.time = now;
    sample.counts[0] = 8;
    const HistoryChange change = [&sample](History& history) { recordSample(history, {"Model", "Serial"}, sample); };

    const HistoryUpdate refused = updateHistory(files, first, pause, folder, now, change);
    EXPECT_EQ(refused.status, HistoryUpdateStatus::SetAsideFailed);
    EXPECT_EQ(refused.error, static_cast<std::uint32_t>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(fileBytes(path), damaged);
    EXPECT_EQ(fileBytes(aside), Bytes{9});

    DeleteFileA(aside.c_str());
    const HistoryUpdate written = updateHistory(files, first, pause, folder, now, change);
    EXPECT_EQ(written.status, HistoryUpdateStatus::Written);
    ASSERT_TRUE(written.setAside);
    EXPECT_EQ(written.setAside->path, aside);
    EXPECT_EQ(fileBytes(aside), damaged);
    EXPECT_EQ(parseHistory(fileBytes(path)).history, written.history);
    EXPECT_EQ(written.history.drives.at(0).samples, std::vector<HealthSample>{sample});
    EXPECT_EQ(second.tryLock(lockPath).attempt, LockAttempt::Taken);  // released
}

}  // namespace
}  // namespace kestrine
