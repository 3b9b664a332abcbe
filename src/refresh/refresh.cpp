#include "refresh/refresh.h"

#include "probe/drive_probe.h"

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

Refresh::Refresh(DevicePort& devices, VolumeSource& volumes, HealthReads healthReads)
    : devices_(devices), volumes_(volumes), healthReads_(healthReads) {}

bool Refresh::run(const SettingsRecord& thresholds, const std::function<void(const RefreshResult&)>& render) {
    if (running_) return false;
    const RunningMark mark(running_);
    const int oldDrives = result_.failingDriveCount;
    const int oldVolumes = result_.volumeScan.warningCount;
    probeAllDrives(result_.drives, devices_);
    healthReads_.read(result_.drives, result_.health, devices_);
    result_.verdicts = judgeDrives(result_.drives, result_.health, healthReads_.scope);
    result_.failingDriveCount = failingDriveCount(result_.verdicts);
    result_.volumeScan = scanVolumes(volumes_, thresholds, result_.volumes);
    result_.status = evaluateStatus(oldDrives, oldVolumes, result_.failingDriveCount, result_.volumeScan.warningCount);
    render(result_);
    return true;
}

}  // namespace kestrine
