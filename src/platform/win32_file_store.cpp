#include "platform/win32_file_store.h"

#include <windows.h>
#include <sddl.h>

#include <utility>
#include <vector>

#include "platform/win32_handle.h"
#include "platform/win32_process_token.h"

namespace kestrine {

namespace {

// Tries of a new name when one is taken: only something planted at a guessed name, or a
// random source that repeats itself, takes one.
constexpr int nameAttempts = 4;

bool writeAll(Win32FileCalls& calls, HANDLE file, const std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        if (!calls.writeFile(file, bytes, static_cast<DWORD>(size), written)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

// Windows' rename refuses to replace a read-only file, and so does this store everywhere
// (some file systems would let the rename through).
bool readOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// A new file, only where nothing is: CREATE_NEW refuses any existing name, a dangling link
// too, and with FILE_FLAG_OPEN_REPARSE_POINT no reparse point is ever followed.
UniqueHandle createNew(Win32FileCalls& calls, const std::string& path) {
    return UniqueHandle(
        calls.createFile(path, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT));
}

// Whoever holds the target open, even sharing read, write and delete (as the console report
// reads the settings), makes the replacing rename fail for that moment with access denied or
// a sharing violation. Such a reader lets go within milliseconds, so the rename is tried
// again for up to a second.
bool moveIntoPlace(Win32FileCalls& calls, const std::string& from, const std::string& to) {
    constexpr int retries = 100;
    for (int retry = 0;; ++retry) {
        if (calls.moveFileEx(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || retry == retries) return false;
        Sleep(10);
    }
}

bool found(const std::string& path) {
    WIN32_FIND_DATAA data{};
    return UniqueFindHandle(FindFirstFileA(path.c_str(), &data)).valid();
}

ReadResult readFailed() {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {ReadStatus::Missing, error};
    return {ReadStatus::Failed, error};
}

ReadResult readUpTo(const std::string& path, DWORD sharing, std::uint8_t* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    const UniqueHandle file(
        CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return readFailed();
    while (got < size) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer + got, static_cast<DWORD>(size - got), &read, nullptr))
            return {ReadStatus::Failed, GetLastError()};
        if (read == 0) break;  // end of file
        got += read;
    }
    return {ReadStatus::Read, 0};
}

FolderOwner ownerKind(PSID owner) {
    if (IsWellKnownSid(owner, WinBuiltinAdministratorsSid)) return FolderOwner::Administrators;
    if (IsWellKnownSid(owner, WinLocalSystemSid)) return FolderOwner::System;
    if (isTokenUser(owner)) return FolderOwner::RunningUser;
    return FolderOwner::SomeoneElse;
}

}  // namespace

Win32FileStore::Win32FileStore(RandomSource& random, Win32FileCalls& calls) : random_(random), calls_(calls) {}

Win32FileStore::Win32FileStore(std::string folderAccess)
    : random_(systemRandom_), calls_(systemCalls_), folderAccess_(std::move(folderAccess)) {}

bool Win32FileStore::exists(const std::string& path) { return found(path); }

// Without its access list no folder is made: the save then fails as with any folder that
// cannot be made.
void Win32FileStore::createFolder(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(folderAccess_.c_str(), SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return;
    const UniqueLocalMemory owned(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    CreateDirectoryA(path.c_str(), &attributes);
}

ReadResult Win32FileStore::read(const std::string& path, std::uint8_t* buffer, std::size_t size, std::size_t& got) {
    return readUpTo(path, FILE_SHARE_READ, buffer, size, got);
}

bool Win32FileStore::replace(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    if (readOnly(path)) return failed(ERROR_ACCESS_DENIED);
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        ReplacementRandom random{};
        if (!random_.fill(random)) return failed(GetLastError());
        const std::string temporary = replacementPath(path, random);
        UniqueHandle file = createNew(calls_, temporary);
        if (!file.valid()) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            return failed(error);
        }
        const bool written = writeAll(calls_, file.get(), bytes, size) && calls_.flushFileBuffers(file.get());
        DWORD error = GetLastError();
        file.reset();
        if (written && moveIntoPlace(calls_, temporary, path)) return true;
        if (written) error = GetLastError();
        // The file this call created, and nothing else, goes again.
        calls_.deleteFile(temporary);
        return failed(error);
    }
    return failed(ERROR_FILE_EXISTS);
}

// Without MOVEFILE_REPLACE_EXISTING the rename refuses a name that is taken; a link is renamed
// as itself, never followed.
std::uint32_t Win32FileStore::setAside(const std::string& path, const std::string& newPath) {
    return MoveFileExA(path.c_str(), newPath.c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : GetLastError();
}

// A folder that cannot be looked at has an unknown owner. The owner is read through a link,
// but a link is refused by its attribute alone.
FolderFacts Win32FileStore::folderFacts(const std::string& path) {
    FolderFacts facts;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    facts.reparsePoint = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    DWORD size = 0;
    GetFileSecurityA(path.c_str(), OWNER_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<std::uint8_t> descriptor(size);
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (size > 0 && GetFileSecurityA(path.c_str(), OWNER_SECURITY_INFORMATION, descriptor.data(), size, &size) &&
        GetSecurityDescriptorOwner(descriptor.data(), &owner, &defaulted) && owner != nullptr)
        facts.owner = ownerKind(owner);
    return facts;
}

bool Win32FileStore::failed(DWORD error) {
    replaceError_ = error;
    return false;
}

bool Win32FileReader::exists(const std::string& path) { return found(path); }

ReadResult Win32FileReader::read(const std::string& path, std::uint8_t* buffer, std::size_t size, std::size_t& got) {
    return readUpTo(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, buffer, size, got);
}

}  // namespace kestrine
