#pragma once
// The settings store's files on a Windows file system. A replacement goes through a
// temporary file beside the target, so the target always holds either the old or the new
// bytes, never a part of them.
#include <windows.h>

#include <string>

#include "platform/win32_file_calls.h"
#include "platform/win32_random_source.h"
#include "settings/file_store.h"
#include "settings/pause.h"
#include "settings/settings_folder_access.h"

namespace kestrine {

// The temporary file gets a name nobody can guess, is created only where nothing exists at
// that name (a file, a folder or a link, which is never followed) and is moved over the
// target: an elevated copy writing into a folder other users can create files in writes
// nowhere else. The folders it creates get the access list it was given (in the system's
// security descriptor language): the settings folders' unless told otherwise. Its reads share
// the file with readers only. A replacement's file calls go through `calls`.
class Win32FileStore : public FileStore {
public:
    explicit Win32FileStore(RandomSource& random = systemRandom_, Win32FileCalls& calls = systemCalls_);
    explicit Win32FileStore(std::string folderAccess);
    bool exists(const std::string& path) override;
    void createFolder(const std::string& path) override;
    ReadResult read(const std::string& path, std::uint8_t* buffer, std::size_t size, std::size_t& got) override;
    bool replace(const std::string& path, const std::uint8_t* bytes, std::size_t size) override;
    std::uint32_t replaceError() const override { return replaceError_; }
    std::uint32_t setAside(const std::string& path, const std::string& newPath) override;
    FolderFacts folderFacts(const std::string& path) override;

private:
    bool failed(DWORD error);

    static inline Win32RandomSource systemRandom_;
    static inline SystemFileCalls systemCalls_;
    RandomSource& random_;
    Win32FileCalls& calls_;
    std::string folderAccess_ = settingsFolderAccess;
    DWORD replaceError_ = 0;
};

class Win32Pause : public Pause {
public:
    void wait(std::uint32_t milliseconds) override { Sleep(milliseconds); }
};

// The files of a front end that only reads them: a file is opened with full sharing (read,
// write and delete), so that the window can load, save and replace it meanwhile.
class Win32FileReader : public FileReader {
public:
    bool exists(const std::string& path) override;
    ReadResult read(const std::string& path, std::uint8_t* buffer, std::size_t size, std::size_t& got) override;
};

}  // namespace kestrine
