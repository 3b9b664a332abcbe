#pragma once
// The system's file calls that a replacement makes, behind one small interface: the store
// makes them through it, so that a test can put a decorator in front that sees each call in
// order with what it was given, as the counting verifier sees the handles.
#include <windows.h>

#include <cstdint>
#include <string>

namespace kestrine {

class Win32FileCalls {
public:
    virtual ~Win32FileCalls() = default;
    // CreateFileA without security attributes or template: a handle, or INVALID_HANDLE_VALUE.
    virtual HANDLE createFile(const std::string& path, DWORD access, DWORD sharing, DWORD disposition, DWORD flags) = 0;
    virtual bool writeFile(HANDLE file, const std::uint8_t* bytes, DWORD size, DWORD& written) = 0;
    virtual bool flushFileBuffers(HANDLE file) = 0;
    virtual bool moveFileEx(const std::string& from, const std::string& to, DWORD flags) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
};

// The calls themselves.
class SystemFileCalls : public Win32FileCalls {
public:
    HANDLE createFile(const std::string& path, DWORD access, DWORD sharing, DWORD disposition, DWORD flags) override {
        return CreateFileA(path.c_str(), access, sharing, nullptr, disposition, flags, nullptr);
    }
    bool writeFile(HANDLE file, const std::uint8_t* bytes, DWORD size, DWORD& written) override {
        return WriteFile(file, bytes, size, &written, nullptr) != FALSE;
    }
    bool flushFileBuffers(HANDLE file) override { return FlushFileBuffers(file) != FALSE; }
    bool moveFileEx(const std::string& from, const std::string& to, DWORD flags) override {
        return MoveFileExA(from.c_str(), to.c_str(), flags) != FALSE;
    }
    bool deleteFile(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }
};

}  // namespace kestrine
