#include "platform/win32_history_lock.h"

namespace kestrine {

namespace {

bool plainFileWithOneName(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file, &information)) return false;
    const DWORD notPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    return (information.dwFileAttributes & notPlain) == 0 && information.nNumberOfLinks == 1;
}

LockResult lockFailed(DWORD error) { return {LockAttempt::Failed, error}; }

}  // namespace

LockResult Win32HistoryLock::tryLock(const std::string& path) {
    file_.reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file_.valid()) return lockFailed(GetLastError());
    if (!plainFileWithOneName(file_.get())) {
        file_.reset();
        return lockFailed(ERROR_ACCESS_DENIED);
    }
    OVERLAPPED start{};
    if (LockFileEx(file_.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start))
        return {LockAttempt::Taken, 0};
    const DWORD error = GetLastError();
    file_.reset();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return {LockAttempt::Busy, 0};
    return lockFailed(error);
}

void Win32HistoryLock::unlock() {
    if (!file_.valid()) return;
    OVERLAPPED start{};
    UnlockFileEx(file_.get(), 0, 1, 0, &start);
    file_.reset();
}

}  // namespace kestrine
