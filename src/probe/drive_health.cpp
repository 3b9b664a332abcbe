#include "probe/drive_health.h"

#include <algorithm>
#include <utility>

#include "probe/attribute_names.h"
#include "probe/health_layouts.h"
#include "probe/little_endian.h"
#include "probe/nvme_log.h"

namespace kestrine {

namespace {

std::string count(std::size_t value) { return std::to_string(value); }

// Why a SMART READ reply cannot be used, or empty when its sector can be read.
std::string smartReadProblem(std::string_view what, const std::uint8_t* data, std::size_t bytesReturned) {
    namespace layout = device::smartRead;
    if (data == nullptr || bytesReturned < layout::replySize)
        return "the SMART " + std::string(what) + " reply holds " + count(data ? bytesReturned : 0) + " of " +
               count(layout::replySize) + " bytes";
    if (data[layout::driverError] != 0)
        return "the driver reported SMART error " + count(data[layout::driverError]) + " (drive error " +
               count(data[layout::ideError]) + ")";
    return {};
}

const std::uint8_t* entryAt(const std::uint8_t* sector, std::size_t index) {
    return sector + device::smartSector::firstEntry + index * device::smartSector::entrySize;
}

AtaAttribute attributeFrom(const std::uint8_t* entry) {
    namespace layout = device::smartSector;
    AtaAttribute attribute;
    attribute.id = entry[layout::id];
    attribute.name = ataAttributeName(attribute.id);
    attribute.flags = readLe16(entry + layout::flags);
    attribute.current = entry[layout::current];
    attribute.worst = entry[layout::worst];
    attribute.raw = readLe48(entry + layout::raw);
    attribute.preFailure = (attribute.flags & 0x0001) != 0;
    return attribute;
}

const AtaAttribute* firstWithId(const std::vector<AtaAttribute>& attributes, std::uint8_t id) {
    const auto found = std::find_if(attributes.begin(), attributes.end(),
                                    [id](const AtaAttribute& attribute) { return attribute.id == id; });
    return found != attributes.end() ? &*found : nullptr;
}

std::uint32_t low32(std::uint64_t raw) { return static_cast<std::uint32_t>(raw & 0xFFFF'FFFF); }

// A sector or error count: none when the upper 16 of the 48 bits hold anything.
std::optional<std::uint32_t> countOf(const std::vector<AtaAttribute>& attributes, std::uint8_t id) {
    const AtaAttribute* attribute = firstWithId(attributes, id);
    if (attribute == nullptr || attribute->raw >> 32 != 0) return std::nullopt;
    return low32(attribute->raw);
}

// Drives that do not use an attribute as a temperature leave 0 in it, or other data.
std::optional<int> temperatureOf(const std::vector<AtaAttribute>& attributes) {
    for (const std::uint8_t id : {std::uint8_t{194}, std::uint8_t{190}}) {
        const AtaAttribute* attribute = firstWithId(attributes, id);
        if (attribute == nullptr || (attribute->raw & 0xFF) == 0) continue;
        if (const std::optional<int> degrees = plausibleTemperature(static_cast<int>(attribute->raw & 0xFF)))
            return degrees;
    }
    return std::nullopt;
}

std::optional<int> signedDegrees(const std::uint8_t* field) {
    return plausibleTemperature(static_cast<std::int16_t>(readLe16(field)));
}

void decodeCommonRawValues(DriveHealth& health) {
    health.ataTemperatureCelsius = temperatureOf(health.attributes);
    if (const AtaAttribute* hours = firstWithId(health.attributes, 9); hours && low32(hours->raw) <= maxPowerOnHours)
        health.ataPowerOnHours = low32(hours->raw);
    for (const AtaCount& count : ataCounts) health.*count.value = countOf(health.attributes, count.id);
}

// At or below the threshold, when both carry a judgement.
bool reachedThreshold(std::uint8_t value, std::uint8_t threshold) {
    return isJudgeable(value) && isJudgeable(threshold) && value <= threshold;
}

}  // namespace

const std::array<AtaCount, 4> ataCounts = {{
    {5, &DriveHealth::reallocatedSectors, "reallocated", "reallocated sectors", "reallocatedSectors",
     "reallocated_sectors"},
    {197, &DriveHealth::pendingSectors, "pending", "pending sectors", "pendingSectors", "pending_sectors"},
    {198, &DriveHealth::uncorrectableSectors, "uncorrectable", "uncorrectable sectors", "uncorrectableSectors",
     "uncorrectable_sectors"},
    {187, &DriveHealth::reportedUncorrectableErrors, "reported uncorrectable", "reported uncorrectable errors",
     "reportedUncorrectableErrors", "reported_uncorrectable_errors"},
}};

bool isJudgeable(std::uint8_t normalised) { return normalised >= 1 && normalised <= 253; }

std::optional<int> plausibleTemperature(int degrees) {
    if (degrees < lowestTemperature || degrees > highestTemperature) return std::nullopt;
    return degrees;
}

std::string_view healthSourceName(HealthSource source) {
    switch (source) {
        case HealthSource::AtaSmart: return "ata_smart";
        case HealthSource::NvmeLog: return "nvme_log";
        case HealthSource::None: break;
    }
    return "none";
}

std::string requestFailedReason(std::uint32_t error) {
    return "the driver refused the request with error " + std::to_string(error);
}

DriveHealth unavailableHealth(std::string reason) {
    DriveHealth health;
    health.unavailableReason = std::move(reason);
    return health;
}

DriveHealth ataHealth(const std::uint8_t* data, std::size_t bytesReturned) {
    if (std::string problem = smartReadProblem("data", data, bytesReturned); !problem.empty())
        return unavailableHealth(std::move(problem));
    const std::uint8_t* sector = data + device::smartRead::sector;
    DriveHealth health;
    for (std::size_t index = 0; index < device::smartSector::entryCount; ++index) {
        const std::uint8_t* entry = entryAt(sector, index);
        if (entry[device::smartSector::id] != 0) health.attributes.push_back(attributeFrom(entry));
    }
    if (health.attributes.empty()) return unavailableHealth("the SMART data holds no attribute");
    health.source = HealthSource::AtaSmart;
    decodeCommonRawValues(health);
    return health;
}

void applyAtaThresholds(DriveHealth& health, const std::uint8_t* data, std::size_t bytesReturned) {
    if (health.source != HealthSource::AtaSmart) return;
    health.thresholdsUnavailableReason = smartReadProblem("thresholds", data, bytesReturned);
    if (!health.thresholdsUnavailableReason.empty()) return;
    const std::uint8_t* sector = data + device::smartRead::sector;
    for (AtaAttribute& attribute : health.attributes) {
        for (std::size_t index = 0; index < device::smartSector::entryCount; ++index) {
            const std::uint8_t* entry = entryAt(sector, index);
            if (entry[device::smartSector::id] != attribute.id) continue;
            attribute.threshold = entry[device::smartSector::threshold];
            attribute.hasThreshold = true;
            break;
        }
        attribute.failingNow = attribute.preFailure && reachedThreshold(attribute.current, attribute.threshold);
        attribute.failedInPast = attribute.preFailure && reachedThreshold(attribute.worst, attribute.threshold);
    }
}

DriveHealth nvmeHealth(const std::uint8_t* data, std::size_t bytesReturned) {
    namespace layout = device::nvmeQuery;
    namespace log = device::nvmeHealthLog;
    const auto field = [data](std::size_t at) { return count(readLe32(data + at)); };
    switch (nvmeLogFraming(data, bytesReturned)) {
        case NvmeLogFraming::ShortHeader:
            return unavailableHealth("the health log reply holds " + count(data ? bytesReturned : 0) +
                                     " bytes, fewer than its " + count(layout::expectedVersion) + "-byte header");
        case NvmeLogFraming::BadDescriptor:
            return unavailableHealth("the health log reply has descriptor version " + field(layout::version) +
                                     " and size " + field(layout::descriptorSize) + ", not " +
                                     count(layout::expectedVersion));
        case NvmeLogFraming::OffsetInDescriptor:
            return unavailableHealth("the health log offset " + field(layout::dataOffset) +
                                     " points into the descriptor");
        case NvmeLogFraming::ShortLog:
            return unavailableHealth("the health log is " + field(layout::dataLength) + " bytes, shorter than " +
                                     count(layout::logSize));
        case NvmeLogFraming::OutsideReply:
            return unavailableHealth("the health log at offset " + field(layout::dataOffset) + " lies outside the " +
                                     count(bytesReturned) + " bytes returned");
        case NvmeLogFraming::Whole: break;
    }

    const std::uint8_t* page = nvmeLogPage(data);
    DriveHealth health;
    health.source = HealthSource::NvmeLog;
    NvmeHealth& nvme = health.nvme;
    nvme.criticalWarning = page[log::criticalWarning];
    nvme.compositeKelvin = readLe16(page + log::compositeTemperature);
    nvme.compositeCelsius = plausibleTemperature(nvme.compositeKelvin - 273);
    nvme.availableSpare = page[log::availableSpare];
    nvme.availableSpareThreshold = page[log::availableSpareThreshold];
    nvme.percentageUsed = page[log::percentageUsed];
    nvme.dataUnitsRead = readCounter128(page + log::dataUnitsRead);
    nvme.dataUnitsWritten = readCounter128(page + log::dataUnitsWritten);
    nvme.powerCycles = readCounter128(page + log::powerCycles);
    nvme.powerOnHours = readCounter128(page + log::powerOnHours);
    nvme.unsafeShutdowns = readCounter128(page + log::unsafeShutdowns);
    nvme.mediaErrors = readCounter128(page + log::mediaErrors);
    nvme.errorLogEntries = readCounter128(page + log::errorLogEntries);
    return health;
}

TemperatureReading temperatureReading(const std::uint8_t* data, std::size_t bytesReturned) {
    namespace layout = device::temperatureQuery;
    TemperatureReading reading;
    if (data == nullptr || bytesReturned < layout::firstInfo) {
        reading.unavailableReason = "the temperature reply holds " + count(data ? bytesReturned : 0) +
                                    " bytes, fewer than its " + count(layout::firstInfo) + "-byte header";
        return reading;
    }
    const std::uint32_t version = readLe32(data + layout::version);
    const std::uint32_t size = readLe32(data + layout::descriptorSize);
    if (version != layout::expectedVersion) {
        reading.unavailableReason = "the temperature reply has descriptor version " + count(version) + ", not " +
                                    count(layout::expectedVersion);
        return reading;
    }
    if (size < layout::firstInfo) {
        reading.unavailableReason = "the temperature reply has descriptor size " + count(size) + ", smaller than its " +
                                    count(layout::firstInfo) + "-byte header";
        return reading;
    }
    reading.available = true;
    reading.critical = signedDegrees(data + layout::criticalTemperature);
    reading.warning = signedDegrees(data + layout::warningTemperature);
    // The first sensor entry, if the descriptor counts one and it lies inside both its own
    // size and the bytes returned.
    const std::size_t end = std::min<std::size_t>(size, bytesReturned);
    if (readLe16(data + layout::infoCount) > 0 && layout::firstInfo + layout::infoSize <= end)
        reading.current = signedDegrees(data + layout::firstInfo + layout::infoTemperature);
    return reading;
}

const std::array<WarningBit, 6> criticalWarningBits = {{
    {0, "spare below threshold"},
    {1, "temperature"},
    {2, "reliability degraded"},
    {3, "read-only"},
    {4, "volatile memory backup failed"},
    {5, "persistent memory read-only"},
}};

std::vector<WarningBit> criticalWarnings(std::uint8_t criticalWarning) {
    std::vector<WarningBit> set;
    for (const WarningBit& known : criticalWarningBits)
        if (criticalWarning & (1u << known.bit)) set.push_back(known);
    if (criticalWarning & 0x40) set.push_back({6, "reserved bit 6"});
    if (criticalWarning & 0x80) set.push_back({7, "reserved bit 7"});
    return set;
}

std::string attributeTitle(const AtaAttribute& attribute) {
    std::string title = std::to_string(attribute.id);
    if (!attribute.name.empty()) title.append(" ").append(attribute.name);
    return title;
}

bool isHealthCritical(const DriveHealth& health) {
    switch (health.source) {
        case HealthSource::AtaSmart:
            return std::any_of(health.attributes.begin(), health.attributes.end(),
                               [](const AtaAttribute& attribute) { return attribute.failingNow; });
        case HealthSource::NvmeLog: return health.nvme.criticalWarning != 0;
        case HealthSource::None: break;
    }
    return false;
}

std::optional<int> driveTemperature(const DriveHealth& health) {
    if (health.source == HealthSource::AtaSmart && health.ataTemperatureCelsius) return health.ataTemperatureCelsius;
    if (health.source == HealthSource::NvmeLog && health.nvme.compositeCelsius) return health.nvme.compositeCelsius;
    if (health.temperature.current) return *health.temperature.current;
    return std::nullopt;
}

}  // namespace kestrine
