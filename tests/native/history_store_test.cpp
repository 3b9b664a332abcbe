// Changing the history's file under its lock: a first file, damaged and foreign files set
// aside once, a newer program's file left alone, failures that write nothing, two writers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_file_store.h"
#include "fakes/fake_history_lock.h"
#include "history/history_bounds.h"
#include "history/history_store.h"

namespace kestrine {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr UtcSeconds now = 1'740'830'400;  // 2025-03-01 12:00 UTC
const std::string folder = "C:\\ProgramData\\VTN\\KSTM";
const std::string path = folder + "\\KSTMH.dat";
const DriveKey disk{"WDC WD5000AAKS-00V1A0", "WD-WCAWF1234567"};

HealthSample sampleAt(UtcSeconds time, std::uint64_t reallocated) {
    HealthSample sample;
    sample.time = time;
    sample.counts[0] = reallocated;
    return sample;
}

HistoryChange recording(const DriveKey& key, const HealthSample& sample) {
    return [key, sample](History& history) { recordSample(history, key, sample); };
}

History historyOf(const DriveKey& key, std::vector<HealthSample> samples) {
    History history;
    for (const HealthSample& sample : samples) recordSample(history, key, sample);
    return history;
}

class HistoryStore : public ::testing::Test {
protected:
    HistoryStore() { files.folders = {"C:\\ProgramData", "C:\\ProgramData\\VTN", folder}; }

    HistoryUpdate update(const HistoryChange& change, UtcSeconds time = now) {
        testing::FakeHistoryLock lock(lockFile);
        return updateHistory(files, lock, pause, folder, time, change);
    }
    History fileHistory() { return parseHistory(files.files.at(path)).history; }

    testing::FakeFileStore files;
    testing::FakeLockFile lockFile;
    testing::CountingPause pause;
};

TEST_F(HistoryStore, AFirstUpdateWritesTheFileAndALaterOneAddsToIt) {
    const HistoryUpdate first = update(recording(disk, sampleAt(now - 3600, 8)));
    EXPECT_EQ(first.status, HistoryUpdateStatus::Written);
    EXPECT_FALSE(first.setAside);
    EXPECT_EQ(lockFile.lastPath, folder + "\\KSTMH.lock");
    EXPECT_FALSE(lockFile.held);
    const HistoryUpdate second = update(recording(disk, sampleAt(now, 9)));
    const History expected = historyOf(disk, {sampleAt(now - 3600, 8), sampleAt(now, 9)});
    EXPECT_EQ(second.history, expected);
    EXPECT_EQ(fileHistory(), expected);
    EXPECT_EQ(files.files.size(), 1u);
}

TEST_F(HistoryStore, ThinsWhatItWrites) {
    files.files[path] = serializeHistory(historyOf(disk, {sampleAt(now - 401 * secondsPerDay, 1)}));
    update(recording(disk, sampleAt(now, 2)));
    EXPECT_EQ(fileHistory(), historyOf(disk, {sampleAt(now, 2)}));
}

struct Row {
    const char* what;
    std::function<Bytes(Bytes)> change;
    const char* asidePath;  // empty: the file is left as it is and nothing written
    HistoryUpdateStatus status;
    const char* reason;
};

TEST_F(HistoryStore, SetsADamagedOrForeignFileAsideOnceAndStartsAgain) {
    const std::vector<Row> rows = {
        {"a flipped byte", [](Bytes b) { return b[40] ^= 0x10, b; }, "KSTMH.dat.damaged-20250301T120000Z",
         HistoryUpdateStatus::Written, "checksum does not match"},
        {"truncated", [](Bytes b) { return b.resize(b.size() / 2), b; }, "KSTMH.dat.damaged-20250301T120000Z",
         HistoryUpdateStatus::Written, "truncated"},
        {"over 1 MiB", [](Bytes b) { return b.resize(maxHistoryBytes + 2), b; }, "KSTMH.dat.damaged-20250301T120000Z",
         HistoryUpdateStatus::Written, "longer than its length"},
        {"foreign",
         [](Bytes) {
             return Bytes{'M', 'Z', 0x90, 0};
         },
         "KSTMH.dat.foreign-20250301T120000Z", HistoryUpdateStatus::Written, "not a history file"},
        {"a newer version", [](Bytes b) { return b[4] = 2, b; }, "", HistoryUpdateStatus::NewerVersion,
         "file version 2, newer than this program"},
    };
    const Bytes old = serializeHistory(historyOf(disk, {sampleAt(now - 60, 5)}));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        files.files.clear();
        const Bytes bad = row.change(old);
        files.files[path] = bad;
        const HistoryUpdate first = update(recording(disk, sampleAt(now, 6)));
        EXPECT_EQ(first.status, row.status);
        EXPECT_FALSE(lockFile.held);
        if (*row.asidePath == '\0') {
            EXPECT_EQ(first.reason, row.reason);
            EXPECT_EQ(files.files, (std::map<std::string, Bytes>{{path, bad}}));
            continue;
        }
        const std::string aside = folder + '\\' + row.asidePath;
        ASSERT_TRUE(first.setAside);
        EXPECT_EQ(first.setAside->reason, row.reason);
        EXPECT_EQ(first.setAside->path, aside);
        EXPECT_EQ(files.files.at(aside), bad);
        EXPECT_EQ(fileHistory(), historyOf(disk, {sampleAt(now, 6)}));
        const HistoryUpdate second = update(recording(disk, sampleAt(now + 60, 7)));
        EXPECT_FALSE(second.setAside);
        EXPECT_EQ(fileHistory(), historyOf(disk, {sampleAt(now, 6), sampleAt(now + 60, 7)}));
    }
}

TEST_F(HistoryStore, WritesNothingWhenItCannotTrustOrKeepWhatIsThere) {
    const Bytes damaged = {'K', 'S', 'T', 'H', 1};
    files.files[path] = damaged;
    files.files[path + ".damaged-20250301T120000Z"] = {1};  // set aside in this second already
    HistoryUpdate result = update(recording(disk, sampleAt(now, 1)));
    EXPECT_EQ(result.status, HistoryUpdateStatus::SetAsideFailed);
    EXPECT_EQ(result.error, 183u);
    EXPECT_EQ(result.reason, "truncated");
    EXPECT_EQ(files.files.at(path), damaged);

    files.failReads = true;
    files.failingReadError = 32;
    result = update(recording(disk, sampleAt(now, 1)));
    EXPECT_EQ(result.status, HistoryUpdateStatus::Unreadable);
    EXPECT_EQ(result.error, 32u);
    EXPECT_EQ(files.replacements, 0);

    files.failReads = false;
    files.files.erase(path);
    files.failReplaces = true;
    result = update(recording(disk, sampleAt(now, 1)));
    EXPECT_EQ(result.status, HistoryUpdateStatus::NotWritten);
    EXPECT_EQ(result.error, 5u);
    EXPECT_FALSE(lockFile.held);
}

TEST_F(HistoryStore, WaitsTwoSecondsForTheLockThenGivesUp) {
    lockFile.held = true;  // another writer's
    const HistoryUpdate busy = update(recording(disk, sampleAt(now, 1)));
    EXPECT_EQ(busy.status, HistoryUpdateStatus::LockBusy);
    EXPECT_EQ(pause.waited, 2000u);
    EXPECT_EQ(lockFile.refusals, 41);
    EXPECT_EQ(files.reads, 0);
    EXPECT_TRUE(lockFile.held);

    lockFile.held = false;
    lockFile.failingError = 5;
    const HistoryUpdate failed = update(recording(disk, sampleAt(now, 1)));
    EXPECT_EQ(failed.status, HistoryUpdateStatus::LockFailed);
    EXPECT_EQ(failed.error, 5u);
    EXPECT_EQ(files.reads, 0);
}

// Really waits, a millisecond at a time, so that the other writer can go on meanwhile.
class SleepingPause : public Pause {
public:
    void wait(std::uint32_t) override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
};

TEST_F(HistoryStore, TwoWritersAtOnceLoseNoSample) {
    const DriveKey other{"Samsung SSD 980 1TB", "S64ANS0T123456"};
    SleepingPause sleeping;
    // The first writer, holding the lock, goes on only once the second has been refused it.
    const HistoryChange first = [&](History& history) {
        while (lockFile.refusalCount() == 0) std::this_thread::yield();
        recordSample(history, disk, sampleAt(now, 1));
    };
    testing::FakeHistoryLock firstLock(lockFile), secondLock(lockFile);
    HistoryUpdate firstResult, secondResult;
    std::thread firstWriter([&] { firstResult = updateHistory(files, firstLock, sleeping, folder, now, first); });
    while (!lockFile.held) std::this_thread::yield();
    std::thread secondWriter([&] {
        secondResult = updateHistory(files, secondLock, sleeping, folder, now, recording(other, sampleAt(now, 2)));
    });
    firstWriter.join();
    secondWriter.join();
    EXPECT_EQ(firstResult.status, HistoryUpdateStatus::Written);
    EXPECT_EQ(secondResult.status, HistoryUpdateStatus::Written);
    History both = historyOf(disk, {sampleAt(now, 1)});
    recordSample(both, other, sampleAt(now, 2));
    EXPECT_EQ(fileHistory(), both);
}

// A reader without the lock (the health window, a window that may not lock) changes nothing:
// a file it cannot trust whole, or cannot read, gives none; a missing one an empty history.
TEST_F(HistoryStore, AReaderTakesATrustedFileWholeAndNothingElse) {
    const History written = historyOf(disk, {sampleAt(now - 7200, 8), sampleAt(now - 3600, 9)});
    files.files[path] = serializeHistory(written);
    EXPECT_EQ(readHistoryFile(files, path), written);

    Bytes damaged = files.files[path];
    damaged[20] ^= 0x01;
    files.files[path] = damaged;
    EXPECT_EQ(readHistoryFile(files, path), std::nullopt) << "damaged";
    EXPECT_EQ(files.files.at(path), damaged) << "left as it is, not set aside";
    EXPECT_EQ(files.files.size(), 1u);

    files.files[path] = serializeHistory(written);
    files.failReads = true;
    EXPECT_EQ(readHistoryFile(files, path), std::nullopt) << "unreadable";
    files.failReads = false;
    files.files.clear();
    EXPECT_EQ(readHistoryFile(files, path), History{}) << "missing";
}

// A file beyond the first read's 64 KiB comes whole, in as many reads as it takes to see its end.
TEST_F(HistoryStore, ReadsAFileOfAnySizeWhole) {
    std::vector<HealthSample> samples;  // every 280 seconds for a week: 134 KB
    for (int i = 2099; i >= 0; --i) samples.push_back(sampleAt(now - 3600 - i * 280, static_cast<std::uint64_t>(i)));
    const History week = historyOf(disk, samples);
    files.files[path] = serializeHistory(week);
    ASSERT_GT(files.files[path].size(), 128u * 1024);
    EXPECT_EQ(readHistoryFile(files, path), week);
    EXPECT_EQ(files.reads, 3) << "64, 128 and 256 KiB";
    const HistoryUpdate updated = update(recording(disk, sampleAt(now, 7)));
    EXPECT_EQ(updated.status, HistoryUpdateStatus::Written);
    ASSERT_EQ(updated.history.drives.size(), 1u);
    EXPECT_EQ(updated.history.drives[0].samples.size(), samples.size() + 1);
    EXPECT_EQ(updated.history.drives[0].samples.front(), samples.front());
}

}  // namespace
}  // namespace kestrine
