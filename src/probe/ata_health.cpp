#include "probe/ata_health.h"

#include <algorithm>
#include <utility>

#include "probe/attribute_names.h"
#include "probe/device_request.h"
#include "probe/drive_health.h"
#include "probe/drive_probe.h"
#include "probe/drive_record.h"
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

void decodeCommonRawValues(AtaHealth& health) {
    health.temperatureCelsius = temperatureOf(health.attributes);
    if (const AtaAttribute* hours = firstWithId(health.attributes, 9); hours && low32(hours->raw) <= maxPowerOnHours)
        health.powerOnHours = low32(hours->raw);
    for (const AtaCount& count : ataCounts) health.*count.value = countOf(health.attributes, count.id);
}

// At or below the threshold, when both carry a judgement.
bool reachedThreshold(std::uint8_t value, std::uint8_t threshold) {
    return isJudgeable(value) && isJudgeable(threshold) && value <= threshold;
}

// SMART reads need read access to the drive, which only an administrator gets.
std::string smartRefusedReason(std::uint32_t error) {
    if (error == errorAccessDenied)
        return "reading SMART data needs administrator rights (the request was refused with error 5)";
    return requestFailedReason(error);
}

ControlResult readSmartSector(OpenDevice& drive, std::int32_t driveNumber, std::uint8_t feature,
                              device::SmartReadReply& reply) {
    const device::SmartCommand command = device::makeSmartReadCommand(driveNumber, feature);
    return request(drive, device::smartRcvDriveData, reply, command.data(), device::smartRead::inputSize);
}

std::vector<std::string> attributeTitles(const AtaHealth& health, bool AtaAttribute::*flag) {
    std::vector<std::string> titles;
    for (const AtaAttribute& attribute : health.attributes)
        if (attribute.*flag) titles.push_back(attributeTitle(attribute));
    return titles;
}

}  // namespace

const std::array<AtaCount, 4> ataCounts = {{
    {5, &AtaHealth::reallocatedSectors, "reallocated", "reallocated sectors", "reallocatedSectors",
     "reallocated_sectors"},
    {197, &AtaHealth::pendingSectors, "pending", "pending sectors", "pendingSectors", "pending_sectors"},
    {198, &AtaHealth::uncorrectableSectors, "uncorrectable", "uncorrectable sectors", "uncorrectableSectors",
     "uncorrectable_sectors"},
    {187, &AtaHealth::reportedUncorrectableErrors, "reported uncorrectable", "reported uncorrectable errors",
     "reportedUncorrectableErrors", "reported_uncorrectable_errors"},
}};

bool isJudgeable(std::uint8_t normalised) { return normalised >= 1 && normalised <= 253; }

DriveHealth ataHealth(const std::uint8_t* data, std::size_t bytesReturned) {
    if (std::string problem = smartReadProblem("data", data, bytesReturned); !problem.empty())
        return unavailableHealth(std::move(problem));
    return ataHealthOfSector(data + device::smartRead::sector);
}

void applyAtaThresholds(DriveHealth& health, const std::uint8_t* data, std::size_t bytesReturned) {
    if (health.source != HealthSource::AtaSmart) return;
    health.ata.thresholdsUnavailableReason = smartReadProblem("thresholds", data, bytesReturned);
    if (health.ata.thresholdsUnavailableReason.empty())
        applyAtaThresholdSector(health.ata, data + device::smartRead::sector);
}

DriveHealth ataHealthOfSector(const std::uint8_t* sector) {
    DriveHealth health;
    std::size_t used = 0;
    for (std::size_t index = 0; index < device::smartSector::entryCount; ++index)
        used += entryAt(sector, index)[device::smartSector::id] != 0 ? 1 : 0;
    health.ata.attributes.reserve(used);
    for (std::size_t index = 0; index < device::smartSector::entryCount; ++index) {
        const std::uint8_t* entry = entryAt(sector, index);
        if (entry[device::smartSector::id] != 0) health.ata.attributes.push_back(attributeFrom(entry));
    }
    if (health.ata.attributes.empty()) return unavailableHealth("the SMART data holds no attribute");
    health.source = HealthSource::AtaSmart;
    decodeCommonRawValues(health.ata);
    return health;
}

void applyAtaThresholdSector(AtaHealth& ata, const std::uint8_t* sector) {
    // Each id's first entry plus one, so that each attribute finds its threshold in one step.
    std::array<std::uint8_t, 256> firstEntry{};
    for (std::size_t index = device::smartSector::entryCount; index > 0; --index)
        firstEntry[entryAt(sector, index - 1)[device::smartSector::id]] = static_cast<std::uint8_t>(index);
    for (AtaAttribute& attribute : ata.attributes) {
        if (const std::uint8_t place = firstEntry[attribute.id]; place != 0) {
            attribute.threshold = entryAt(sector, place - 1u)[device::smartSector::threshold];
            attribute.hasThreshold = true;
        }
        attribute.failingNow = attribute.preFailure && reachedThreshold(attribute.current, attribute.threshold);
        attribute.failedInPast = attribute.preFailure && reachedThreshold(attribute.worst, attribute.threshold);
    }
}

DriveHealth readAtaHealth(OpenDevice& drive, const DriveRecord& record) {
    device::SmartReadReply data{};
    const ControlResult answer = readSmartSector(drive, record.driveNumber, device::smartRead::readAttributes, data);
    if (answer.error != 0) return unavailableHealth(smartRefusedReason(answer.error));
    DriveHealth health = ataHealth(data.data(), answer.bytesReturned);
    if (health.source != HealthSource::AtaSmart) return health;
    device::SmartReadReply thresholds{};
    const ControlResult thresholdAnswer =
        readSmartSector(drive, record.driveNumber, device::smartRead::readThresholds, thresholds);
    if (thresholdAnswer.error != 0)
        health.ata.thresholdsUnavailableReason = smartRefusedReason(thresholdAnswer.error);
    else
        applyAtaThresholds(health, thresholds.data(), thresholdAnswer.bytesReturned);
    return health;
}

std::string attributeTitle(const AtaAttribute& attribute) {
    std::string title = std::to_string(attribute.id);
    if (!attribute.name.empty()) title.append(" ").append(attribute.name);
    return title;
}

bool hasFailingAttribute(const AtaHealth& health) {
    return std::any_of(health.attributes.begin(), health.attributes.end(),
                       [](const AtaAttribute& attribute) { return attribute.failingNow; });
}

std::string failingAttributesProblem(const AtaHealth& health) {
    return listedReason("SMART attribute failing now", "SMART attributes failing now",
                        attributeTitles(health, &AtaAttribute::failingNow));
}

std::vector<std::string> ataCautionReasons(const AtaHealth& health, const CautionJudgement& judgement) {
    std::vector<std::string> reasons;
    for (const AtaCount& count : ataCounts)
        if (const std::optional<std::uint32_t> value = health.*count.value; value && *value > 0)
            if (std::optional<std::string> reason =
                    cautionCountReason(count.noun, std::to_string(*value), count.key, judgement))
                reasons.push_back(std::move(*reason));
    // The past failures nobody accepted yet.
    const std::optional<PastFailureJudgement>& past = judgement.pastFailures;
    std::vector<std::string> titles;
    for (const AtaAttribute& attribute : health.attributes)
        if (attribute.failedInPast && (!past || past->unaccepted.count(attribute.id) != 0))
            titles.push_back(attributeTitle(attribute));
    if (!titles.empty())
        reasons.push_back(
            listedReason("SMART attribute failed in the past", "SMART attributes failed in the past", titles));
    return reasons;
}

}  // namespace kestrine
