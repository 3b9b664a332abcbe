#include "probe/drive_probe.h"

#include <array>
#include <charconv>
#include <cstddef>

#include "probe/device_layouts.h"
#include "probe/device_request.h"
#include "probe/drive_texts.h"
#include "probe/little_endian.h"

namespace kestrine {

// Every refresh opens each drive three times.
std::string devicePath(std::int32_t driveNumber) {
    char digits[12];
    const char* end = std::to_chars(digits, digits + sizeof digits, driveNumber).ptr;
    return joined({"\\\\.\\PhysicalDrive", std::string_view(digits, static_cast<std::size_t>(end - digits))});
}

std::optional<int> physicalDriveNumber(const std::string& path) {
    const std::string prefix = devicePath(0).substr(0, devicePath(0).size() - 1);
    if (!path.starts_with(prefix)) return std::nullopt;
    int number = 0;
    const char* digits = path.data() + prefix.size();
    const char* end = path.data() + path.size();
    const auto [stop, problem] = std::from_chars(digits, end, number);
    if (problem != std::errc() || stop != end || number < 0 || devicePath(number) != path) return std::nullopt;
    return number;
}

namespace {

// Replaces the identity block as a whole from a descriptor the driver filled in.
void storeIdentity(DriveRecord& record, const device::DescriptorBuffer& descriptor) {
    namespace layout = device::deviceDescriptor;
    record.removable = descriptor[layout::removableMedia] == 1;
    record.vendor = trimBlanks(device::descriptorString(descriptor, layout::vendorIdOffset));
    record.product = trimBlanks(device::descriptorString(descriptor, layout::productIdOffset));
    record.serial = decodeSerial(device::descriptorString(descriptor, layout::serialNumberOffset));
    record.busType = readLe32(descriptor.data() + layout::busType);
    record.busTypeText = busTypeName(record.busType);
    record.displayName = composeDisplayName(record.vendor, record.product);
}

void queryIdentity(DriveRecord& record, OpenDevice& drive) {
    const device::PropertyQuery query = device::makePropertyQuery();
    device::DescriptorBuffer descriptor{};
    const std::uint32_t error =
        request(drive, device::ioctlStorageQueryProperty, descriptor, query.data(), device::propertyQuery::size).error;
    if (error != 0) {
        record.identityError = error;
        return;
    }
    storeIdentity(record, descriptor);
    record.present = true;
    record.probed = true;
    record.identityValid = true;
    record.identityError = 0;
}

void querySmartVersion(DriveRecord& record, OpenDevice& drive) {
    device::VersionReply reply{};
    const std::uint32_t error = request(drive, device::smartGetVersion, reply).error;
    record.versionError = error;
    record.smartCapable = error == 0 && device::isSmartCapable(reply);
}

void queryPredictFailure(DriveRecord& record, OpenDevice& drive) {
    device::PredictFailureReply reply{};
    // A failing request leaves no error code behind: the state simply reads "no data".
    const bool answered = request(drive, device::ioctlStoragePredictFailure, reply).error == 0;
    record.predictQueried = answered;
    record.predictOk = answered && !device::isFailurePredicted(reply);
}

void querySmartStatus(DriveRecord& record, OpenDevice& drive) {
    const device::SmartCommand command = device::makeSmartStatusCommand(record.driveNumber);
    // Zero-filled, so a driver that answers without writing the registers reads as no threshold.
    device::SmartReply reply{};
    const std::uint32_t error =
        request(drive, device::smartSendDriveCommand, reply, command.data(), device::smartCommand::size).error;
    record.statusError = error;
    record.thresholdExceeded = error == 0 && device::isThresholdExceeded(reply);
}

}  // namespace

OpenResult openDrive(std::int32_t driveNumber, DevicePort& port) {
    // The table's paths are made once: every refresh opens each drive three times.
    static const std::array<std::string, driveTableSize> tablePaths = [] {
        std::array<std::string, driveTableSize> paths;
        for (std::int32_t number = 0; number < driveTableSize; ++number) paths[number] = devicePath(number);
        return paths;
    }();
    std::string otherPath;
    const std::string& path = driveNumber >= 0 && driveNumber < driveTableSize
                                  ? tablePaths[static_cast<std::size_t>(driveNumber)]
                                  : (otherPath = devicePath(driveNumber));
    OpenResult opened = port.open(path, DeviceAccess::ReadWrite);
    if (!opened.device && opened.error == errorAccessDenied) opened = port.open(path, DeviceAccess::None);
    return opened;
}

bool probeIdentity(DriveRecord& record, DevicePort& port) {
    const OpenResult opened = openDrive(record.driveNumber, port);
    if (!opened.device) {
        const bool exists = opened.error != errorFileNotFound;
        record.probed = true;
        record.present = exists;
        record.identityValid = false;
        return exists;
    }
    queryIdentity(record, *opened.device);
    querySmartVersion(record, *opened.device);
    return true;
}

bool probeFailureStatus(DriveRecord& record, DevicePort& port) {
    const OpenResult opened = openDrive(record.driveNumber, port);
    if (!opened.device) return false;
    queryPredictFailure(record, *opened.device);
    if (smartUsable(record)) querySmartStatus(record, *opened.device);
    return true;
}

void probeAllDrives(DriveTable& table, DevicePort& port) {
    for (std::int32_t number = 0; number < driveTableSize; ++number) {
        DriveRecord& record = table[static_cast<std::size_t>(number)];
        if (!record.probed) record.driveNumber = number;
        // Each pass closes its device before returning, so the two never overlap.
        if (probeIdentity(record, port)) probeFailureStatus(record, port);
    }
}

}  // namespace kestrine
