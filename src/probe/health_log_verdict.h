#pragma once
// An NVMe drive refuses the SMART commands, so its SMART / Health log stands in for them
// (`smartFromHealthLog`): whether the log could be read, and its critical-warning bits, kept
// in the drive's health entry, where `smartState` reads it; the full health reads fetch the
// same log with the rest.
// A drive behind a bridge (`smartThroughBridge`) is asked the same way for SMART RETURN
// STATUS alone, sent through SCSI pass-through.
#include "probe/device_port.h"
#include "probe/drive_health.h"
#include "probe/drive_record.h"

namespace kestrine {

// Each listed drive judged by its health entry is opened once more and asked for that log, or
// for the bridged SMART RETURN STATUS, alone: one request per drive (two where a bridge
// refuses ATA PASS-THROUGH (16)). A drive that no longer opens keeps its earlier entry, as its
// SMART RETURN STATUS would; every other drive's entry is emptied.
void probeHealthLogs(const DriveTable& table, HealthTable& health, DevicePort& port);

}  // namespace kestrine
