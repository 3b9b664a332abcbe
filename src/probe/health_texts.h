#pragma once
// The words a drive's health is told in, shared by the report's text and the window's health
// window: the drive's status, each caution count's state with what was accepted of it, and the
// NVMe log's fields.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "history/caution_memory.h"
#include "probe/drive_verdict.h"
#include "probe/nvme_health.h"

namespace kestrine {

const char* driveStatusIdentifier(DriveStatus status);   // "ok", "caution", "failing"
const char* cautionStateIdentifier(CautionState state);  // "new", "grown", "accepted"

// A caution count's words for people: "reallocated sectors" for "reallocatedSectors".
std::string cautionNoun(std::string_view name);

// "reallocated sectors 70 - grown, 63 accepted on 2026-12-01T10:00:00Z".
std::string cautionCountText(const CountJudgement& count);
// "attributes failed in the past 1, 7 - accepted, accepted on 2026-12-01T10:00:00Z".
std::string pastFailureText(const PastFailureJudgement& past);

// The SMART / Health log's fields as name and value: "Percentage used", "3 %".
std::vector<std::pair<std::string, std::string>> nvmeLogFields(const NvmeHealth& log);

}  // namespace kestrine
