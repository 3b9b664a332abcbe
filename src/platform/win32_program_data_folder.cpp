#include <windows.h>
#include <shlobj.h>

#include "platform/win32_handle.h"
#include "platform/win32_settings_folder.h"
#include "settings/file_store.h"

namespace kestrine {

std::string profileListProgramData() {
    HKEY opened = nullptr;
    // The 64-bit view: the profile list is the system's, whoever asks.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return {};
    const UniqueRegistryKey key(opened);
    char value[MAX_PATH + 1] = {};  // one byte more than asked for: a stored value may lack its terminator
    DWORD type = 0;
    DWORD size = MAX_PATH;
    if (RegQueryValueExA(key.get(), "ProgramData", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_EXPAND_SZ && type != REG_SZ) || value[0] == '\0')
        return {};
    char folder[MAX_PATH] = {};
    const DWORD length = ExpandEnvironmentStringsA(value, folder, MAX_PATH);
    if (length == 0 || length > MAX_PATH || folder[0] == '\0') return {};
    return folder;
}

std::string settingsBaseFolderFromLoadedShell() {
    char system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    // By full path: a SHFOLDER.DLL beside the program or in the current folder is never taken.
    const UniqueModule shell(LoadLibraryA((std::string(system) + "\\shfolder.dll").c_str()));
    if (!shell) return {};
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    const auto getFolderPath =
        reinterpret_cast<GetFolderPath>(reinterpret_cast<void (*)()>(GetProcAddress(shell.get(), "SHGetFolderPathA")));
    char folder[MAX_PATH] = {};
    if (getFolderPath == nullptr ||
        FAILED(getFolderPath(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    return folder;
}

std::string settingsBaseFolderWithoutShell() {
    std::string folder = profileListProgramData();
    if (folder.empty()) folder = settingsBaseFolderFromLoadedShell();
    return folder.empty() ? badPathBase : folder;
}

}  // namespace kestrine
