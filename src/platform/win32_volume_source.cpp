#include "platform/win32_volume_source.h"

#include <windows.h>

#include <cwchar>
#include <string_view>

#include "platform/win32_ansi_converter.h"

namespace kestrine {

std::uint32_t Win32VolumeSource::logicalDrives() { return GetLogicalDrives(); }

bool Win32VolumeSource::freeSpace(const std::string& root, VolumeSpace& space) {
    ULARGE_INTEGER availableToCaller;
    ULARGE_INTEGER total;
    ULARGE_INTEGER totalFree;
    if (!GetDiskFreeSpaceExA(root.c_str(), &availableToCaller, &total, &totalFree)) return false;
    space.totalBytes = static_cast<std::int64_t>(total.QuadPart);
    space.freeBytes = static_cast<std::int64_t>(totalFree.QuadPart);
    return true;
}

namespace {

bool wideLabel(const std::string& root, std::string& label) {
    const std::wstring wideRoot(root.begin(), root.end());  // "X:\" is ASCII
    wchar_t buffer[MAX_PATH] = {};
    if (!GetVolumeInformationW(wideRoot.c_str(), buffer, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0) ||
        !wideToUtf8(std::wstring_view(buffer, wcsnlen(buffer, MAX_PATH)), label)) {
        label.clear();
        return false;
    }
    return true;
}

}  // namespace

bool Win32VolumeSource::label(const std::string& root, std::string& label) {
    if (encoding_ == LabelEncoding::Utf8) return wideLabel(root, label);
    char buffer[MAX_PATH] = {};
    if (!GetVolumeInformationA(root.c_str(), buffer, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0)) {
        label.clear();
        return false;
    }
    buffer[MAX_PATH - 1] = '\0';
    label = buffer;
    return true;
}

}  // namespace kestrine
