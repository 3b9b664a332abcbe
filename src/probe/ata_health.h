#pragma once
// An ATA drive's health: its SMART attribute table, read with SMART READ DATA and READ
// THRESHOLDS, and the counts of bad sectors and uncorrectable errors decoded from it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "probe/device_port.h"

namespace kestrine {

struct CautionJudgement;
struct DriveHealth;
struct DriveRecord;

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

struct AtaHealth {
    std::vector<AtaAttribute> attributes;  // in table order, id 0 left out
    std::string thresholdsUnavailableReason;
    // Each none when the attribute is missing or its raw value is not the quantity.
    std::optional<int> temperatureCelsius;      // low byte of 194's raw value, else of 190's: 1 to 125
    std::optional<std::uint32_t> powerOnHours;  // low 32 bits of 9's raw value, up to 30 years
    // The low 32 bits of the raw value, when its upper 16 bits are 0.
    std::optional<std::uint32_t> reallocatedSectors;           // 5
    std::optional<std::uint32_t> reportedUncorrectableErrors;  // 187
    std::optional<std::uint32_t> pendingSectors;               // 197
    std::optional<std::uint32_t> uncorrectableSectors;         // 198
};

// The sector and error counts of an ATA drive, with their words in the report.
struct AtaCount {
    std::uint8_t id;
    std::optional<std::uint32_t> AtaHealth::*value;
    std::string_view word;    // the text's headline: "reallocated"
    std::string_view noun;    // a reason: "reallocated sectors"
    std::string_view key;     // JSON: "reallocatedSectors"
    std::string_view metric;  // Prometheus: "reallocated_sectors"
};
extern const std::array<AtaCount, 4> ataCounts;

// A SMART READ DATA reply: the attributes, with no thresholds yet; or no source and a reason.
DriveHealth ataHealth(const std::uint8_t* data, std::size_t bytesReturned);
// A SMART READ THRESHOLDS reply, matched to the attributes by id; judges `failingNow` and
// `failedInPast`. Leaves a health whose source is not ATA SMART as it is.
void applyAtaThresholds(DriveHealth& health, const std::uint8_t* data, std::size_t bytesReturned);

// The same for the 512-byte sectors alone, however they came (a bridge's reply holds no
// driver header): the attribute table, or no source and a reason; then its thresholds.
DriveHealth ataHealthOfSector(const std::uint8_t* sector);
void applyAtaThresholdSector(AtaHealth& health, const std::uint8_t* sector);

// Asks an open ATA drive for its attribute table, and for its thresholds when the table could
// be read: two requests at most.
DriveHealth readAtaHealth(OpenDevice& drive, const DriveRecord& record);

// The attribute's id and, for a well-known one, its name: "5 Reallocated Sectors Count", "230".
std::string attributeTitle(const AtaAttribute& attribute);

// What the verdict asks of the record: an attribute failing now is critical, and names the
// problem; the counts above 0 and the attributes that failed in the past are early signs while
// the judgement calls them new or grown.
bool hasFailingAttribute(const AtaHealth& health);
std::string failingAttributesProblem(const AtaHealth& health);
std::vector<std::string> ataCautionReasons(const AtaHealth& health, const CautionJudgement& judgement);

}  // namespace kestrine
