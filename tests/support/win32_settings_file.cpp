#include "win32_settings_file.h"

#include <shlobj.h>

#include "little_endian_bytes.h"
#include "platform/win32_handle.h"

namespace kestrine::e2e {
namespace {

std::string commonAppData() {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return "";
    return folder;
}

using testing::putLe32;

}  // namespace

std::string settingsPath() { return commonAppData() + "\\VTN\\KSTM\\KSTMC.dat"; }

Bytes defaultSettings() {
    Bytes bytes(settingsSize, 0);
    putLe32(bytes, 0, 3);
    putLe32(bytes, 4, settingsSize);
    putLe32(bytes, defaultPercentAt, 10);
    for (int slot = 0; slot < 26; ++slot) {
        putLe32(bytes, ownPercentAt(slot), 10);
        putLe32(bytes, 140 + 4 * static_cast<std::size_t>(slot), static_cast<std::uint32_t>(slot));
        bytes[useDefaultAt(slot)] = 1;
    }
    return bytes;
}

void removeSettings() { DeleteFileA(settingsPath().c_str()); }

FILETIME preparedWriteTime() {
    SYSTEMTIME date = {};
    date.wYear = 2001;
    date.wMonth = 1;
    date.wDay = 1;
    FILETIME time = {};
    SystemTimeToFileTime(&date, &time);
    return time;
}

bool unchangedSincePrepared() {
    FILETIME written = {};
    FILETIME prepared = preparedWriteTime();
    return settingsWriteTime(written) && CompareFileTime(&written, &prepared) == 0;
}

bool writeSettings(const Bytes& bytes) {
    std::string vtn = commonAppData() + "\\VTN";
    CreateDirectoryA(vtn.c_str(), nullptr);
    CreateDirectoryA((vtn + "\\KSTM").c_str(), nullptr);
    UniqueHandle file(
        CreateFileA(settingsPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    FILETIME old = preparedWriteTime();
    return file.valid() && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && SetFileTime(file.get(), nullptr, nullptr, &old);
}

bool readSettings(Bytes& bytes) {
    UniqueHandle file(
        CreateFileA(settingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.valid()) return false;
    bytes.assign(4096, 0);
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) return false;
    bytes.resize(got);
    return true;
}

bool settingsWriteTime(FILETIME& time) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(settingsPath().c_str(), GetFileExInfoStandard, &data)) return false;
    time = data.ftLastWriteTime;
    return true;
}

}  // namespace kestrine::e2e
