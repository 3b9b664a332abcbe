#pragma once
// The history's file, "KSTMH.dat" beside the settings file, changed by one writer at a time:
// lock, read, change, thin, replace, unlock. A damaged or foreign file is set aside under
// another name, never deleted, and recording starts again; a newer program's file is left
// as it is.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "history/health_history.h"
#include "history/history_file.h"
#include "history/history_lock.h"
#include "settings/file_store.h"
#include "settings/pause.h"

namespace kestrine {

inline constexpr const char* historyFileName = "KSTMH.dat";
inline constexpr const char* historyLockName = "KSTMH.lock";

// A writer holds the lock for milliseconds; another is waited for up to two seconds.
inline constexpr std::uint32_t lockRetryMilliseconds = 50;
inline constexpr std::uint32_t lockWaitMilliseconds = 2000;

enum class HistoryUpdateStatus {
    Written,
    LockBusy,        // another writer held the lock all the time waited
    LockFailed,      // the lock file could not be opened or locked
    Unreadable,      // the history is there and could not be read
    NewerVersion,    // a newer program's file, left as it is
    SetAsideFailed,  // a damaged or foreign file could not be moved away, and is left as it is
    NotWritten,      // the replacement failed
};

// A damaged or foreign file found and moved to `path`.
struct SetAsideFile {
    HistoryFileStatus status = HistoryFileStatus::Damaged;
    std::string reason;
    std::string path;
};

struct HistoryUpdate {
    HistoryUpdateStatus status = HistoryUpdateStatus::NotWritten;
    std::uint32_t error = 0;  // the system's code of the failed step
    std::string reason;       // a newer version's, or a damaged file's that could not be set aside
    std::optional<SetAsideFile> setAside;
    History history;  // what was written
};

using HistoryChange = std::function<void(History&)>;

// Applies `change` to the history in "KSTMH.dat" in `folder` and writes it back thinned for
// `now`. Nothing is written unless the file was read whole and trusted, was missing or empty,
// or was set aside.
HistoryUpdate updateHistory(FileStore& files, HistoryLock& lock, Pause& pause, const std::string& folder,
                            UtcSeconds now, const HistoryChange& change);
// The same for a history file at `path`, its lock on the file at `lockPath`.
HistoryUpdate updateHistoryFile(FileStore& files, HistoryLock& lock, Pause& pause, const std::string& path,
                                const std::string& lockPath, UtcSeconds now, const HistoryChange& change);

// The history at `path` read without its lock, for a copy that may not take it: what a whole,
// trusted file holds, an empty history for a missing or empty one, none for anything else.
// Nothing is set aside or written.
std::optional<History> readHistoryFile(FileReader& files, const std::string& path);

// Where a damaged or foreign history goes: "KSTMH.dat.damaged-20250301T120000Z" beside it.
std::string setAsidePath(const std::string& path, HistoryFileStatus status, UtcSeconds now);

}  // namespace kestrine
