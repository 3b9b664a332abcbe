#pragma once
// The sample the history keeps of a drive's health as the health reads left it: what its
// caution counts are judged by and what a person accepts.
#include "history/health_history.h"
#include "probe/drive_health.h"

namespace kestrine {

// The caution counts of the record the health's source names (an NVMe drive's media errors
// beyond 64 bits kept at the largest value), the ids of the attributes that failed in the
// past, power-on hours, the temperature, and an NVMe drive's wear and spare. A health with no
// source gives a sample with none of them.
HealthSample healthSample(const DriveHealth& health, UtcSeconds time, SampleStatus status);

}  // namespace kestrine
