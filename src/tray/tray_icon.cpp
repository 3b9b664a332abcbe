#include "tray/tray_icon.h"

#include <utility>

namespace kestrine {

namespace {

// The text up to a zero byte, cut to `maxLength` characters.
std::string fitted(std::string_view text, std::size_t maxLength) {
    text = text.substr(0, text.find('\0'));
    return std::string(text.substr(0, maxLength));
}

}  // namespace

bool showsWindow(std::uint32_t trayEvent) { return trayEvent == iconDoubleClick || trayEvent == notificationClick; }

bool TrayIcon::setCallbackMessage(std::uint32_t message) {
    data_.callbackMessage = message;
    if (message != 0)
        data_.flags |= notifyFlagMessage;
    else
        data_.flags &= ~notifyFlagMessage;
    return update();
}

bool TrayIcon::setIcon(std::uintptr_t icon) {
    data_.icon = icon;
    return update();
}

bool TrayIcon::setTooltip(std::string_view text) {
    data_.tooltip = fitted(text, tooltipMaxLength);
    return update();
}

bool TrayIcon::add() {
    wanted_ = true;
    ticksSinceAttempt_ = 0;
    data_.owner = owner;
    data_.iconId = iconId;
    added_ = shell_.notify(NotifyAction::Add, data_);
    if (added_) sendWaitingNotification();
    return added_;
}

bool TrayIcon::showNotification(std::string_view title, std::string_view text) {
    waitingNotification_ = Notification{fitted(title, infoTitleMaxLength), fitted(text, infoTextMaxLength)};
    return added_ && sendWaitingNotification();
}

// One modify with the notification; later modifies do not repeat it, and one the shell
// refuses is not tried again.
bool TrayIcon::sendWaitingNotification() {
    if (!waitingNotification_) return false;
    TrayIconRecord record = data_;
    record.flags |= notifyFlagInfo;
    record.infoTitle = std::move(waitingNotification_->title);
    record.infoText = std::move(waitingNotification_->text);
    record.infoFlags = notifyInfoWarning;
    waitingNotification_.reset();
    return shell_.notify(NotifyAction::Modify, record);
}

bool TrayIcon::remove() {
    wanted_ = false;
    waitingNotification_.reset();
    if (!shell_.notify(NotifyAction::Remove, data_)) return false;
    added_ = false;
    return true;
}

bool TrayIcon::restore() {
    if (!wanted_) return false;
    return addOrAdopt();
}

bool TrayIcon::retryAddIfDue() {
    if (!wanted_ || added_) return false;
    if (++ticksSinceAttempt_ < retryTicks) return false;
    addOrAdopt();
    return true;
}

// A refused add does not always mean the icon is missing: a taskbar that kept it across
// "TaskbarCreated" (a DPI change) refuses a second add, and an add at a busy login can fail
// after the icon went up. A modify that goes through proves the icon is there.
bool TrayIcon::addOrAdopt() {
    if (add()) return true;
    added_ = shell_.notify(NotifyAction::Modify, data_);
    if (added_) sendWaitingNotification();
    return added_;
}

bool TrayIcon::update() {
    if (!added_) return true;
    return shell_.notify(NotifyAction::Modify, data_);
}

}  // namespace kestrine
