#include "ui/refresh_presenter.h"

#include "refresh/watched_items.h"
#include "tray/status_events.h"
#include "ui/drive_list.h"
#include "ui/volume_list.h"

namespace kestrine {

namespace {

// What the panels show before the first refresh: nothing listed.
const RefreshResult noResult{};

}  // namespace

// The wait lasts until both lists are in step with the result; then the panels, the
// countdown's restart, the overall state, and the news of what changed (none while the
// problems are the last refresh's, whose texts are then not made).
void RefreshPresenter::present(const RefreshResult& result) {
    shown_ = &result;
    refillDriveList(result.drives, result.health, ports_.driveList);
    refillVolumeList(result.volumeScan, result.volumes, ports_.volumeList);
    ports_.view.listsInStep();
    updateDrivePanel();
    updateVolumePanel();
    ports_.cycle.refreshed();
    applyStatus(status_.update(result.failingDriveCount, result.volumeScan.warningCount));
    if (!problemWatch_.holds(problemsOf(result))) tellWhatIsNew(problemWatch_.update(watchedItems(result)));
}

const RefreshResult& RefreshPresenter::shown() const { return shown_ != nullptr ? *shown_ : noResult; }

void RefreshPresenter::followMarks() {
    if (ports_.driveList.selectionMark() != lastDriveSelection_) updateDrivePanel();
    if (ports_.volumeList.selectionMark() != lastVolumeSelection_) updateVolumePanel();
}

void RefreshPresenter::updateDrivePanel() {
    lastDriveSelection_ = ports_.driveList.selectionMark();
    ports_.view.showDrivePanel(
        drivePanelTexts(markedDrive(shown().drives, ports_.driveList), shown().health, ports_.systemMessages));
}

// The mark is noted before anything can show "BadVolumeID", so the ticks that run while that
// box is open do not open it again.
void RefreshPresenter::updateVolumePanel() {
    lastVolumeSelection_ = ports_.volumeList.selectionMark();
    ports_.view.showVolumePanel(
        volumePanelView(ports_.volumeList, shown().volumes, ports_.thresholds, ports_.messages));
}

// A change of the overall state swaps the small window icon and the tray picture and
// tooltip; a grown problem count brings the window forward.
void RefreshPresenter::applyStatus(const StatusDecision& status) {
    if (status.stateChanged) {
        const std::uintptr_t icon = status.isOk ? icons.ok : icons.warning;
        ports_.view.showStateIcon(icon);
        ports_.trayIcon.setIcon(icon);
        ports_.trayIcon.setTooltip(status.tooltip);
    }
    if (status.bringForward) ports_.view.comeForward();
}

// New problems in one notification from the tray icon, whatever the window's state (Windows'
// own notification settings decide whether it is shown); every change in the event log.
void RefreshPresenter::tellWhatIsNew(const ProblemNews& news) {
    if (!news.appeared.empty()) ports_.trayIcon.showNotification(notificationTitle, notificationText(news.appeared));
    for (const LogEvent& event : statusEvents(news)) ports_.eventLog.report(event);
}

}  // namespace kestrine
