#pragma once
// The lock that makes writers of the history take turns, so that each reads what the last one
// wrote before it adds its own samples. It sits on a companion file beside the history, which
// the history's replacement never touches. The Win32 adapter uses LockFileEx.
#include <cstdint>
#include <string>

namespace kestrine {

enum class LockAttempt { Taken, Busy, Failed };

struct LockResult {
    LockAttempt attempt = LockAttempt::Failed;
    std::uint32_t error = 0;  // the system's code when Failed
};

class HistoryLock {
public:
    virtual ~HistoryLock() = default;
    // Takes the lock on the file at `path`, made when missing, without waiting: Busy while
    // another writer holds it.
    virtual LockResult tryLock(const std::string& path) = 0;
    // Releases the lock taken.
    virtual void unlock() = 0;
};

}  // namespace kestrine
