#pragma once
// The history's lock: LockFileEx on a companion file, held from tryLock to unlock.
#include <windows.h>

#include <string>

#include "history/history_lock.h"
#include "platform/win32_handle.h"

namespace kestrine {

// The companion file is opened for reading only (enough to lock it), without following a link,
// and refused unless it is a plain file with one name: so a link planted in its place makes
// no writer lock another file.
class Win32HistoryLock : public HistoryLock {
public:
    LockResult tryLock(const std::string& path) override;
    void unlock() override;

private:
    UniqueHandle file_;
};

}  // namespace kestrine
