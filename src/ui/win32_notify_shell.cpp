#include "ui/win32_notify_shell.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace kestrine {

namespace {

// Without a notification the shell reads only the version-1 part of the record, whose tooltip
// ends after 64 bytes; every member written then, the tooltip's terminating zero included,
// lies in it. A notification needs the version-2 record, which every shell since Windows 2000
// reads. (The sizes are the 32-bit program's; the 64-bit build of the tests has wider handles.)
constexpr bool handlesOf64Bits = sizeof(HWND) == 8;
static_assert(NOTIFYICONDATAA_V1_SIZE == (handlesOf64Bits ? 104 : 88));
static_assert(offsetof(NOTIFYICONDATAA, szTip) + tooltipMaxLength + 1 == NOTIFYICONDATAA_V1_SIZE);
static_assert(NOTIFYICONDATAA_V2_SIZE == (handlesOf64Bits ? 504 : 488));
static_assert(sizeof(NOTIFYICONDATAA::szInfoTitle) == infoTitleMaxLength + 1);
static_assert(sizeof(NOTIFYICONDATAA::szInfo) == infoTextMaxLength + 1);
static_assert(offsetof(NOTIFYICONDATAA, dwInfoFlags) + sizeof(DWORD) == NOTIFYICONDATAA_V2_SIZE);

// Copies at most `size` - 1 characters and leaves the rest zero.
template <std::size_t size>
void copyText(char (&target)[size], const std::string& text) {
    std::memcpy(target, text.data(), std::min(text.size(), size - 1));
}

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
    copyText(data.szTip, record.tooltip.substr(0, tooltipMaxLength));
    if ((record.flags & notifyFlagInfo) != 0) {
        data.cbSize = NOTIFYICONDATAA_V2_SIZE;
        copyText(data.szInfoTitle, record.infoTitle);
        copyText(data.szInfo, record.infoText);
        data.dwInfoFlags = record.infoFlags;
    }
    return data;
}

bool Win32NotifyShell::notify(NotifyAction action, const TrayIconRecord& record) {
    NOTIFYICONDATAA data = notifyIconData(record);
    return Shell_NotifyIconA(messageOf(action), &data) != FALSE;
}

}  // namespace kestrine
