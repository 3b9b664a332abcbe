// The main window's tick, refresh, both property panels and the threshold controls.
#include "ui/win32_main_window.h"

#include <commctrl.h>

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

// The hourglass shows from the probe until the presenter has both lists in step. A refresh
// asked for while one runs (from a message box inside it) is refused without one.
void MainWindow::refresh() {
    if (refresh_.running()) return;
    wait_.emplace();
    refresh_.run(settings_.working(), [this](const RefreshResult& result) { presenter_.present(result); });
    wait_.reset();
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
