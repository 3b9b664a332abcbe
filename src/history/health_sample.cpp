#include "history/health_sample.h"

#include <limits>

namespace kestrine {

namespace {

constexpr std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();

std::uint64_t cappedAt64Bits(Counter128 value) { return value.high != 0 ? largest : value.low; }

void takeAta(const AtaHealth& ata, HealthSample& sample) {
    // The ATA counts are the first caution counts, in their order.
    for (std::size_t index = 0; index < ataCounts.size(); ++index)
        if (const std::optional<std::uint32_t> value = ata.*ataCounts[index].value) sample.counts[index] = *value;
    for (const AtaAttribute& attribute : ata.attributes)
        if (attribute.failedInPast) sample.pastFailures.insert(attribute.id);
    sample.powerOnHours = ata.powerOnHours;
}

void takeNvme(const NvmeHealth& nvme, HealthSample& sample) {
    sample.counts[static_cast<std::size_t>(CautionCount::MediaErrors)] = cappedAt64Bits(nvme.mediaErrors);
    if (nvme.powerOnHours.high == 0 && nvme.powerOnHours.low <= std::numeric_limits<std::uint32_t>::max())
        sample.powerOnHours = static_cast<std::uint32_t>(nvme.powerOnHours.low);
    sample.percentageUsed = nvme.percentageUsed;
    sample.availableSpare = nvme.availableSpare;
}

}  // namespace

HealthSample healthSample(const DriveHealth& health, UtcSeconds time, SampleStatus status) {
    HealthSample sample;
    sample.time = time;
    sample.status = status;
    switch (health.source) {
        case HealthSource::AtaSmart:
        case HealthSource::SatSmart: takeAta(health.ata, sample); break;
        case HealthSource::NvmeLog: takeNvme(health.nvme, sample); break;
        case HealthSource::None: return sample;
    }
    if (const std::optional<int> degrees = driveTemperature(health))
        sample.temperature = static_cast<std::int16_t>(*degrees);
    return sample;
}

}  // namespace kestrine
