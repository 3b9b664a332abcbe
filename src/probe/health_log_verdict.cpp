#include "probe/health_log_verdict.h"

#include "probe/drive_probe.h"
#include "probe/nvme_log.h"

namespace kestrine {

void noteHealthLog(DriveRecord& record, std::optional<std::uint8_t> criticalWarning) {
    record.healthLogRead = criticalWarning.has_value();
    record.criticalWarning = criticalWarning.value_or(0);
}

void probeHealthLogs(DriveTable& table, DevicePort& port) {
    for (DriveRecord& record : table) {
        if (!isListed(record) || !smartFromHealthLog(record)) continue;
        const OpenResult opened = openDrive(record.driveNumber, port);
        if (!opened.device) continue;
        device::NvmeHealthQuery reply{};
        const ControlResult answer = requestNvmeLog(*opened.device, reply);
        noteHealthLog(record,
                      answer.error == 0 ? nvmeCriticalWarning(reply.data(), answer.bytesReturned) : std::nullopt);
    }
}

void readHealthLogs(DriveTable& drives, HealthTable&, DevicePort& devices) { probeHealthLogs(drives, devices); }

}  // namespace kestrine
