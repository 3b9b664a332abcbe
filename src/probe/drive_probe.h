#pragma once
// The walk over physical drives 0 to 15 that fills the drive table on every refresh.
// Each existing drive is opened twice: once for its identity and SMART version, once for
// its two failure-prediction verdicts. At most one device is open at a time. Both opens ask
// for read and write access, and, when that is refused, again for no access at all, so that
// a standard user still learns the identity and the storage stack's prediction.
#include <cstdint>
#include <optional>
#include <string>

#include "probe/device_port.h"
#include "probe/drive_record.h"

namespace kestrine {

inline constexpr std::uint32_t errorFileNotFound = 2;  // ERROR_FILE_NOT_FOUND
inline constexpr std::uint32_t errorAccessDenied = 5;  // ERROR_ACCESS_DENIED

// "\\.\PhysicalDriveN".
std::string devicePath(std::int32_t driveNumber);
// The N of a "\\.\PhysicalDriveN" path as devicePath writes it, or none.
std::optional<int> physicalDriveNumber(const std::string& path);

// Opens the drive with read and write access, or with no access when that is refused (a
// standard user); the failure of the second open counts as the open's failure.
OpenResult openDrive(std::int32_t driveNumber, DevicePort& port);

// Opens the drive, reads its identity and SMART version. False exactly when no device
// exists at this number.
bool probeIdentity(DriveRecord& record, DevicePort& port);

// Opens the drive again and reads the storage stack's failure prediction and, when the
// driver takes SMART commands, the drive's SMART RETURN STATUS. False when the open failed.
bool probeFailureStatus(DriveRecord& record, DevicePort& port);

void probeAllDrives(DriveTable& table, DevicePort& port);

}  // namespace kestrine
