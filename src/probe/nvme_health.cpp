#include "probe/nvme_health.h"

#include "probe/drive_health.h"
#include "probe/health_layouts.h"
#include "probe/little_endian.h"
#include "probe/nvme_log.h"

namespace kestrine {

namespace {

std::string count(std::size_t value) { return std::to_string(value); }

}  // namespace

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

DriveHealth readNvmeHealth(OpenDevice& drive, const DriveRecord&) {
    device::NvmeHealthQuery reply{};
    const ControlResult answer = requestNvmeLog(drive, reply);
    if (answer.error != 0) return unavailableHealth(requestFailedReason(answer.error));
    return nvmeHealth(reply.data(), answer.bytesReturned);
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

bool hasCriticalWarning(const NvmeHealth& health) { return health.criticalWarning != 0; }

std::string criticalWarningProblem(const NvmeHealth& health) {
    std::vector<std::string> bits;
    for (const WarningBit& bit : criticalWarnings(health.criticalWarning)) bits.emplace_back(bit.name);
    return listedReason("NVMe critical warning", "NVMe critical warning", bits);
}

std::vector<std::string> nvmeCautionReasons(const NvmeHealth& health, const CautionJudgement& judgement) {
    std::vector<std::string> reasons;
    if (health.mediaErrors != Counter128{})
        if (std::optional<std::string> reason =
                cautionCountReason("NVMe media and data integrity errors", decimalText(health.mediaErrors),
                                   cautionCountName(CautionCount::MediaErrors), judgement))
            reasons.push_back(std::move(*reason));
    if (health.percentageUsed >= 100)
        reasons.push_back("NVMe percentage used: " + std::to_string(health.percentageUsed) + " %");
    return reasons;
}

}  // namespace kestrine
