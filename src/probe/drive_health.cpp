#include "probe/drive_health.h"

#include <algorithm>
#include <utility>

#include "probe/health_layouts.h"
#include "probe/little_endian.h"

namespace kestrine {

namespace {

std::string count(std::size_t value) { return std::to_string(value); }

std::optional<int> signedDegrees(const std::uint8_t* field) {
    return plausibleTemperature(static_cast<std::int16_t>(readLe16(field)));
}

// What the verdict asks of one protocol's record: a new protocol is a new row.
struct HealthProtocol {
    HealthSource source;
    std::string_view name;
    bool (*critical)(const DriveHealth&);
    std::string (*problem)(const DriveHealth&);
    std::vector<std::string> (*cautions)(const DriveHealth&, const CautionJudgement&);
    std::optional<int> (*temperature)(const DriveHealth&);
};

// An ATA drive's table is judged alike however it was read.
bool ataCritical(const DriveHealth& h) { return hasFailingAttribute(h.ata); }
std::string ataProblem(const DriveHealth& h) { return failingAttributesProblem(h.ata); }
std::vector<std::string> ataCautions(const DriveHealth& h, const CautionJudgement& j) {
    return ataCautionReasons(h.ata, j);
}
std::optional<int> ataTemperature(const DriveHealth& h) { return h.ata.temperatureCelsius; }

const HealthProtocol healthProtocols[] = {
    {HealthSource::AtaSmart, "ata_smart", ataCritical, ataProblem, ataCautions, ataTemperature},
    {HealthSource::NvmeLog, "nvme_log", [](const DriveHealth& h) { return hasCriticalWarning(h.nvme); },
     [](const DriveHealth& h) { return criticalWarningProblem(h.nvme); },
     [](const DriveHealth& h, const CautionJudgement& j) { return nvmeCautionReasons(h.nvme, j); },
     [](const DriveHealth& h) { return h.nvme.compositeCelsius; }},
    {HealthSource::SatSmart, "sat_smart", ataCritical, ataProblem, ataCautions, ataTemperature},
};

// The row of the health's source; none for a health with no source.
const HealthProtocol* protocolOf(HealthSource source) {
    for (const HealthProtocol& protocol : healthProtocols)
        if (protocol.source == source) return &protocol;
    return nullptr;
}

}  // namespace

std::optional<int> plausibleTemperature(int degrees) {
    if (degrees < lowestTemperature || degrees > highestTemperature) return std::nullopt;
    return degrees;
}

std::string_view healthSourceName(HealthSource source) {
    const HealthProtocol* protocol = protocolOf(source);
    return protocol ? protocol->name : "none";
}

std::string requestFailedReason(std::uint32_t error) {
    return "the driver refused the request with error " + std::to_string(error);
}

DriveHealth unavailableHealth(std::string reason) {
    DriveHealth health;
    health.unavailableReason = std::move(reason);
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

std::string listedReason(std::string_view one, std::string_view several, const std::vector<std::string>& items) {
    std::string text(items.size() == 1 ? one : several);
    for (std::size_t i = 0; i < items.size(); ++i) text += (i == 0 ? ": " : ", ") + items[i];
    return text;
}

bool hasAtaTable(const DriveHealth& health) {
    return health.source == HealthSource::AtaSmart || health.source == HealthSource::SatSmart;
}

bool isHealthCritical(const DriveHealth& health) {
    const HealthProtocol* protocol = protocolOf(health.source);
    return protocol && protocol->critical(health);
}

std::string healthProblem(const DriveHealth& health) {
    const HealthProtocol* protocol = protocolOf(health.source);
    return protocol ? protocol->problem(health) : std::string();
}

std::vector<std::string> healthCautionReasons(const DriveHealth& health, const CautionJudgement& judgement) {
    const HealthProtocol* protocol = protocolOf(health.source);
    return protocol ? protocol->cautions(health, judgement) : std::vector<std::string>();
}

std::optional<std::string> cautionCountReason(std::string_view noun, const std::string& value, std::string_view name,
                                              const CautionJudgement& judgement) {
    const auto judged = std::find_if(judgement.counts.begin(), judgement.counts.end(),
                                     [name](const CountJudgement& count) { return count.name == name; });
    std::string reason = std::string(noun) + ": " + value;
    if (judged == judgement.counts.end() || judged->state == CautionState::New) return reason;
    if (judged->state == CautionState::Accepted) return std::nullopt;
    return reason + ", " + std::to_string(judged->accepted->value) + " accepted";
}

std::optional<int> driveTemperature(const DriveHealth& health) {
    const HealthProtocol* protocol = protocolOf(health.source);
    if (const std::optional<int> own = protocol ? protocol->temperature(health) : std::nullopt) return own;
    return health.temperature.current;
}

}  // namespace kestrine
