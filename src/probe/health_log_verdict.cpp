#include "probe/health_log_verdict.h"

#include "probe/drive_probe.h"
#include "probe/sat_health.h"

namespace kestrine {

void probeHealthLogs(const DriveTable& table, HealthTable& health, DevicePort& port) {
    for (std::size_t number = 0; number < table.size(); ++number) {
        const DriveRecord& record = table[number];
        if (!isListed(record) || !smartFromHealth(record)) {
            health[number] = {};
            continue;
        }
        const OpenResult opened = openDrive(record.driveNumber, port);
        if (!opened.device) continue;
        health[number] = smartFromHealthLog(record) ? readNvmeHealth(*opened.device, record)
                                                    : readBridgeStatus(*opened.device, record);
    }
}

}  // namespace kestrine
