#pragma once
// The health reads of a listed drive, run after the drive probe: one more open on the probe's
// handle rules, then at most three requests. The drive's health source picks its reader: an
// ATA drive (bus ATA or SATA, or a RAID volume whose driver took the SMART version request) is
// asked for the SMART attributes and thresholds, an NVMe drive for its SMART / Health log;
// any drive is then asked for the storage temperature property. Every reply is read only
// within the bytes the driver returned.
#include <cstdint>

#include "probe/device_port.h"
#include "probe/drive_health.h"
#include "probe/drive_record.h"

namespace kestrine {

// STORAGE_BUS_TYPE codes whose drives may carry health data.
inline constexpr std::uint32_t busAta = 3;
inline constexpr std::uint32_t busSata = 11;

// Which health source a drive is asked for, from what the drive probe found: none when its
// identity is not current, since its bus is then unknown.
HealthSource healthSourceFor(const DriveRecord& record);

DriveHealth probeHealth(const DriveRecord& record, DevicePort& port);

// The health of every listed drive, by drive number; unlisted drives are not opened and keep
// an empty health (source none, no reason).
HealthTable probeAllHealth(const DriveTable& table, DevicePort& port);

// Both front ends' health reads, into the refresh's table: every listed drive's health.
void readAllHealth(const DriveTable& drives, HealthTable& health, DevicePort& devices);

}  // namespace kestrine
