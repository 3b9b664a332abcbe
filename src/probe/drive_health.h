#pragma once
// What a drive tells about its health beyond the two failure verdicts, one record per
// protocol (the ATA SMART attribute table, the NVMe SMART / Health log), and the storage
// temperature property any drive may answer. Each reader takes a reply exactly as long as the
// driver returned it and checks every count, version, size and offset before it reads a
// field; a reply that does not hold what it claims leaves the part "not available" with a
// reason.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/caution_memory.h"
#include "probe/ata_health.h"
#include "probe/drive_record.h"
#include "probe/nvme_health.h"
#include "probe/sat_health.h"

namespace kestrine {

// Which record of a drive's health holds what was read: SAT SMART is an ATA drive's table
// read through a bridge.
enum class HealthSource { None, AtaSmart, NvmeLog, SatSmart };

// "none", "ata_smart", "nvme_log", "sat_smart".
std::string_view healthSourceName(HealthSource source);

// The temperatures a drive can have, in degrees Celsius. Any source may give a value outside
// them (65535 K in a health log, 32767 C from a driver): that is a marker or garbage, not a
// temperature, so it is unknown and never judged.
inline constexpr int lowestTemperature = -40;
inline constexpr int highestTemperature = 125;
// `degrees` when it lies within them, else none.
std::optional<int> plausibleTemperature(int degrees);

// The storage stack's temperature property, in degrees Celsius; a value that is no
// temperature is none, a limit too.
struct TemperatureReading {
    bool available = false;
    std::string unavailableReason;
    std::optional<int> current;  // also none when the reply carries no sensor entry
    std::optional<int> warning;
    std::optional<int> critical;
};

// One drive's entry in the health table: the record its source names holds what was read.
struct DriveHealth {
    HealthSource source = HealthSource::None;
    std::string unavailableReason;  // why the source is none
    AtaHealth ata;                  // source AtaSmart or SatSmart
    NvmeHealth nvme;                // source NvmeLog
    // A drive whose SMART status comes through a bridge: whatever its source, what the bridge
    // said of the drive behind it.
    std::optional<BridgeHealth> bridge;
    TemperatureReading temperature;
};

// The health of each drive, by drive number; both front ends' reads fill it.
using HealthTable = std::array<DriveHealth, driveTableSize>;

// The reason for a request the driver refused.
std::string requestFailedReason(std::uint32_t error);

// A health with no source, for this reason.
DriveHealth unavailableHealth(std::string reason);

// The reply to the temperature property query.
TemperatureReading temperatureReading(const std::uint8_t* data, std::size_t bytesReturned);

// "title: a, b", the plural title with several items.
std::string listedReason(std::string_view one, std::string_view several, const std::vector<std::string>& items);

// An ATA attribute table, read directly or through a bridge.
bool hasAtaTable(const DriveHealth& health);

// What the verdict asks of the record its source names: critical (a failing-now ATA attribute,
// an NVMe critical-warning bit), the problem that makes it so, and its early signs that are
// news by the judgement of its caution counts. A health with no source is none of these.
bool isHealthCritical(const DriveHealth& health);
std::string healthProblem(const DriveHealth& health);
std::vector<std::string> healthCautionReasons(const DriveHealth& health, const CautionJudgement& judgement);

// A caution count's reason while it is news: "reallocated sectors: 70" while new, with
// ", 63 accepted" once grown past what was accepted; none once accepted. A count the judgement
// does not hold counts as new.
std::optional<std::string> cautionCountReason(std::string_view noun, const std::string& value, std::string_view name,
                                              const CautionJudgement& judgement);

// The drive's temperature in degrees Celsius: its SMART data's (attribute 194 or 190, or the
// NVMe composite temperature), else the temperature property's current one, else none.
std::optional<int> driveTemperature(const DriveHealth& health);

}  // namespace kestrine
