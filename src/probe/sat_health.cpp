#include "probe/sat_health.h"

#include <array>
#include <utility>

#include "probe/ata_health.h"
#include "probe/drive_health.h"
#include "probe/sat_reader.h"

namespace kestrine {

std::string_view satStatusIdentifier(SatStatus status) {
    constexpr std::array<std::string_view, 3> identifiers = {"ok", "threshold_exceeded", "unknown"};
    return identifiers[static_cast<std::size_t>(status)];
}

DriveHealth readBridgeHealth(OpenDevice& drive, const DriveRecord&) {
    SatHealth sat = readSatHealth(drive);
    const SatSector& data = sat.smartData;
    DriveHealth health = data.bytes ? ataHealthOfSector(data.bytes->data()) : unavailableHealth(data.unavailableReason);
    if (health.source == HealthSource::AtaSmart) {
        health.source = HealthSource::SatSmart;
        health.ata.thresholdsUnavailableReason = sat.smartThresholds.unavailableReason;
        if (const auto& thresholds = sat.smartThresholds.bytes) applyAtaThresholdSector(health.ata, thresholds->data());
    }
    health.bridge = std::move(static_cast<BridgeHealth&>(sat));
    return health;
}

}  // namespace kestrine
