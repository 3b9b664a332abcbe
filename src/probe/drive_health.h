#pragma once
// What a drive tells about its health beyond the two failure verdicts: the ATA SMART attribute
// table, or the NVMe SMART / Health log, and the storage temperature property. Each reader
// takes a reply exactly as long as the driver returned it and checks every count, version,
// size and offset before it reads a field; a reply that does not hold what it claims leaves
// the part "not available" with a reason.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "probe/counter128.h"

namespace kestrine {

enum class HealthSource { None, AtaSmart, NvmeLog };

// "none", "ata_smart", "nvme_log".
std::string_view healthSourceName(HealthSource source);

struct AtaAttribute {
    std::uint8_t id = 0;
    std::string_view name;  // empty for a vendor-defined id
    std::uint16_t flags = 0;
    std::uint8_t current = 0;
    std::uint8_t worst = 0;
    std::uint8_t threshold = 0;  // 0 while no threshold entry has this id
    bool hasThreshold = false;
    std::uint64_t raw = 0;  // 48 bits, vendor-defined
    bool preFailure = false;
    // Pre-failure, and the current (worst) value at or below the threshold, both judgeable.
    bool failingNow = false;
    bool failedInPast = false;
};

// A normalised value or threshold outside 1 to 253 carries no judgement: 0, 254 and 255 are
// markers drives use for "not computed", "not used" and the like.
bool isJudgeable(std::uint8_t normalised);

// Raw values beyond these are not the quantity they usually count: the drive packs other data
// into them, or counts in another unit.
inline constexpr std::uint32_t maxPowerOnHours = 262'800;  // 30 years

// The temperatures a drive can have, in degrees Celsius. Any source may give a value outside
// them (65535 K in a health log, 32767 C from a driver): that is a marker or garbage, not a
// temperature, so it is unknown and never judged.
inline constexpr int lowestTemperature = -40;
inline constexpr int highestTemperature = 125;
// `degrees` when it lies within them, else none.
std::optional<int> plausibleTemperature(int degrees);

struct NvmeHealth {
    std::uint8_t criticalWarning = 0;
    std::uint16_t compositeKelvin = 0;
    std::optional<int> compositeCelsius;  // none when the kelvin are no temperature, 0 K included
    std::uint8_t availableSpare = 0;      // percent
    std::uint8_t availableSpareThreshold = 0;
    std::uint8_t percentageUsed = 0;  // may pass 100
    Counter128 dataUnitsRead;         // units of `nvmeDataUnitBytes`
    Counter128 dataUnitsWritten;
    Counter128 powerCycles;
    Counter128 powerOnHours;
    Counter128 unsafeShutdowns;
    Counter128 mediaErrors;
    Counter128 errorLogEntries;
};

inline constexpr std::uint32_t nvmeDataUnitBytes = 512000;

// The storage stack's temperature property, in degrees Celsius; a value that is no
// temperature is none, a limit too.
struct TemperatureReading {
    bool available = false;
    std::string unavailableReason;
    std::optional<int> current;  // also none when the reply carries no sensor entry
    std::optional<int> warning;
    std::optional<int> critical;
};

struct DriveHealth {
    HealthSource source = HealthSource::None;
    std::string unavailableReason;  // why the source is none
    // ATA SMART.
    std::vector<AtaAttribute> attributes;  // in table order, id 0 left out
    std::string thresholdsUnavailableReason;
    // Each none when the attribute is missing or its raw value is not the quantity.
    std::optional<int> ataTemperatureCelsius;      // low byte of 194's raw value, else of 190's: 1 to 125
    std::optional<std::uint32_t> ataPowerOnHours;  // low 32 bits of 9's raw value, up to 30 years
    // The low 32 bits of the raw value, when its upper 16 bits are 0.
    std::optional<std::uint32_t> reallocatedSectors;           // 5
    std::optional<std::uint32_t> reportedUncorrectableErrors;  // 187
    std::optional<std::uint32_t> pendingSectors;               // 197
    std::optional<std::uint32_t> uncorrectableSectors;         // 198
    // NVMe.
    NvmeHealth nvme;
    TemperatureReading temperature;
};

// The sector and error counts of an ATA drive, with their words in the report.
struct AtaCount {
    std::uint8_t id;
    std::optional<std::uint32_t> DriveHealth::*value;
    std::string_view word;    // the text's headline: "reallocated"
    std::string_view noun;    // a reason: "reallocated sectors"
    std::string_view key;     // JSON: "reallocatedSectors"
    std::string_view metric;  // Prometheus: "reallocated_sectors"
};
extern const std::array<AtaCount, 4> ataCounts;

// The reason for a request the driver refused.
std::string requestFailedReason(std::uint32_t error);

// A health with no source, for this reason.
DriveHealth unavailableHealth(std::string reason);

// A SMART READ DATA reply: the attributes, with no thresholds yet.
DriveHealth ataHealth(const std::uint8_t* data, std::size_t bytesReturned);
// A SMART READ THRESHOLDS reply, matched to the attributes by id; judges `failingNow` and
// `failedInPast`.
// Leaves a health whose source is not ATA SMART as it is.
void applyAtaThresholds(DriveHealth& health, const std::uint8_t* data, std::size_t bytesReturned);
// The reply to the NVMe health log request (a protocol data descriptor and the log page).
DriveHealth nvmeHealth(const std::uint8_t* data, std::size_t bytesReturned);
// The reply to the temperature property query.
TemperatureReading temperatureReading(const std::uint8_t* data, std::size_t bytesReturned);

struct WarningBit {
    int bit = 0;
    std::string_view name;
};
// The named NVMe critical-warning bits, 0 to 5.
extern const std::array<WarningBit, 6> criticalWarningBits;
// The bits set in `criticalWarning`, low bit first; bits 6 and 7 are named "reserved bit N".
std::vector<WarningBit> criticalWarnings(std::uint8_t criticalWarning);

// The attribute's id and, for a well-known one, its name: "5 Reallocated Sectors Count", "230".
std::string attributeTitle(const AtaAttribute& attribute);

// A failing-now ATA attribute or any NVMe critical-warning bit.
bool isHealthCritical(const DriveHealth& health);

// The drive's temperature in degrees Celsius: its SMART data's (attribute 194 or 190, or the
// NVMe composite temperature), else the temperature property's current one, else none.
std::optional<int> driveTemperature(const DriveHealth& health);

}  // namespace kestrine
