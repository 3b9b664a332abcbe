#pragma once
// The history's lock in memory: one lock file that any number of fake locks share, held by one
// of them at a time, safe to use from several threads. It counts the refusals, names the path
// last asked for, and can fail every attempt with a system error code.
#include <cstdint>
#include <mutex>
#include <string>

#include "history/history_lock.h"

namespace kestrine::testing {

struct FakeLockFile {
    std::mutex guard;
    bool held = false;
    int refusals = 0;
    std::uint32_t failingError = 0;  // not 0: every attempt fails with it
    std::string lastPath;

    int refusalCount() {
        const std::lock_guard<std::mutex> hold(guard);
        return refusals;
    }
};

class FakeHistoryLock : public HistoryLock {
public:
    explicit FakeHistoryLock(FakeLockFile& file) : file_(file) {}

    LockResult tryLock(const std::string& path) override {
        const std::lock_guard<std::mutex> hold(file_.guard);
        file_.lastPath = path;
        if (file_.failingError != 0) return {LockAttempt::Failed, file_.failingError};
        if (file_.held) {
            ++file_.refusals;
            return {LockAttempt::Busy, 0};
        }
        file_.held = holding_ = true;
        return {LockAttempt::Taken, 0};
    }
    void unlock() override {
        const std::lock_guard<std::mutex> hold(file_.guard);
        if (holding_) file_.held = holding_ = false;
    }

private:
    FakeLockFile& file_;
    bool holding_ = false;
};

}  // namespace kestrine::testing
