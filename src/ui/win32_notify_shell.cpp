#include "ui/win32_notify_shell.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace kestrine {

namespace {

// The shell reads only the version-1 part of the record, whose tooltip ends after 64 bytes;
// every member written here, the tooltip's terminating zero included, lies in it.
static_assert(NOTIFYICONDATAA_V1_SIZE == 88);
static_assert(offsetof(NOTIFYICONDATAA, szTip) + tooltipMaxLength + 1 == NOTIFYICONDATAA_V1_SIZE);

DWORD messageOf(NotifyAction action) {
    switch (action) {
        case NotifyAction::Add: return NIM_ADD;
        case NotifyAction::Modify: return NIM_MODIFY;
        case NotifyAction::Remove: break;
    }
    return NIM_DELETE;
}

}  // namespace

NOTIFYICONDATAA notifyIconData(const TrayIconRecord& record) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = reinterpret_cast<HWND>(record.owner);
    data.uID = record.iconId;
    data.uFlags = record.flags;
    data.uCallbackMessage = record.callbackMessage;
    data.hIcon = reinterpret_cast<HICON>(record.icon);
    const std::size_t length = std::min(record.tooltip.size(), tooltipMaxLength);
    std::memcpy(data.szTip, record.tooltip.data(), length);
    return data;
}

bool Win32NotifyShell::notify(NotifyAction action, const TrayIconRecord& record) {
    NOTIFYICONDATAA data = notifyIconData(record);
    return Shell_NotifyIconA(messageOf(action), &data) != FALSE;
}

}  // namespace kestrine
