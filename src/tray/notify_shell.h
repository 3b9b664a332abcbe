#pragma once
// The notification area as the tray icon sees it: add, modify or delete one icon record, and
// show a notification from the icon. The Win32 adapter fills a NOTIFYICONDATAA and calls
// Shell_NotifyIconA.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrine {

enum class NotifyAction { Add, Modify, Remove };

inline constexpr std::uint32_t notifyFlagMessage = 0x1;  // NIF_MESSAGE
inline constexpr std::uint32_t notifyFlagIcon = 0x2;     // NIF_ICON
inline constexpr std::uint32_t notifyFlagTip = 0x4;      // NIF_TIP
inline constexpr std::uint32_t notifyFlagInfo = 0x10;    // NIF_INFO: show a notification
inline constexpr std::size_t tooltipMaxLength = 63;      // szTip holds 64 bytes with the zero
inline constexpr std::uint32_t notifyInfoWarning = 0x2;  // NIIF_WARNING: the warning icon
inline constexpr std::size_t infoTitleMaxLength = 63;    // szInfoTitle: 64 bytes
inline constexpr std::size_t infoTextMaxLength = 255;    // szInfo: 256 bytes

struct TrayIconRecord {
    std::uintptr_t owner = 0;  // hWnd: the window that receives the callback message
    std::uint32_t iconId = 2;  // uID
    std::uint32_t flags = notifyFlagMessage | notifyFlagIcon | notifyFlagTip;
    std::uint32_t callbackMessage = 0xA44C;
    std::uintptr_t icon = 0;  // hIcon
    std::string tooltip;      // never longer than tooltipMaxLength
    // With notifyFlagInfo only: the notification, within infoTitleMaxLength and infoTextMaxLength.
    std::string infoTitle;
    std::string infoText;
    std::uint32_t infoFlags = 0;  // dwInfoFlags
};

class NotifyShell {
public:
    virtual ~NotifyShell() = default;
    virtual bool notify(NotifyAction action, const TrayIconRecord& record) = 0;
};

}  // namespace kestrine
