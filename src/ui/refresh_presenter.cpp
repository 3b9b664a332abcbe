#include "ui/refresh_presenter.h"

#include "refresh/history_place.h"
#include "refresh/watched_items.h"
#include "tray/status_events.h"
#include "ui/drive_list.h"
#include "ui/volume_list.h"

namespace kestrine {

// The wait lasts until both lists are in step with the result; then the panels, the
// countdown's restart, the overall state, and the news of what changed (no problem news while
// the problems are the last refresh's, whose texts are then not made; caution counts are news
// against the history's previous sample) and of the history.
void RefreshPresenter::present(const RefreshResult& result) {
    shown_ = &result;
    refillDriveList(result.drives, result.health, ports_.driveList, result);
    refillVolumeList(result.volumeScan, result.volumes, ports_.volumeList);
    ports_.view.listsInStep();
    updateDrivePanel();
    updateVolumePanel();
    ports_.cycle.refreshed();
    applyStatus(status_.update(result.failingDriveCount, result.volumeScan.warningCount));
    const ProblemNews news =
        problemWatch_.holds(problemsOf(result)) ? ProblemNews{} : problemWatch_.update(watchedItems(result));
    tellWhatIsNew(news, cautionWatch_.update(result));
    if (result.history) tellHistory(*result.history);
}

void RefreshPresenter::followMarks() {
    if (ports_.driveList.selectionMark() != lastDriveSelection_) updateDrivePanel();
    if (ports_.volumeList.selectionMark() != lastVolumeSelection_) updateVolumePanel();
}

void RefreshPresenter::updateDrivePanel() {
    lastDriveSelection_ = ports_.driveList.selectionMark();
    ports_.view.showDrivePanel(
        drivePanelTexts(markedDrive(shown().drives, ports_.driveList), shown().health, ports_.systemMessages, shown()));
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

// New problems and grown caution counts in one notification from the tray icon, whatever the
// window's state (Windows' own notification settings decide whether it is shown); every change
// in the event log.
void RefreshPresenter::tellWhatIsNew(const ProblemNews& news, const std::vector<CautionNews>& cautions) {
    std::vector<std::string> lines;
    for (const WatchedItem& item : news.appeared) lines.push_back(item.line);
    for (const CautionNews& caution : cautions) lines.push_back(caution.line);
    if (!lines.empty()) ports_.trayIcon.showNotification(notificationTitle, notificationText(lines));
    for (const LogEvent& event : statusEvents(news)) ports_.eventLog.report(event);
    for (const CautionNews& caution : cautions) ports_.eventLog.report(caution.event);
}

// A damaged history set aside is said each time it happens, which is once: recording starts
// again. One that could not be recorded is said once in the program's run, not at every refresh.
void RefreshPresenter::tellHistory(const HistoryOutcome& outcome) {
    if (const std::optional<SetAsideFile>& aside = outcome.setAside)
        ports_.eventLog.report(historySetAside(outcome.path, setAsideWhat(*aside), aside->path));
    if (outcome.status != HistoryUpdateStatus::Written)
        historyNotRecorded(outcome.path, notRecordedWhy(outcome, ports_.systemMessages));
}

void RefreshPresenter::historyNotRecorded(const std::string& path, const std::string& why) {
    if (historyFailureTold_) return;
    historyFailureTold_ = true;
    ports_.eventLog.report(kestrine::historyNotRecorded(path, why));
}

}  // namespace kestrine
