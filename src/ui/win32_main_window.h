#pragma once
// "Disk Drive Status": the program's one window. It owns all program state, sets it up in a
// fixed order when it initialises, runs the 200 ms tick and the refresh, and keeps the tray
// icon in step with the overall state.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win32_device_port.h"
#include "platform/win32_file_store.h"
#include "platform/win32_gdi.h"
#include "platform/win32_list_view.h"
#include "platform/win32_notify_shell.h"
#include "platform/win32_shared_memory.h"
#include "platform/win32_volume_source.h"
#include "probe/drive_record.h"
#include "settings/settings_store.h"
#include "tray/status_evaluation.h"
#include "tray/tray_icon.h"
#include "ui/message_sink.h"
#include "ui/refresh_cycle.h"
#include "ui/win32_colored_label.h"
#include "ui/win32_dialog.h"
#include "volumes/volume_table.h"

namespace kestrine {

struct ApplicationInfo {
    std::string name;         // the executable's base name: the caption of every message box
    std::string commandTail;  // the command line after the program's name
};

class MainWindow : public Dialog, private MessageSink {
public:
    MainWindow(HINSTANCE resources, ApplicationInfo application, DevicePort& devices);

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
    void setUpImageList();

    Reply OnSysCommand(WPARAM wParam, LPARAM lParam);
    Reply OnPaint(WPARAM wParam, LPARAM lParam);
    Reply OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
    Reply OnTimer(WPARAM wParam, LPARAM lParam);
    Reply OnDestroy(WPARAM wParam, LPARAM lParam);
    Reply OnTrayNotify(WPARAM wParam, LPARAM lParam);
    Reply OnTaskbarCreated(WPARAM wParam, LPARAM lParam);

    void exit();
    void hideWindow();
    void showAbout();
    void showNotes();

    // The tick and the refresh.
    void tick();
    void refresh();
    void toggleAutoRefresh();
    void updateDrivePanel();
    void updateVolumePanel();
    void applyStatus(const StatusDecision& status);
    LRESULT onDriveListClick(const NMHDR&);
    LRESULT onVolumeListClick(const NMHDR&);

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
    DevicePort& devices_;
    Win32SystemMessages systemMessages_;
    Win32VolumeSource volumeSource_;
    Win32FileStore files_;
    SettingsStore settings_;
    DriveTable drives_{};
    UniqueIcon programIcon_;       // the big icon, and the picture of the minimised window
    UniqueIcon programSmallIcon_;  // the title bar's until the overall state first changes
    UniqueIcon okIcon_;
    UniqueIcon warningIcon_;
    UniqueIcon arrowDownIcon_;  // the buttons show them but do not own them
    UniqueIcon arrowUpIcon_;
    UniqueImageList statusImages_;  // shared by both lists, owned here
    UINT_PTR timerId_ = 0;
    int lastDriveSelection_ = -1;
    int lastVolumeSelection_ = -1;
    Win32NotifyShell notifyShell_;
    TrayIcon trayIcon_{notifyShell_};
    int failingDriveCount_ = 0;
    int volumeWarningCount_ = 0;
    RefreshCycle cycle_;
    SharedMemory activation_;  // the single-copy hand-over byte
    VolumeTable volumes_{};
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
};

}  // namespace kestrine
