#pragma once
// The one judgement of a drive: from what the probe recorded and what the health reads found,
// its status and the reasons for it. The failing-drive count, the window's overall state and
// the report's status all come from here.
#include <array>
#include <string>
#include <vector>

#include "probe/drive_health.h"
#include "probe/drive_record.h"
#include "probe/health_probe.h"

namespace kestrine {

enum class DriveStatus { Ok, Caution, Failing };

struct DriveVerdict {
    DriveStatus status = DriveStatus::Ok;
    std::vector<std::string> reasons;  // one line each, without the drive's name: "predicts failure"
};

// Failing when either failure verdict predicts a failure, or the health is critical (a
// failing-now SMART attribute, an NVMe critical-warning bit); a health that was not read
// (source none) adds nothing.
DriveVerdict judgeDrive(const DriveRecord& record, const DriveHealth& health);

// By drive number: listed drives judged, the others left ok without reasons.
using DriveVerdicts = std::array<DriveVerdict, driveTableSize>;
DriveVerdicts judgeDrives(const DriveTable& drives, const HealthTable& health);

// The failing-drive count: drives judged failing.
int failingDriveCount(const DriveVerdicts& verdicts);

}  // namespace kestrine
