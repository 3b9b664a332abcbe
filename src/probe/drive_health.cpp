#include "probe/drive_health.h"

#include <algorithm>
#include <utility>

#include "probe/attribute_names.h"
#include "probe/health_layouts.h"
#include "probe/little_endian.h"

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

void decodeCommonRawValues(DriveHealth& health) {
    const AtaAttribute* temperature = firstWithId(health.attributes, 194);
    if (temperature == nullptr) temperature = firstWithId(health.attributes, 190);
    if (temperature != nullptr) health.ataTemperatureCelsius = static_cast<int>(temperature->raw & 0xFF);
    if (const AtaAttribute* hours = firstWithId(health.attributes, 9))
        health.ataPowerOnHours = static_cast<std::uint32_t>(hours->raw & 0xFFFFFFFF);
}

}  // namespace

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
        attribute.failingNow =
            attribute.preFailure && attribute.threshold != 0 && attribute.current <= attribute.threshold;
    }
}

DriveHealth nvmeHealth(const std::uint8_t* data, std::size_t bytesReturned) {
    namespace layout = device::nvmeQuery;
    namespace log = device::nvmeHealthLog;
    if (data == nullptr || bytesReturned < layout::expectedVersion)
        return unavailableHealth("the health log reply holds " + count(data ? bytesReturned : 0) +
                                 " bytes, fewer than its " + count(layout::expectedVersion) + "-byte header");
    const std::uint32_t version = readLe32(data + layout::version);
    const std::uint32_t size = readLe32(data + layout::descriptorSize);
    if (version != layout::expectedVersion || size != layout::expectedVersion)
        return unavailableHealth("the health log reply has descriptor version " + count(version) + " and size " +
                                 count(size) + ", not " + count(layout::expectedVersion));
    const std::uint32_t offset = readLe32(data + layout::dataOffset);
    const std::uint32_t length = readLe32(data + layout::dataLength);
    if (offset < layout::protocolDataSize)
        return unavailableHealth("the health log offset " + count(offset) + " points into the descriptor");
    if (length < layout::logSize)
        return unavailableHealth("the health log is " + count(length) + " bytes, shorter than " +
                                 count(layout::logSize));
    // In 64 bits, so that no offset a driver writes can wrap around.
    const std::uint64_t logEnd = std::uint64_t{layout::protocolData} + offset + layout::logSize;
    if (logEnd > bytesReturned)
        return unavailableHealth("the health log at offset " + count(offset) + " lies outside the " +
                                 count(bytesReturned) + " bytes returned");

    const std::uint8_t* page = data + layout::protocolData + offset;
    DriveHealth health;
    health.source = HealthSource::NvmeLog;
    NvmeHealth& nvme = health.nvme;
    nvme.criticalWarning = page[log::criticalWarning];
    nvme.compositeKelvin = readLe16(page + log::compositeTemperature);
    if (nvme.compositeKelvin != 0) nvme.compositeCelsius = nvme.compositeKelvin - 273;
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
    reading.critical = static_cast<std::int16_t>(readLe16(data + layout::criticalTemperature));
    reading.warning = static_cast<std::int16_t>(readLe16(data + layout::warningTemperature));
    // The first sensor entry, if the descriptor counts one and it lies inside both its own
    // size and the bytes returned.
    const std::size_t end = std::min<std::size_t>(size, bytesReturned);
    if (readLe16(data + layout::infoCount) > 0 && layout::firstInfo + layout::infoSize <= end)
        reading.current = static_cast<std::int16_t>(readLe16(data + layout::firstInfo + layout::infoTemperature));
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
