#include "platform/win32_file_store.h"

#include <windows.h>

#include "platform/win32_handle.h"

namespace kestrine {

namespace {

bool writeAll(HANDLE file, const std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) || written == 0) return false;
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

bool writeFlushed(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    const UniqueHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && writeAll(file.get(), bytes, size) && FlushFileBuffers(file.get());
}

// A save cut short between writing the temporary file and the replace leaves it behind;
// read-only, it would refuse every later save.
void removeLeftover(const std::string& temporary) {
    SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(temporary.c_str());
}

// Whoever holds the target open, even sharing read, write and delete (as the console report
// reads the settings), makes the replacing rename fail for that moment with access denied or
// a sharing violation. Such a reader lets go within milliseconds, so the rename is tried
// again for up to a second.
bool moveIntoPlace(const std::string& from, const std::string& to) {
    constexpr int retries = 100;
    for (int retry = 0;; ++retry) {
        if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || retry == retries) return false;
        Sleep(10);
    }
}

bool found(const std::string& path) {
    WIN32_FIND_DATAA data{};
    return UniqueFindHandle(FindFirstFileA(path.c_str(), &data)).valid();
}

bool readUpTo(const std::string& path, DWORD sharing, std::uint8_t* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    const UniqueHandle file(
        CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    while (got < size) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer + got, static_cast<DWORD>(size - got), &read, nullptr)) return false;
        if (read == 0) break;  // end of file
        got += read;
    }
    return true;
}

}  // namespace

bool Win32FileStore::exists(const std::string& path) { return found(path); }

void Win32FileStore::createFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

bool Win32FileStore::read(const std::string& path, std::uint8_t* buffer, std::size_t size, std::size_t& got) {
    return readUpTo(path, 0, buffer, size, got);
}

bool Win32FileStore::replace(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    if (readOnly(path)) return false;
    const std::string temporary = temporaryPathFor(path);
    removeLeftover(temporary);
    if (writeFlushed(temporary, bytes, size) && moveIntoPlace(temporary, path)) return true;
    DeleteFileA(temporary.c_str());
    return false;
}

bool Win32FileReader::exists(const std::string& path) { return found(path); }

bool Win32FileReader::read(const std::string& path, std::uint8_t* buffer, std::size_t size, std::size_t& got) {
    return readUpTo(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, buffer, size, got);
}

std::string temporaryPathFor(const std::string& path) { return path + ".new"; }

}  // namespace kestrine
