#pragma once
// The core work of one window refresh and one idle tick, over fakes that answer at once:
// healthy drives 0..N-1 behind the device port (every fourth SATA drive with reallocated
// sectors), volumes C: onwards behind the volume source, in-memory lists, notification area,
// event log, and the health history's file and lock. The refresh is the window's own portable
// one, with its full health reads and its recording, rendered by the window's presenter, so
// the figures measure the core and nothing of the operating system.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_device_port.h"
#include "fakes/fake_event_log.h"
#include "fakes/fake_file_store.h"
#include "fakes/fake_history_lock.h"
#include "fakes/fake_list_control.h"
#include "fakes/fake_notify_shell.h"
#include "fakes/fake_refresh_view.h"
#include "probe/device_port.h"
#include "probe/drive_record.h"
#include "refresh/refresh.h"
#include "settings/message_sink.h"
#include "settings/settings_record.h"
#include "tray/status_evaluation.h"
#include "tray/tray_icon.h"
#include "ui/refresh_cycle.h"
#include "ui/refresh_presenter.h"
#include "volumes/volume_source.h"
#include "volumes/volume_table.h"

namespace kestrine::bench {

// SATA drives answer all four requests of the probe, the SMART attribute table and its
// thresholds; NVMe drives refuse the SMART version request, as the NVMe driver does, and answer
// the health log request instead; USB drives refuse it too, as USB storage drivers do, and
// answer every SCSI pass-through with SMART RETURN STATUS (so their other SAT reads find no
// table). Every drive answers the temperature property.
enum class DriveKind { Sata, Nvme, Usb };

// Letters C: onwards, `count` of them, every sixth one below the default warning percent.
class InstantVolumeSource : public VolumeSource {
public:
    explicit InstantVolumeSource(int count);
    std::uint32_t logicalDrives() override { return mask_; }
    bool freeSpace(const std::string& root, VolumeSpace& space) override;
    bool label(const std::string& root, std::string& label) override;

private:
    std::uint32_t mask_ = 0;
    VolumeSpace spaces_[volumeSlotCount] = {};
    std::string labels_[volumeSlotCount];
};

class SilentMessageSink : public MessageSink {
public:
    void show(const std::string&) override { ++shown; }
    int shown = 0;
};

// The main window's state that a refresh and a tick touch, with the same steps.
class CoreWorkload {
public:
    // The history holds `samplesPerDrive` samples of each drive before each refresh, two hours
    // apart: 1 as the window's two-hourly refresh finds it after its first, 84 after a week.
    CoreWorkload(int drives, int volumes, DriveKind kind = DriveKind::Sata, int samplesPerDrive = 1);
    CoreWorkload(const CoreWorkload&) = delete;  // the refresh holds references to the fakes
    CoreWorkload& operator=(const CoreWorkload&) = delete;

    // The whole refresh: probe, health reads, the verdicts judged and recorded with the
    // history, volume scan, status decision, then the presenter: both lists, both panels, the
    // countdown restart, the state and the news. The history holds the sample of one earlier
    // refresh each time, as a window's two-hourly refresh finds it, so every refresh does the
    // same work.
    void refresh();
    // One tick with nothing to do but the selection checks and the countdown.
    void idleTick();

    // The refresh's parts, for per-part figures: the probe, the health reads and the scan on
    // tables of their own (the drive table probed once at construction).
    void probeDrives();
    void readHealth();
    void refillDrives();
    void scanAllVolumes();
    void updateDrivePanel();
    void updateVolumePanel();
    void evaluate();

    testing::FakeListControl driveList;
    testing::FakeListControl volumeList;
    RefreshCycle cycle;
    int failingDrives = 0;
    int volumeWarnings = 0;
    // What the window would have written into its controls, kept so no step can be dropped.
    testing::RecordingRefreshView view;
    StatusDecision status;
    std::size_t countdownWrites = 0;

private:
    testing::FakeDevicePort devices_;  // drives 0..N-1, healthy
    InstantVolumeSource volumes_;
    testing::NoSystemMessages systemMessages_;
    SilentMessageSink messageSink_;
    SettingsRecord settings_ = defaultSettings();
    testing::FakeNotifyShell shell_;
    TrayIcon tray_{shell_};
    testing::RecordingEventLog eventLog_;
    testing::FakeFileStore historyFiles_;
    testing::FakeLockFile lockFile_;
    testing::FakeHistoryLock historyLock_{lockFile_};
    testing::CountingPause pause_;
    HistoryRecording recording_;
    std::vector<std::uint8_t> earlierHistory_;
    Refresh refresh_;
    RefreshPresenter presenter_;
    DriveTable partDrives_{};
    HealthTable partHealth_{};
    VolumeTable partVolumes_{};
    int oldFailingDrives_ = 0;
    int oldVolumeWarnings_ = 0;
};

}  // namespace kestrine::bench
