#pragma once
// How a front end reads drive health after the probe, and how much of it its verdicts weigh:
// a plain function, so that a front end links only the reads it asks for.
#include "probe/device_port.h"
#include "probe/drive_health.h"
#include "probe/drive_record.h"
#include "probe/drive_verdict.h"

namespace kestrine {

struct HealthReads {
    void (*read)(const DriveTable& drives, HealthTable& health, DevicePort& devices);
    VerdictScope scope;
};

}  // namespace kestrine
