#include "refresh/refresh.h"

#include "probe/drive_probe.h"
#include "probe/health_probe.h"

namespace kestrine {

namespace {

// Clears the running mark however the refresh ends, also by an exception.
class RunningMark {
public:
    explicit RunningMark(bool& running) : running_(running) { running_ = true; }
    ~RunningMark() { running_ = false; }
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;

private:
    bool& running_;
};

}  // namespace

Refresh::Refresh(DevicePort& devices, VolumeSource& volumes, DriveJudging judging)
    : devices_(devices), volumes_(volumes), judging_(judging) {}

bool Refresh::run(const SettingsRecord& thresholds, const std::function<void(const RefreshResult&)>& render,
                  const HistoryRecording* recording) {
    if (running_) return false;
    const RunningMark mark(running_);
    probeAllDrives(result_.drives, devices_);
    readAllHealth(result_.drives, result_.health, devices_);
    judging_(result_.drives, result_.health, recording, result_);
    result_.failingDriveCount = failingDriveCount(result_.verdicts);
    result_.volumeScan = scanVolumes(volumes_, thresholds, result_.volumes);
    render(result_);
    return true;
}

}  // namespace kestrine
