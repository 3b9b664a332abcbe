#include "probe/health_probe.h"

#include <cstddef>
#include <optional>
#include <string>

#include "probe/device_request.h"
#include "probe/drive_probe.h"
#include "probe/health_layouts.h"
#include "probe/health_log_verdict.h"
#include "probe/nvme_log.h"

namespace kestrine {

namespace {

bool identityCurrent(const DriveRecord& record) { return hasDetails(record) && record.identityError == 0; }

std::string noSourceReason(const DriveRecord& record) {
    if (!identityCurrent(record)) return "the drive's identity could not be read, so its kind is unknown";
    if (record.busType == busRaid) return "the RAID driver does not take SMART commands";
    return "bus type " + std::to_string(record.busType) + " (" + record.busTypeText +
           ") carries neither ATA SMART data nor an NVMe health log";
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

// The attribute table, and its thresholds when the table could be read.
DriveHealth readAtaHealth(OpenDevice& drive, std::int32_t driveNumber) {
    device::SmartReadReply data{};
    const ControlResult answer = readSmartSector(drive, driveNumber, device::smartRead::readAttributes, data);
    if (answer.error != 0) return unavailableHealth(smartRefusedReason(answer.error));
    DriveHealth health = ataHealth(data.data(), answer.bytesReturned);
    if (health.source != HealthSource::AtaSmart) return health;
    device::SmartReadReply thresholds{};
    const ControlResult thresholdAnswer =
        readSmartSector(drive, driveNumber, device::smartRead::readThresholds, thresholds);
    if (thresholdAnswer.error != 0)
        health.thresholdsUnavailableReason = smartRefusedReason(thresholdAnswer.error);
    else
        applyAtaThresholds(health, thresholds.data(), thresholdAnswer.bytesReturned);
    return health;
}

DriveHealth readNvmeHealth(OpenDevice& drive) {
    device::NvmeHealthQuery reply{};
    const ControlResult answer = requestNvmeLog(drive, reply);
    if (answer.error != 0) return unavailableHealth(requestFailedReason(answer.error));
    return nvmeHealth(reply.data(), answer.bytesReturned);
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
    OpenDevice& drive = *opened.device;
    DriveHealth health;
    switch (healthSourceFor(record)) {
        case HealthSource::AtaSmart: health = readAtaHealth(drive, record.driveNumber); break;
        case HealthSource::NvmeLog: health = readNvmeHealth(drive); break;
        case HealthSource::None: health.unavailableReason = noSourceReason(record); break;
    }
    health.temperature = readTemperature(drive);
    return health;
}

HealthTable probeAllHealth(const DriveTable& table, DevicePort& port) {
    HealthTable health;
    for (std::size_t number = 0; number < table.size(); ++number)
        if (isListed(table[number])) health[number] = probeHealth(table[number], port);
    return health;
}

void noteHealthLog(DriveRecord& record, const DriveHealth& health) {
    if (!smartFromHealthLog(record)) return;
    noteHealthLog(record,
                  health.source == HealthSource::NvmeLog ? std::optional(health.nvme.criticalWarning) : std::nullopt);
}

void noteHealthLogs(DriveTable& table, const HealthTable& health) {
    for (std::size_t number = 0; number < table.size(); ++number)
        if (isListed(table[number])) noteHealthLog(table[number], health[number]);
}

void readAllHealth(DriveTable& drives, HealthTable& health, DevicePort& devices) {
    health = probeAllHealth(drives, devices);
    noteHealthLogs(drives, health);
}

}  // namespace kestrine
