#pragma once
// The program's one icon in the notification area. Setters store their value and, once the
// icon is added, send the whole record to the shell; a failed modify keeps the value, which
// goes out with the next successful call. The icon is re-added after the taskbar is
// re-created (restore) and, while the shell refuses it, retried from the tick. A notification
// goes out with one modify and is not repeated by later ones.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tray/notify_shell.h"

namespace kestrine {

// Events the icon reports in the callback message's lParam.
inline constexpr std::uint32_t iconDoubleClick = 0x203;    // WM_LBUTTONDBLCLK
inline constexpr std::uint32_t notificationClick = 0x405;  // NIN_BALLOONUSERCLICK

// The icon's callback events that show the window: a left double-click on the icon, and a
// click on its notification.
bool showsWindow(std::uint32_t trayEvent);

class TrayIcon {
public:
    static constexpr int retryTicks = 25;  // 5 s of 200 ms ticks between add attempts

    explicit TrayIcon(NotifyShell& shell) : shell_(shell) {}

    std::uint32_t iconId = 2;
    std::uintptr_t owner = 0;  // set by the window before add

    bool setCallbackMessage(std::uint32_t message);  // 0 clears NIF_MESSAGE
    bool setIcon(std::uintptr_t icon);
    bool setTooltip(std::string_view text);  // cut to 63 characters, or at a zero byte
    bool add();
    // A notification with the warning icon, title and text cut to fit. An icon the shell has
    // not taken yet (at a sign-in before the taskbar is there) shows it once it is added, so
    // false then; a later notification replaces a waiting one, and remove() drops it.
    bool showNotification(std::string_view title, std::string_view text);
    bool remove();  // also stops restore and the retries
    // The taskbar was re-created (registered "TaskbarCreated"): the shell may have forgotten
    // the icon, so add it again with its current picture and tooltip, or find it still
    // there. Nothing after remove().
    bool restore();
    // Called on every tick: while an added icon is wanted but the shell has refused it,
    // tries add() again every retryTicks ticks. Returns whether it tried.
    bool retryAddIfDue();

    bool added() const { return added_; }
    const TrayIconRecord& data() const { return data_; }

private:
    bool update();
    bool addOrAdopt();
    bool sendWaitingNotification();

    struct Notification {
        std::string title;
        std::string text;
    };

    NotifyShell& shell_;
    TrayIconRecord data_;
    bool added_ = false;
    bool wanted_ = false;  // add() or restore() was asked for and remove() was not
    int ticksSinceAttempt_ = 0;
    std::optional<Notification> waitingNotification_;
};

}  // namespace kestrine
