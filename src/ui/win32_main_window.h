#pragma once
// "Disk Drive Status": the program's one window. It owns all program state, sets it up in a
// fixed order when it initialises, runs the 200 ms tick and the refresh, keeps the tray icon
// in step with the overall state, and tells of new problems in a notification and of every
// change in the event log.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "history/history_lock.h"
#include "probe/device_port.h"
#include "refresh/refresh.h"
#include "settings/file_store.h"
#include "settings/message_sink.h"
#include "settings/settings_store.h"
#include "tray/event_log.h"
#include "tray/notify_shell.h"
#include "tray/tray_icon.h"
#include "ui/application_info.h"
#include "ui/refresh_cycle.h"
#include "ui/refresh_presenter.h"
#include "ui/win32_colored_label.h"
#include "ui/win32_dialog.h"
#include "ui/win32_gdi.h"
#include "ui/win32_list_view.h"
#include "ui/win32_shared_memory.h"
#include "ui/win32_wait_cursor.h"
#include "volumes/volume_source.h"

namespace kestrine {

// The ports the window works through; the composition root builds their adapters, and they
// outlive the window.
struct MainWindowPorts {
    DevicePort& devices;
    SystemMessages& systemMessages;
    VolumeSource& volumes;
    FileStore& files;
    Pause& pause;  // between tries of a settings file in use, and of the history's lock
    // Writers of the health history, "KSTMH.dat" beside the settings file, take turns under it;
    // the history's file goes through `files`, with the settings folders' access list.
    HistoryLock& historyLock;
    NotifyShell& notifyShell;
    EventLog& eventLog;
    std::string settingsFolder;  // the folder that holds "VTN\KSTM\KSTMC.dat"
    bool elevated = false;       // administrator rights in force: see SettingsStore
};

class MainWindow : public Dialog, private MessageSink, private RefreshView {
public:
    MainWindow(HINSTANCE resources, ApplicationInfo application, const MainWindowPorts& ports);
    // Defined in one file: MinGW's linker refuses the destructor's thunks for two private
    // bases when every file that uses the window makes its own copy.
    ~MainWindow() override;

private:
    static const MessageEntry<MainWindow> messageTable[];

    void bindControls() override;
    bool onInitDialog() override;
    Reply dispatch(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The program's message boxes: OK only, owned by this window, captioned with its name.
    void show(const std::string& text) override;

    // Initialisation steps.
    bool startHandOver();
    void endUnseen();
    void rebuildSystemMenu();
    void setUpIcons();
    void setUpTrayIcon();
    void setUpLists();

    Reply OnSysCommand(WPARAM wParam, LPARAM lParam);
    Reply OnPaint(WPARAM wParam, LPARAM lParam);
    Reply OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
    Reply OnTimer(WPARAM wParam, LPARAM lParam);
    Reply OnDestroy(WPARAM wParam, LPARAM lParam);
    Reply OnEndSession(WPARAM wParam, LPARAM lParam);
    Reply OnTrayNotify(WPARAM wParam, LPARAM lParam);
    Reply OnTaskbarCreated(WPARAM wParam, LPARAM lParam);
    Reply OnContextMenu(WPARAM wParam, LPARAM lParam);

    void startSettings();
    void saveSettings();
    void reportRefusedFolder();
    void exit();
    bool isRunningCopy() const;
    void hideWindow();
    void showAbout();
    void showNotes();

    // The tick, and the refresh with what the presenter writes into the window. Every refresh
    // judges with the health history and records into it, accepting what `accept` names.
    void tick();
    void refresh();
    void refreshAccepting(AcceptScope accept, int acceptDrive);
    // The drive list's context menu at a point on the screen, and its "Accept Current Health",
    // which acts on the marked drive (also when the health window sends it).
    LRESULT OnDriveListRightClick(const NMHDR&);
    void showDriveMenu(POINT screen);
    void acceptHealth();
    void toggleAutoRefresh();
    void listsInStep() override;
    void showDrivePanel(const DrivePanelTexts& texts) override;
    void showVolumePanel(const VolumePanelView& view) override;
    void showStateIcon(std::uintptr_t icon) override;
    void comeForward() override;
    LRESULT OnDriveListClick(const NMHDR&);
    // A double-click or Enter on a drive, and "Health Details...", open its health window.
    LRESULT OnDriveListActivate(const NMHDR&);
    void openFocusedDrive();
    void showHealthDetails();
    LRESULT OnVolumeListClick(const NMHDR&);

    // The threshold controls of the volume panel.
    void lowerDefaultWarningPercent();
    void raiseDefaultWarningPercent();
    void lowerVolumeWarningPercent();
    void raiseVolumeWarningPercent();
    void toggleVolumeUsesOwnPercent();
    void showDefaultPercent(std::uint32_t percent) const;
    void showVolumePercent(std::uint32_t percent) const;

    // Shown in its normal state, on top and in the foreground, also from hidden or minimised.
    void bringToFront();
    void activate() const;

    ApplicationInfo application_;
    SystemMessages& systemMessages_;
    EventLog& eventLog_;
    FileStore& files_;
    Pause& pause_;
    HistoryLock& historyLock_;
    std::string settingsFolder_;
    bool elevated_;
    std::string historyProblem_;  // why the last refresh could not record, when it was the place
    SettingsStore settings_;
    Refresh refresh_;
    UniqueIcon programIcon_;       // the big icon, and the picture of the minimised window
    UniqueIcon programSmallIcon_;  // the title bar's until the overall state first changes
    UniqueIcon okIcon_;
    UniqueIcon warningIcon_;
    UniqueIcon arrowDownIcon_;  // the buttons show them but do not own them
    UniqueIcon arrowUpIcon_;
    UniqueImageList statusImages_;  // shared by both lists, owned here
    UniqueTimer tick_;
    std::optional<WaitCursor> wait_;  // from the refresh's start until the lists are in step
    TrayIcon trayIcon_;
    RefreshCycle cycle_;
    SharedMemory activation_;  // the single-copy hand-over byte
    bool isDuplicate_ = false;

    Button useOwnPercent_;
    Button defaultDown_;
    Button defaultUp_;
    Button volumeDown_;
    Button volumeUp_;
    Control driveLetter_;
    Control percentFree_;
    Control freeSpace_;
    Control totalSize_;
    Control driveName_;
    Control serial_;
    Control bus_;
    Control fixedRemovable_;
    ColoredLabel spfStatus_;
    ColoredLabel smartStatus_;
    Win32ListView driveList_;
    Win32ListView volumeList_;
    RefreshPresenter presenter_;
};

}  // namespace kestrine
