#pragma once
// What the window makes of one refresh and of a moved list mark, over its ports: both lists,
// both property panels, the countdown's restart, the overall state in the small window icon
// and the tray's picture and tooltip, bringing a minimised window back when a problem count
// grows, the notification of new problems and of caution counts that grew, an event for every
// change, and what became of the health history. The window, the native soak and the core
// benchmark all render through it.
#include <cstdint>

#include <string>
#include <vector>
#include "probe/device_port.h"

#include "refresh/caution_news.h"
#include "refresh/refresh.h"
#include "settings/message_sink.h"
#include "settings/settings_record.h"
#include "tray/event_log.h"
#include "tray/problem_news.h"
#include "tray/status_evaluation.h"
#include "tray/tray_icon.h"
#include "ui/drive_panel.h"
#include "ui/list_control.h"
#include "ui/refresh_cycle.h"
#include "ui/volume_panel.h"

namespace kestrine {

// The window's own controls, as the presenter writes them.
class RefreshView {
public:
    virtual ~RefreshView() = default;
    // Both lists are in step with the result: the wait for the probe is over.
    virtual void listsInStep() = 0;
    virtual void showDrivePanel(const DrivePanelTexts& texts) = 0;
    virtual void showVolumePanel(const VolumePanelView& view) = 0;
    // The title bar's small icon after a change of the overall state.
    virtual void showStateIcon(std::uintptr_t icon) = 0;
    // A problem count grew: a minimised window is restored, an open one comes to the top, a
    // hidden one stays hidden.
    virtual void comeForward() = 0;
};

// The ok and warning pictures the window loaded, by their handle values.
struct StateIcons {
    std::uintptr_t ok = 0;
    std::uintptr_t warning = 0;
};

// The ports lent to the presenter; they outlive it. `thresholds` is the working settings record.
struct RefreshPresenterPorts {
    ListControl& driveList;
    ListControl& volumeList;
    RefreshView& view;
    TrayIcon& trayIcon;
    EventLog& eventLog;
    RefreshCycle& cycle;
    const SystemMessages& systemMessages;
    MessageSink& messages;  // the volume panel's "BadVolumeID"
    const SettingsRecord& thresholds;
    // What the panels show until the first refresh: the refresh's own result, empty until then.
    const RefreshResult& before;
};

class RefreshPresenter {
public:
    explicit RefreshPresenter(const RefreshPresenterPorts& ports) : ports_(ports), shown_(&ports.before) {}

    // Renders one refresh. The result must outlive the next present(): the panels read it
    // when a list mark moves.
    void present(const RefreshResult& result);
    // The tick's follow-up: a panel whose list's selection mark moved shows the marked item.
    void followMarks();
    void updateDrivePanel();
    void updateVolumePanel();
    // The health history at `path` was not recorded: said by one event in the program's run.
    void historyNotRecorded(const std::string& path, const std::string& why);

    StateIcons icons;  // set once the window has loaded them

private:
    const RefreshResult& shown() const { return *shown_; }
    void applyStatus(const StatusDecision& status);
    void tellWhatIsNew(const ProblemNews& news, const std::vector<CautionNews>& cautions);
    void tellHistory(const HistoryOutcome& outcome);

    RefreshPresenterPorts ports_;
    const RefreshResult* shown_;  // the last result presented
    StatusTracker status_;        // the problem counts of the last refresh, for the overall state
    ProblemWatch problemWatch_;
    CautionWatch cautionWatch_;
    int lastDriveSelection_ = -1;
    int lastVolumeSelection_ = -1;
    bool historyFailureTold_ = false;
};

}  // namespace kestrine
