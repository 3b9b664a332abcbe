#pragma once
// The three health requests a drive may answer after its identity probe: the ATA SMART
// attribute and threshold sectors, the NVMe SMART / Health log page, and the storage
// temperature property. Codes, sizes and every field offset used (little-endian); the Windows
// build checks them against the SDK's structures where the SDK defines them.
#include <array>
#include <cstddef>
#include <cstdint>

#include "probe/device_layouts.h"

namespace kestrine::device {

inline constexpr std::uint32_t smartRcvDriveData = 0x0007C088;

// SMART READ DATA / READ THRESHOLDS: a SENDCMDINPARAMS of the status command's layout, and a
// reply of SENDCMDOUTPARAMS without its one-byte bBuffer (16 bytes) followed by one sector.
namespace smartRead {
inline constexpr std::uint8_t readAttributes = 0xD0;
inline constexpr std::uint8_t readThresholds = 0xD1;
inline constexpr std::size_t sectorSize = 512;
inline constexpr std::size_t inputSize = smartCommand::size;
inline constexpr std::size_t driverError = 4;  // DRIVERSTATUS.bDriverError
inline constexpr std::size_t ideError = 5;     // DRIVERSTATUS.bIDEError
inline constexpr std::size_t sector = smartReply::registers;
inline constexpr std::size_t replySize = sector + sectorSize;
}  // namespace smartRead

// The attribute and threshold sectors: a 2-byte revision, then 30 entries of 12 bytes.
namespace smartSector {
inline constexpr std::size_t firstEntry = 2;
inline constexpr std::size_t entrySize = 12;
inline constexpr std::size_t entryCount = 30;
inline constexpr std::size_t id = 0;
inline constexpr std::size_t flags = 1;  // two bytes; bit 0 marks a pre-failure attribute
inline constexpr std::size_t current = 3;
inline constexpr std::size_t worst = 4;
inline constexpr std::size_t raw = 5;  // six bytes
inline constexpr std::size_t rawSize = 6;
inline constexpr std::size_t threshold = 1;  // in a threshold entry
}  // namespace smartSector

// STORAGE_PROPERTY_QUERY for StorageDeviceProtocolSpecificProperty carrying a
// STORAGE_PROTOCOL_SPECIFIC_DATA, in one buffer that also holds the reply: the
// STORAGE_PROTOCOL_DATA_DESCRIPTOR (Version, Size, the same protocol data) and the log page
// behind it. ProtocolDataOffset counts from the start of the protocol data.
namespace nvmeQuery {
inline constexpr std::uint32_t protocolSpecificProperty = 50;  // StorageDeviceProtocolSpecificProperty
inline constexpr std::uint32_t protocolNvme = 3;               // ProtocolTypeNvme
inline constexpr std::uint32_t dataTypeLogPage = 2;            // NVMeDataTypeLogPage
inline constexpr std::uint32_t healthLogPage = 2;              // SMART / Health Information
inline constexpr std::size_t protocolData = 8;  // AdditionalParameters; in the reply, after Version and Size
inline constexpr std::size_t protocolDataSize = 40;
inline constexpr std::size_t protocolType = protocolData + 0;
inline constexpr std::size_t dataType = protocolData + 4;
inline constexpr std::size_t requestValue = protocolData + 8;
inline constexpr std::size_t dataOffset = protocolData + 16;
inline constexpr std::size_t dataLength = protocolData + 20;
inline constexpr std::size_t logSize = 512;
inline constexpr std::size_t size = protocolData + protocolDataSize + logSize;
// The reply's header: both its Version and its Size hold the descriptor's own size.
inline constexpr std::size_t version = 0;
inline constexpr std::size_t descriptorSize = 4;
inline constexpr std::uint32_t expectedVersion = protocolData + protocolDataSize;
}  // namespace nvmeQuery

// The NVMe SMART / Health Information log page.
namespace nvmeHealthLog {
inline constexpr std::size_t criticalWarning = 0;
inline constexpr std::size_t compositeTemperature = 1;  // two bytes, kelvin
inline constexpr std::size_t availableSpare = 3;
inline constexpr std::size_t availableSpareThreshold = 4;
inline constexpr std::size_t percentageUsed = 5;
inline constexpr std::size_t dataUnitsRead = 32;  // 16-byte counters from here on
inline constexpr std::size_t dataUnitsWritten = 48;
inline constexpr std::size_t powerCycles = 112;
inline constexpr std::size_t powerOnHours = 128;
inline constexpr std::size_t unsafeShutdowns = 144;
inline constexpr std::size_t mediaErrors = 160;
inline constexpr std::size_t errorLogEntries = 176;
inline constexpr std::size_t counterSize = 16;
}  // namespace nvmeHealthLog

// STORAGE_PROPERTY_QUERY for StorageDeviceTemperatureProperty (the 12-byte query of the
// identity probe with another property id), answered by a STORAGE_TEMPERATURE_DATA_DESCRIPTOR
// whose STORAGE_TEMPERATURE_INFO entries (16 bytes each) follow a 24-byte header.
namespace temperatureQuery {
inline constexpr std::uint32_t temperatureProperty = 52;  // StorageDeviceTemperatureProperty
inline constexpr std::size_t bufferSize = 512;
inline constexpr std::size_t version = 0;
inline constexpr std::size_t descriptorSize = 4;
inline constexpr std::size_t criticalTemperature = 8;  // signed, degrees Celsius
inline constexpr std::size_t warningTemperature = 10;
inline constexpr std::size_t infoCount = 12;
inline constexpr std::size_t firstInfo = 24;
inline constexpr std::size_t infoSize = 16;
inline constexpr std::size_t infoTemperature = 2;  // in an entry, signed, degrees Celsius
// The descriptor's Version holds its own size, one entry included.
inline constexpr std::uint32_t expectedVersion = firstInfo + infoSize;
}  // namespace temperatureQuery

using SmartReadReply = std::array<std::uint8_t, smartRead::replySize>;
using NvmeHealthQuery = std::array<std::uint8_t, nvmeQuery::size>;
using TemperatureReply = std::array<std::uint8_t, temperatureQuery::bufferSize>;

static_assert(sizeof(SmartReadReply) == 528);
static_assert(sizeof(NvmeHealthQuery) == 560);
static_assert(smartSector::firstEntry + smartSector::entryCount * smartSector::entrySize <= smartRead::sectorSize);
static_assert(smartSector::raw + smartSector::rawSize < smartSector::entrySize);
// FixedProtocolReturnData and three more sub-values end the protocol data after the length.
static_assert(nvmeQuery::dataLength + 4 + 4 + 12 == nvmeQuery::protocolData + nvmeQuery::protocolDataSize);
static_assert(nvmeHealthLog::errorLogEntries + nvmeHealthLog::counterSize <= nvmeQuery::logSize);
static_assert(temperatureQuery::criticalTemperature + 2 == temperatureQuery::warningTemperature);
static_assert(temperatureQuery::expectedVersion <= temperatureQuery::bufferSize);

// SMART READ DATA (`readAttributes`) or READ THRESHOLDS (`readThresholds`) for the drive
// numbered `driveNumber`: one sector, the SMART cylinder signature, the drive number's low
// eight bits in bDriveNumber; the drive/head register stays 0 as in the status command.
SmartCommand makeSmartReadCommand(std::int32_t driveNumber, std::uint8_t feature);
// Both input and, zero-filled, output of the NVMe health log request.
NvmeHealthQuery makeNvmeHealthQuery();
PropertyQuery makeTemperatureQuery();

}  // namespace kestrine::device
