// The main window's tick, refresh, both property panels, the drive list's context menu and the
// threshold controls.
#include "ui/win32_main_window.h"

#include <commctrl.h>

#include "platform/win32_utc_clock.h"
#include "refresh/caution_news.h"
#include "refresh/history_place.h"
#include "resource.h"
#include "ui/volume_panel.h"

namespace kestrine {

// Every 200 ms: a later copy's come-forward request, the panels following the lists'
// selection marks, the tray icon's retry, then the countdown and a refresh when it is due.
void MainWindow::tick() {
    volatile std::uint8_t* request = activation_.view();
    if (request != nullptr && *request != 0) {
        *request = 0;
        bringToFront();
    }
    presenter_.followMarks();
    trayIcon_.retryAddIfDue();

    const TickPlan plan = cycle_.tick(refresh_.running());
    if (plan.writeCountdown) SetDlgItemTextA(hwnd(), IDC_NEXT_REFRESH, plan.countdown.c_str());
    if (plan.refresh) refresh();
}

void MainWindow::refresh() { refreshAccepting(AcceptScope::None, 0); }

// The hourglass shows from the probe until the presenter has both lists in step. A refresh
// asked for while one runs (from a message box inside it) is refused without one. The
// history's place is looked at each time: the settings folders may be made, or taken over,
// while the program runs.
void MainWindow::refreshAccepting(AcceptScope accept, int acceptDrive) {
    if (refresh_.running()) return;
    wait_.emplace();
    const HistoryPlace place = historyBesideSettings(files_, settingsFolder_, elevated_);
    historyProblem_ = place.problem;
    const HistoryRecording recording{files_,   historyLock_, pause_,      place.path, place.lockPath,
                                     utcNow(), accept,       acceptDrive, true};
    refresh_.run(
        settings_.working(), [this](const RefreshResult& result) { presenter_.present(result); },
        place.problem.empty() ? &recording : nullptr);
    if (!place.problem.empty()) presenter_.historyNotRecorded(place.path, place.problem);
    wait_.reset();
}

// The list has marked the drive under the pointer by now. Handled, so that the list sends no
// WM_CONTEXTMENU after it.
LRESULT MainWindow::OnDriveListRightClick(const NMHDR&) {
    presenter_.updateDrivePanel();
    const DWORD at = GetMessagePos();
    showDriveMenu({static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))});
    return TRUE;
}

// Shift+F10 or the menu key on the drive list (the position -1, -1): the menu opens at the
// marked drive. A click was answered as NM_RCLICK.
Reply MainWindow::OnContextMenu(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) != driveList_.handle()) return std::nullopt;
    const int mark = driveList_.selectionMark();
    if (lParam != -1 || mark < 0) return 0;
    RECT item{};
    item.left = LVIR_LABEL;
    if (SendMessageA(driveList_.handle(), LVM_GETITEMRECT, static_cast<WPARAM>(mark),
                     reinterpret_cast<LPARAM>(&item)) == FALSE)
        return 0;
    POINT at{item.left, item.bottom};
    ClientToScreen(driveList_.handle(), &at);
    showDriveMenu(at);
    return 0;
}

void MainWindow::showDriveMenu(POINT screen) {
    if (markedDrive(refresh_.result().drives, driveList_) == nullptr) return;
    const UniqueMenu menu(LoadMenuA(resources(), MAKEINTRESOURCEA(IDR_DRIVE_MENU)));
    if (!menu) return;
    TrackPopupMenu(GetSubMenu(menu.get(), 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
}

// The accepted values are the ones this refresh reads, taken in the same locked update. A
// history that could not take them is said plainly, and nothing is claimed accepted.
void MainWindow::acceptHealth() {
    const DriveRecord* marked = markedDrive(refresh_.result().drives, driveList_);
    if (marked == nullptr || refresh_.running()) return;
    const int number = marked->driveNumber;
    refreshAccepting(AcceptScope::OneDrive, number);
    const RefreshResult& result = refresh_.result();
    const std::string refusal = acceptRefusal(result, number, historyProblem_, systemMessages_);
    if (refusal.empty())
        eventLog_.report(healthAccepted(result, number));
    else
        show(refusal);
}

void MainWindow::toggleAutoRefresh() {
    const bool autoRefresh = cycle_.toggleAutoRefresh();
    if (HMENU menu = GetMenu(hwnd())) {
        CheckMenuItem(menu, ID_AUTO_REFRESH, MF_BYCOMMAND | (autoRefresh ? MF_CHECKED : MF_UNCHECKED));
    }
    if (!autoRefresh) SetDlgItemTextA(hwnd(), IDC_NEXT_REFRESH, manualRefreshText);
}

void MainWindow::listsInStep() { wait_.reset(); }

void MainWindow::showDrivePanel(const DrivePanelTexts& texts) {
    if (texts.stateColors) {
        spfStatus_.setTextColor(texts.spfColor);
        smartStatus_.setTextColor(texts.smartColor);
    } else {
        spfStatus_.resetTextColor();
        smartStatus_.resetTextColor();
    }
    driveName_.setText(texts.name);
    serial_.setText(texts.serial);
    bus_.setText(texts.bus);
    fixedRemovable_.setText(texts.fixedRemovable);
    spfStatus_.setText(texts.spfStatus);
    smartStatus_.setText(texts.smartStatus);
}

void MainWindow::showVolumePanel(const VolumePanelView& view) {
    driveLetter_.setText(view.letterText);
    percentFree_.setText(view.percentText);
    freeSpace_.setText(view.freeText);
    totalSize_.setText(view.totalText);
    useOwnPercent_.setChecked(view.usesOwnPercent);
    showVolumePercent(view.shownPercent);
}

void MainWindow::showStateIcon(std::uintptr_t icon) {
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, static_cast<LPARAM>(icon));
}

void MainWindow::comeForward() {
    if (IsIconic(hwnd()))
        bringToFront();
    else
        BringWindowToTop(hwnd());
}

LRESULT MainWindow::OnDriveListClick(const NMHDR&) {
    presenter_.updateDrivePanel();
    return 0;
}

LRESULT MainWindow::OnVolumeListClick(const NMHDR&) {
    presenter_.updateVolumePanel();
    return 0;
}

void MainWindow::lowerDefaultWarningPercent() {
    if (const auto shown = kestrine::lowerDefaultWarningPercent(settings_.working())) showDefaultPercent(*shown);
}

void MainWindow::raiseDefaultWarningPercent() {
    if (const auto shown = kestrine::raiseDefaultWarningPercent(settings_.working())) showDefaultPercent(*shown);
}

void MainWindow::lowerVolumeWarningPercent() {
    if (const auto shown = kestrine::lowerVolumeWarningPercent(settings_.working(), volumeList_, *this)) {
        showVolumePercent(*shown);
    }
}

void MainWindow::raiseVolumeWarningPercent() {
    if (const auto shown = kestrine::raiseVolumeWarningPercent(settings_.working(), volumeList_, *this)) {
        showVolumePercent(*shown);
    }
}

void MainWindow::toggleVolumeUsesOwnPercent() {
    kestrine::toggleVolumeUsesOwnPercent(settings_.working(), volumeList_, useOwnPercent_.checked());
}

void MainWindow::showDefaultPercent(std::uint32_t percent) const {
    SetDlgItemInt(hwnd(), IDC_DEFAULT_PERCENT, percent, FALSE);
}

void MainWindow::showVolumePercent(std::uint32_t percent) const {
    SetDlgItemInt(hwnd(), IDC_VOLUME_PERCENT, percent, FALSE);
}

}  // namespace kestrine
