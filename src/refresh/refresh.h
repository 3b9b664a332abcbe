#pragma once
// One refresh of everything Kestrine watches, as one portable object shared by every front
// end: the drive probe, every listed drive's health, the verdict of each drive and the volume scan against the warning percents. The window renders the result
// in its lists, panels and icons; the report writes it in its formats.
#include <functional>

#include "probe/device_port.h"
#include "probe/drive_health.h"
#include "probe/drive_record.h"
#include "probe/drive_verdict.h"
#include "refresh/history_recording.h"
#include "settings/settings_record.h"
#include "volumes/volume_scan.h"
#include "volumes/volume_source.h"
#include "volumes/volume_table.h"

namespace kestrine {

// What the last refresh left: its judgement (DriveJudgements: the verdicts by drive number,
// listed drives only; each drive's caution counts judged; the histories this refresh recorded
// and how recording went), the tables and the volume scan. The tables carry over from one
// refresh to the next: a record keeps what a failed query did not replace.
struct RefreshResult : DriveJudgements {
    DriveTable drives{};
    HealthTable health{};  // by drive number, as the health reads left it
    int failingDriveCount = 0;
    VolumeTable volumes{};
    VolumeScanResult volumeScan;  // its warningCount is the volume warning count
};

class Refresh {
public:
    // Both front ends judge with their history (judgeWithHistory).
    Refresh(DevicePort& devices, VolumeSource& volumes, DriveJudging judging = judgeWithoutHistory);

    // Runs one refresh with these warning percents and hands the result to `render` before
    // it returns. False, with nothing run or rendered, while a refresh is running: rendering
    // may open a message box, whose message loop goes on delivering ticks and commands, and a
    // second refresh must not start inside the first. With a recording, a front end that judges
    // with its history judges the drives against it and records them into it.
    bool run(const SettingsRecord& thresholds, const std::function<void(const RefreshResult&)>& render,
             const HistoryRecording* recording = nullptr);
    bool running() const { return running_; }
    const RefreshResult& result() const { return result_; }

private:
    DevicePort& devices_;
    VolumeSource& volumes_;
    DriveJudging judging_;
    RefreshResult result_;
    bool running_ = false;
};

}  // namespace kestrine
