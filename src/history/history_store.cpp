#include "history/history_store.h"

#include <algorithm>
#include <memory>
#include <span>
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

// The first read's buffer: a week of two-hourly samples of four drives fits in it.
constexpr std::size_t firstReadBytes = 64 * 1024;

// The file's bytes, never more than the read gave.
struct FileBytes {
    ReadResult result;
    std::unique_ptr<std::uint8_t[]> buffer;
    std::size_t size = 0;
    std::span<const std::uint8_t> bytes() const { return {buffer.get(), size}; }
};

// Read into a buffer that doubles while the file fills it, up to one byte more than a history
// may take, so that a longer file shows as such. The buffer is not cleared first: the window
// reads the file at every refresh, and only what was read is kept.
FileBytes readBytes(FileReader& files, const std::string& path) {
    FileBytes read;
    for (std::size_t capacity = firstReadBytes;; capacity = std::min(capacity * 2, maxHistoryBytes + 1)) {
        read.buffer = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
        read.result = files.read(path, read.buffer.get(), capacity, read.size);
        if (read.result.status != ReadStatus::Read) read.size = 0;
        if (read.result.status != ReadStatus::Read || read.size < capacity || capacity > maxHistoryBytes) return read;
    }
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

    const FileBytes read = readBytes(files, path);
    if (read.result.status == ReadStatus::Failed) return failed(HistoryUpdateStatus::Unreadable, read.result.error);

    HistoryUpdate update;
    if (read.result.status == ReadStatus::Read) {
        ParsedHistory parsed = parseHistory(read.bytes());
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
    const std::vector<std::uint8_t> bytes = serializeHistory(update.history);
    if (!files.replace(path, bytes.data(), bytes.size())) {
        update.status = HistoryUpdateStatus::NotWritten;
        update.error = files.replaceError();
        return update;
    }
    update.status = HistoryUpdateStatus::Written;
    return update;
}

std::optional<History> readHistoryFile(FileReader& files, const std::string& path) {
    const FileBytes read = readBytes(files, path);
    if (read.result.status == ReadStatus::Failed) return std::nullopt;
    ParsedHistory parsed = parseHistory(read.bytes());
    if (parsed.status != HistoryFileStatus::Ok && parsed.status != HistoryFileStatus::Empty) return std::nullopt;
    return std::move(parsed.history);
}

}  // namespace kestrine
