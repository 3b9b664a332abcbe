#pragma once
// An NVMe drive refuses the SMART commands, so its record takes the verdict of its SMART /
// Health log instead (`smartFromHealthLog`): whether the log could be read, and its
// critical-warning bits. The window asks such a drive for the log alone on every refresh;
// the report notes the verdict from the log its health reads fetch anyway
// (`noteHealthLogs`, health_probe.h).
#include <cstdint>
#include <optional>

#include "probe/device_port.h"
#include "probe/drive_record.h"
#include "probe/health_probe.h"

namespace kestrine {

// Each listed drive judged by its health log is opened once more and asked for that log
// alone: one request per drive. A drive that no longer opens keeps its earlier verdict, as
// its SMART RETURN STATUS would.
void probeHealthLogs(DriveTable& table, DevicePort& port);
// The window's health reads: those logs alone; the health table stays as it is.
void readHealthLogs(DriveTable& drives, HealthTable& health, DevicePort& devices);

// The log's verdict in a record judged by its health log: read, with its critical-warning
// bits, or not read (none).
void noteHealthLog(DriveRecord& record, std::optional<std::uint8_t> criticalWarning);

}  // namespace kestrine
