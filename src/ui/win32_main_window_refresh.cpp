// The main window's tick, refresh, both property panels and the threshold controls.
#include "ui/win32_main_window.h"

#include <commctrl.h>

#include "refresh/watched_items.h"
#include "resource.h"
#include "tray/status_events.h"
#include "ui/drive_list.h"
#include "ui/drive_panel.h"
#include "ui/volume_list.h"
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
    if (driveList_.selectionMark() != lastDriveSelection_) updateDrivePanel();
    if (volumeList_.selectionMark() != lastVolumeSelection_) updateVolumePanel();
    trayIcon_.retryAddIfDue();

    const TickPlan plan = cycle_.tick(refresh_.running());
    if (plan.writeCountdown) SetDlgItemTextA(hwnd(), IDC_NEXT_REFRESH, plan.countdown.c_str());
    if (plan.refresh) refresh();
}

void MainWindow::refresh() {
    std::optional<WaitCursor> wait(std::in_place);
    refresh_.run(settings_.working(), [&](const RefreshResult& result) { render(result, wait); });
}

// The wait cursor stays from the probe until both lists are in step with the result; then the
// panels, the countdown's restart, the overall state, and the news of what changed.
void MainWindow::render(const RefreshResult& result, std::optional<WaitCursor>& wait) {
    shown_ = result;
    refillDriveList(shown_.drives, shown_.health, driveList_);
    refillVolumeList(shown_.volumeScan, shown_.volumes, volumeList_);
    wait.reset();
    updateDrivePanel();
    updateVolumePanel();
    cycle_.refreshed();
    applyStatus(status_.update(shown_.failingDriveCount, shown_.volumeScan.warningCount));
    tellWhatIsNew(problemWatch_.update(watchedItems(shown_)));
}

void MainWindow::toggleAutoRefresh() {
    const bool autoRefresh = cycle_.toggleAutoRefresh();
    if (HMENU menu = GetMenu(hwnd())) {
        CheckMenuItem(menu, ID_AUTO_REFRESH, MF_BYCOMMAND | (autoRefresh ? MF_CHECKED : MF_UNCHECKED));
    }
    if (!autoRefresh) SetDlgItemTextA(hwnd(), IDC_NEXT_REFRESH, manualRefreshText);
}

void MainWindow::updateDrivePanel() {
    lastDriveSelection_ = driveList_.selectionMark();
    const DrivePanelTexts texts =
        drivePanelTexts(markedDrive(shown_.drives, driveList_), shown_.health, systemMessages_);
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

// The mark is noted before anything can show "BadVolumeID", so the ticks that run while that
// box is open do not open it again.
void MainWindow::updateVolumePanel() {
    lastVolumeSelection_ = volumeList_.selectionMark();
    const VolumePanelView view = volumePanelView(volumeList_, shown_.volumes, settings_.working(), *this);
    driveLetter_.setText(view.letterText);
    percentFree_.setText(view.percentText);
    freeSpace_.setText(view.freeText);
    totalSize_.setText(view.totalText);
    useOwnPercent_.setChecked(view.usesOwnPercent);
    showVolumePercent(view.shownPercent);
}

// A change of the overall state swaps the small window icon and the tray picture and
// tooltip; a grown problem count restores a minimised window (a hidden one stays hidden).
void MainWindow::applyStatus(const StatusDecision& status) {
    if (status.stateChanged) {
        HICON icon = status.isOk ? okIcon_.get() : warningIcon_.get();
        SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        trayIcon_.setIcon(reinterpret_cast<std::uintptr_t>(icon));
        trayIcon_.setTooltip(status.tooltip);
    }
    if (status.bringForward) {
        if (IsIconic(hwnd()))
            bringToFront();
        else
            BringWindowToTop(hwnd());
    }
}

// New problems in one notification from the tray icon, whatever the window's state (Windows'
// own notification settings decide whether it is shown); every change in the event log.
void MainWindow::tellWhatIsNew(const ProblemNews& news) {
    if (!news.appeared.empty()) trayIcon_.showNotification(notificationTitle, notificationText(news.appeared));
    for (const LogEvent& event : statusEvents(news)) eventLog_.report(event);
}

LRESULT MainWindow::OnDriveListClick(const NMHDR&) {
    updateDrivePanel();
    return 0;
}

LRESULT MainWindow::OnVolumeListClick(const NMHDR&) {
    updateVolumePanel();
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
