#pragma once
// The one judgement of a drive: from what the probe recorded and what the health reads found,
// its status and the reasons for it. The failing-drive count, the window's overall state and
// the report's status all come from here.
#include <array>
#include <string>
#include <vector>

#include "history/caution_memory.h"
#include "history/health_history.h"
#include "probe/drive_health.h"
#include "probe/drive_record.h"

namespace kestrine {

enum class DriveStatus { Ok, Caution, Failing };

struct DriveVerdict {
    DriveStatus status = DriveStatus::Ok;
    std::vector<std::string> reasons;  // one line each, without the drive's name: "predicts failure"
};

// Failing when either failure verdict predicts a failure, or the health is critical (a
// failing-now SMART attribute, an NVMe critical-warning bit). Otherwise caution on an early
// sign: a reallocated, pending or uncorrectable sector or a reported uncorrectable error; a
// pre-failure attribute that failed in the past; NVMe media and data integrity errors; an
// NVMe percentage used of 100 or more; a temperature at or above the warning temperature of
// the temperature property. The reasons are those of the status. A health that was not read
// (source none) adds nothing. The caution counts and past failures are judged with memory
// against what a person accepted of them (judgeCautionCounts): only a new or grown one is an
// early sign; with nothing accepted every one is new.
DriveVerdict judgeDrive(const DriveRecord& record, const DriveHealth& health, const Acceptance& accepted = {});
// The same with the drive's counts already judged (judgeCautions), for a caller that keeps them.
DriveVerdict judgeDrive(const DriveRecord& record, const DriveHealth& health, const CautionJudgement& cautions);

// The caution counts and past failures of the health read, each new, grown or accepted.
CautionJudgement judgeCautions(const DriveHealth& health, const Acceptance& accepted);

// By drive number: listed drives judged, the others left ok without reasons.
using DriveVerdicts = std::array<DriveVerdict, driveTableSize>;
// What a person accepted of each drive's health, by drive number; none: nothing accepted.
using DriveAcceptances = std::array<Acceptance, driveTableSize>;
DriveVerdicts judgeDrives(const DriveTable& drives, const HealthTable& health,
                          const DriveAcceptances* accepted = nullptr);

// The failing-drive count: drives judged failing.
int failingDriveCount(const DriveVerdicts& verdicts);

}  // namespace kestrine
