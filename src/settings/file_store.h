#pragma once
// The file operations the settings store and the health history need. The Win32 adapter uses
// FindFirstFileA, CreateDirectoryA, CreateFileA/ReadFile/WriteFile/FlushFileBuffers and
// MoveFileExA; tests use an in-memory file system.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/folder_trust.h"

namespace kestrine {

// The base folder used when the all-users application-data folder cannot be found; being
// relative, it normally does not exist, so every load and save then fails silently.
inline constexpr const char* badPathBase = "BadPath";

// How a read ended: the file was read (`got` says how much arrived); there is no such file
// or folder (the system's "file not found" or "path not found"); or it is there and could not
// be read (in use, access denied, a failing read), with the system's error code.
enum class ReadStatus { Read, Missing, Failed };
struct ReadResult {
    ReadStatus status = ReadStatus::Failed;
    std::uint32_t error = 0;  // the system's code when Failed
    bool operator==(const ReadResult&) const = default;
};

// Reading only: what a front end that never writes the settings is given.
class FileReader {
public:
    virtual ~FileReader() = default;
    virtual bool exists(const std::string& path) = 0;
    // Opens an existing file for reading and reads up to `size` bytes; `got` is what arrived.
    virtual ReadResult read(const std::string& path, std::uint8_t* buffer, std::size_t size, std::size_t& got) = 0;
};

// Reading and writing: the window's settings. Its reads share the file with other readers
// only, so that no one changes it while it is read.
class FileStore : public FileReader {
public:
    // The result is not looked at: a later open tells whether the folder is usable.
    virtual void createFolder(const std::string& path) = 0;
    // Writes the bytes to a temporary file beside `path`, flushes it and replaces `path`
    // with it in one step. On any failure the temporary file is gone and `path` unchanged.
    virtual bool replace(const std::string& path, const std::uint8_t* bytes, std::size_t size) = 0;
    // The system's error code of the last replace that failed; 0 before any failed.
    virtual std::uint32_t replaceError() const = 0;
    // Renames the file at `path` to `newPath`, never over an existing file: a damaged file is
    // kept for a person to look at. Returns 0, or the system's error code.
    virtual std::uint32_t setAside(const std::string& path, const std::string& newPath) = 0;
    // What tells whether someone else could have redirected a folder.
    virtual FolderFacts folderFacts(const std::string& path) = 0;
};

}  // namespace kestrine
