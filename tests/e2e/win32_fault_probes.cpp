#include "win32_fault_probes.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "win32_program_run.h"

namespace kestrine::e2e {

std::vector<HWND> dialogWindows(DWORD processId) {
    std::vector<HWND> dialogs;
    for (HWND window : topLevelWindows(processId)) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::string(name) == "#32770") dialogs.push_back(window);
    }
    return dialogs;
}

std::string messageBoxText(HWND box) { return ProgramRun::windowText(GetDlgItem(box, 0xFFFF)); }

std::string settingsFolder() {
    std::string path = settingsPath();
    return path.substr(0, path.find_last_of('\\'));
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    return names;
}

std::vector<std::string> entriesBesideHistory(const std::string& folder) {
    std::vector<std::string> names = folderEntries(folder);
    std::erase_if(names, [](const std::string& name) { return name == "KSTMH.dat" || name == "KSTMH.lock"; });
    std::sort(names.begin(), names.end());
    return names;
}

bool isFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void removePath(const std::string& path) {
    if (isFolder(path)) {
        RemoveDirectoryA(path.c_str());
        return;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

void resetSettingsFolder() {
    const std::string folder = settingsFolder();
    if (!isFolder(folder)) removePath(folder);
    for (const std::string& name : folderEntries(folder)) removePath(folder + "\\" + name);
    CreateDirectoryA(folder.substr(0, folder.find_last_of('\\')).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
}

bool settingsEqual(const Bytes& expected) {
    Bytes bytes;
    return readSettings(bytes) && bytes.size() == settingsSize && bytes == expected;
}

}  // namespace kestrine::e2e
