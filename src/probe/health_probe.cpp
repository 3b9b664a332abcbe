#include "probe/health_probe.h"

#include <string>

#include "probe/device_request.h"
#include "probe/drive_probe.h"
#include "probe/health_layouts.h"
#include "probe/sat_health.h"

namespace kestrine {

namespace {

bool identityCurrent(const DriveRecord& record) { return hasDetails(record) && record.identityError == 0; }

std::string noSourceReason(const DriveRecord& record) {
    if (!identityCurrent(record)) return "the drive's identity could not be read, so its kind is unknown";
    if (nvmeBehindUsbBridge(record)) return "NVMe behind a USB bridge: not read";
    if (translatingBus(record.busType) && record.versionError == errorAccessDenied)
        return "reading SMART data through the bridge needs administrator rights (the request was refused with error "
               "5)";
    return "bus type " + std::to_string(record.busType) + " (" + record.busTypeText +
           ") carries neither ATA SMART data nor an NVMe health log";
}

// The reader of each health source: a new protocol is a new row.
struct HealthReader {
    HealthSource source;
    DriveHealth (*read)(OpenDevice& drive, const DriveRecord& record);
};

const HealthReader healthReaders[] = {
    {HealthSource::AtaSmart, readAtaHealth},
    {HealthSource::NvmeLog, readNvmeHealth},
    {HealthSource::SatSmart, readBridgeHealth},
};

DriveHealth readSourceHealth(OpenDevice& drive, const DriveRecord& record) {
    const HealthSource source = healthSourceFor(record);
    for (const HealthReader& reader : healthReaders)
        if (reader.source == source) return reader.read(drive, record);
    return unavailableHealth(noSourceReason(record));
}

TemperatureReading readTemperature(OpenDevice& drive) {
    const device::PropertyQuery query = device::makeTemperatureQuery();
    device::TemperatureReply reply{};
    const ControlResult answer =
        request(drive, device::ioctlStorageQueryProperty, reply, query.data(), device::propertyQuery::size);
    if (answer.error == 0) return temperatureReading(reply.data(), answer.bytesReturned);
    TemperatureReading reading;
    reading.unavailableReason = requestFailedReason(answer.error);
    return reading;
}

}  // namespace

HealthSource healthSourceFor(const DriveRecord& record) {
    if (!identityCurrent(record)) return HealthSource::None;
    if (smartThroughBridge(record)) return HealthSource::SatSmart;
    switch (record.busType) {
        case busAta:
        case busSata: return HealthSource::AtaSmart;
        case busRaid: return smartUsable(record) ? HealthSource::AtaSmart : HealthSource::None;
        case busNvme: return HealthSource::NvmeLog;
        default: return HealthSource::None;
    }
}

DriveHealth probeHealth(const DriveRecord& record, DevicePort& port) {
    const OpenResult opened = openDrive(record.driveNumber, port);
    if (!opened.device) {
        DriveHealth health =
            unavailableHealth("the drive could not be opened (error " + std::to_string(opened.error) + ")");
        health.temperature.unavailableReason = health.unavailableReason;
        return health;
    }
    DriveHealth health = readSourceHealth(*opened.device, record);
    health.temperature = readTemperature(*opened.device);
    return health;
}

HealthTable probeAllHealth(const DriveTable& table, DevicePort& port) {
    HealthTable health;
    for (std::size_t number = 0; number < table.size(); ++number)
        if (isListed(table[number])) health[number] = probeHealth(table[number], port);
    return health;
}

void readAllHealth(const DriveTable& drives, HealthTable& health, DevicePort& devices) {
    health = probeAllHealth(drives, devices);
}

}  // namespace kestrine
