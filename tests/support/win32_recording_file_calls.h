#pragma once
// A decorator of the file store's file calls: it notes each call in order with what it was
// given, then passes it on to the system, or fails it with a chosen error instead.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/win32_file_calls.h"

namespace kestrine::testing {

struct FileCall {
    std::string name;    // "CreateFileA", "WriteFile", "FlushFileBuffers", "MoveFileExA", "DeleteFileA"
    std::string path;    // the file it named, or the handle's file
    DWORD argument = 0;  // CreateFileA: the creation disposition; WriteFile: the bytes asked for
    DWORD flags = 0;     // CreateFileA: the flags and attributes; MoveFileExA: its flags
};

class RecordingFileCalls : public Win32FileCalls {
public:
    std::vector<FileCall> calls;
    std::string failing;  // the name of the call to fail, with `failingError`, without making it
    DWORD failingError = 0;

    HANDLE createFile(const std::string& path, DWORD access, DWORD sharing, DWORD disposition, DWORD flags) override {
        if (failed("CreateFileA", path, disposition, flags)) return INVALID_HANDLE_VALUE;
        HANDLE file = system_.createFile(path, access, sharing, disposition, flags);
        if (file != INVALID_HANDLE_VALUE) paths_[file] = path;
        return file;
    }
    bool writeFile(HANDLE file, const std::uint8_t* bytes, DWORD size, DWORD& written) override {
        return !failed("WriteFile", paths_[file], size) && system_.writeFile(file, bytes, size, written);
    }
    bool flushFileBuffers(HANDLE file) override {
        return !failed("FlushFileBuffers", paths_[file]) && system_.flushFileBuffers(file);
    }
    bool moveFileEx(const std::string& from, const std::string& to, DWORD flags) override {
        return !failed("MoveFileExA", from, 0, flags) && system_.moveFileEx(from, to, flags);
    }
    bool deleteFile(const std::string& path) override {
        return !failed("DeleteFileA", path) && system_.deleteFile(path);
    }

private:
    // Notes the call; true when it is the one to fail, with its error set.
    bool failed(const char* name, const std::string& path, DWORD argument = 0, DWORD flags = 0) {
        calls.push_back({name, path, argument, flags});
        if (failing != name) return false;
        SetLastError(failingError);
        return true;
    }

    SystemFileCalls system_;
    std::map<HANDLE, std::string> paths_;
};

}  // namespace kestrine::testing
