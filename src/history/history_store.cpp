#include "history/history_store.h"

#include <memory>
#include <vector>

#include "history/history_bounds.h"
#include "history/utc_time.h"

namespace kestrine {

namespace {

LockResult waitForLock(HistoryLock& lock, Pause& pause, const std::string& path) {
    for (std::uint32_t waited = 0;; waited += lockRetryMilliseconds) {
        const LockResult result = lock.tryLock(path);
        if (result.attempt != LockAttempt::Busy || waited >= lockWaitMilliseconds) return result;
        pause.wait(lockRetryMilliseconds);
    }
}

class HeldLock {
public:
    explicit HeldLock(HistoryLock& lock) : lock_(lock) {}
    ~HeldLock() { lock_.unlock(); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

private:
    HistoryLock& lock_;
};

// One byte more than a history may take, so that a longer file shows as such. The buffer is
// not cleared first: the window reads the file at every refresh, and only what was read is kept.
ReadResult readBytes(FileReader& files, const std::string& path, std::vector<std::uint8_t>& bytes) {
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(maxHistoryBytes + 1);
    std::size_t got = 0;
    const ReadResult read = files.read(path, buffer.get(), maxHistoryBytes + 1, got);
    bytes.assign(buffer.get(), buffer.get() + (read.status == ReadStatus::Read ? got : 0));
    return read;
}

HistoryUpdate failed(HistoryUpdateStatus status, std::uint32_t error, std::string reason = {}) {
    return {status, error, std::move(reason), std::nullopt, {}};
}

}  // namespace

std::string setAsidePath(const std::string& path, HistoryFileStatus status, UtcSeconds now) {
    return path + (status == HistoryFileStatus::Foreign ? ".foreign-" : ".damaged-") +
           utcTimeText(now, UtcStyle::Compact);
}

HistoryUpdate updateHistory(FileStore& files, HistoryLock& lock, Pause& pause, const std::string& folder,
                            UtcSeconds now, const HistoryChange& change) {
    return updateHistoryFile(files, lock, pause, folder + '\\' + historyFileName, folder + '\\' + historyLockName, now,
                             change);
}

HistoryUpdate updateHistoryFile(FileStore& files, HistoryLock& lock, Pause& pause, const std::string& path,
                                const std::string& lockPath, UtcSeconds now, const HistoryChange& change) {
    const LockResult locked = waitForLock(lock, pause, lockPath);
    if (locked.attempt == LockAttempt::Busy) return failed(HistoryUpdateStatus::LockBusy, 0);
    if (locked.attempt == LockAttempt::Failed) return failed(HistoryUpdateStatus::LockFailed, locked.error);
    const HeldLock held(lock);

    std::vector<std::uint8_t> bytes;
    const ReadResult read = readBytes(files, path, bytes);
    if (read.status == ReadStatus::Failed) return failed(HistoryUpdateStatus::Unreadable, read.error);

    HistoryUpdate update;
    if (read.status == ReadStatus::Read) {
        ParsedHistory parsed = parseHistory(bytes);
        if (parsed.status == HistoryFileStatus::NewerVersion)
            return failed(HistoryUpdateStatus::NewerVersion, 0, parsed.reason);
        if (parsed.status == HistoryFileStatus::Damaged || parsed.status == HistoryFileStatus::Foreign) {
            const std::string aside = setAsidePath(path, parsed.status, now);
            if (const std::uint32_t error = files.setAside(path, aside); error != 0)
                return failed(HistoryUpdateStatus::SetAsideFailed, error, parsed.reason);
            update.setAside = SetAsideFile{parsed.status, parsed.reason, aside};
        }
        update.history = std::move(parsed.history);
    }
    change(update.history);
    thinHistory(update.history, now);
    bytes = serializeHistory(update.history);
    if (!files.replace(path, bytes.data(), bytes.size())) {
        update.status = HistoryUpdateStatus::NotWritten;
        update.error = files.replaceError();
        return update;
    }
    update.status = HistoryUpdateStatus::Written;
    return update;
}

std::optional<History> readHistoryFile(FileReader& files, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (readBytes(files, path, bytes).status == ReadStatus::Failed) return std::nullopt;
    ParsedHistory parsed = parseHistory(bytes);
    if (parsed.status != HistoryFileStatus::Ok && parsed.status != HistoryFileStatus::Empty) return std::nullopt;
    return std::move(parsed.history);
}

}  // namespace kestrine
