#pragma once
// An ATA drive behind a translating bridge (USB, and the SCSI, SAS or RAID drivers that
// translate), read through SCSI pass-through: its identity, its SMART data and thresholds
// sectors, and the verdict of its SMART RETURN STATUS. Every sector passes its checks before
// it is kept; whatever cannot be read has a reason instead.
#include <optional>
#include <string>

#include "probe/device_port.h"
#include "probe/sat_health.h"
#include "probe/sat_layouts.h"
#include "probe/sat_reply.h"
#include "probe/sat_request.h"

namespace kestrine {

// One checked sector, or the reason there is none.
struct SatSector {
    std::optional<AtaSector> bytes;
    std::string unavailableReason;
};

// The bridge's record, and the sectors that passed their checks.
struct SatHealth : BridgeHealth {
    SatSector smartData;
    SatSector smartThresholds;
};

// Sends IDENTIFY DEVICE, SMART READ DATA, SMART READ THRESHOLDS and SMART RETURN STATUS to the
// open drive: in ATA PASS-THROUGH (16) until the bridge refuses it, in (12) from then on (the
// refused command again first), each in the pass-through structure of `width`.
SatHealth readSatHealth(OpenDevice& drive, device::PointerWidth width = device::ownPointerWidth);

}  // namespace kestrine
