#include "probe/health_log_verdict.h"

#include <cstddef>
#include <optional>

#include "probe/drive_probe.h"
#include "probe/nvme_log.h"

namespace kestrine {

namespace {

void noteLog(DriveRecord& record, std::optional<std::uint8_t> criticalWarning) {
    record.healthLogRead = criticalWarning.has_value();
    record.criticalWarning = criticalWarning.value_or(0);
}

}  // namespace

void probeHealthLogs(DriveTable& table, DevicePort& port) {
    for (DriveRecord& record : table) {
        if (!isListed(record) || !smartFromHealthLog(record)) continue;
        const OpenResult opened = openDrive(record.driveNumber, port);
        if (!opened.device) continue;
        device::NvmeHealthQuery reply{};
        const ControlResult answer = requestNvmeLog(*opened.device, reply);
        noteLog(record, answer.error == 0 ? nvmeCriticalWarning(reply.data(), answer.bytesReturned) : std::nullopt);
    }
}

void noteHealthLog(DriveRecord& record, const DriveHealth& health) {
    if (!smartFromHealthLog(record)) return;
    noteLog(record, health.source == HealthSource::NvmeLog ? std::optional(health.nvme.criticalWarning) : std::nullopt);
}

void noteHealthLogs(DriveTable& table, const HealthTable& health) {
    for (std::size_t number = 0; number < table.size(); ++number)
        if (isListed(table[number])) noteHealthLog(table[number], health[number]);
}

}  // namespace kestrine
