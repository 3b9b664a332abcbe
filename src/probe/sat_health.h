#pragma once
// An ATA drive behind a translating bridge (USB, and the SCSI, SAS or RAID drivers that
// translate), read through SCSI pass-through. Its SMART data and thresholds become the same
// attribute table as an ATA drive's (probe/ata_health.h); the identity behind the bridge and
// the verdict of SMART RETURN STATUS are kept beside it, the verdict standing in for the
// SMART status the device-control requests could not read.
#include <optional>
#include <string>
#include <string_view>

#include "probe/device_port.h"
#include "probe/sat_request.h"

namespace kestrine {

struct DriveHealth;
struct DriveRecord;

enum class SatStatus { Ok, ThresholdExceeded, Unknown };

// "ok", "threshold_exceeded", "unknown".
std::string_view satStatusIdentifier(SatStatus status);

// What the bridge told of the drive behind it.
struct BridgeHealth {
    std::string model;
    std::string serial;
    std::string identityUnavailableReason;  // empty when the model and serial number were read
    SatStatus status = SatStatus::Unknown;
    std::string statusUnknownReason;  // with Unknown
    std::optional<CdbSize> cdbSize;   // the CDB the bridge last answered; none when it refused every one
    bool accessDenied = false;        // the system refused a request for want of rights
};

// IDENTIFY DEVICE, SMART READ DATA and THRESHOLDS and SMART RETURN STATUS.
// Source SAT SMART with the attribute table when the data sector passed its checks, else no
// source and the reader's reason; the bridge's record either way.
DriveHealth readBridgeHealth(OpenDevice& drive, const DriveRecord& record);

}  // namespace kestrine
