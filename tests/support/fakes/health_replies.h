#pragma once
// The replies a storage driver gives to the three health requests, built at the published
// offsets, for the health tests and the fuzz seeds.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fakes/device_replies.h"
#include "probe/counter128.h"
#include "probe/drive_health.h"
#include "probe/health_layouts.h"

namespace kestrine::testing {

inline void putLe16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
    bytes.at(offset) = static_cast<std::uint8_t>(value);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

inline void putCounter(std::vector<std::uint8_t>& bytes, std::size_t offset, Counter128 value) {
    for (std::size_t i = 0; i < 8; ++i) {
        bytes.at(offset + i) = static_cast<std::uint8_t>(value.low >> (8 * i));
        bytes.at(offset + 8 + i) = static_cast<std::uint8_t>(value.high >> (8 * i));
    }
}

// One row of a drive's attribute table and its threshold entry.
struct AttributeRow {
    std::uint8_t id = 0;
    std::uint16_t flags = 0;
    std::uint8_t current = 0;
    std::uint8_t worst = 0;
    std::uint64_t raw = 0;  // the low 48 bits are sent
    std::uint8_t threshold = 0;
};

// SENDCMDOUTPARAMS header (no driver error) and a sector whose entries 0, 1, ... `fill` writes
// from the rows.
template <typename Fill>
std::vector<std::uint8_t> smartSectorReply(const std::vector<AttributeRow>& rows, Fill fill) {
    namespace layout = device::smartSector;
    std::vector<std::uint8_t> bytes(device::smartRead::replySize, 0);
    putLe32(bytes, 0, device::smartRead::sectorSize);
    for (std::size_t index = 0; index < rows.size(); ++index)
        fill(bytes, device::smartRead::sector + layout::firstEntry + index * layout::entrySize, rows[index]);
    return bytes;
}

inline std::vector<std::uint8_t> smartDataReply(const std::vector<AttributeRow>& rows) {
    namespace layout = device::smartSector;
    return smartSectorReply(rows, [](std::vector<std::uint8_t>& bytes, std::size_t entry, const AttributeRow& row) {
        bytes.at(entry + layout::id) = row.id;
        putLe16(bytes, entry + layout::flags, row.flags);
        bytes.at(entry + layout::current) = row.current;
        bytes.at(entry + layout::worst) = row.worst;
        for (std::size_t i = 0; i < layout::rawSize; ++i)
            bytes.at(entry + layout::raw + i) = static_cast<std::uint8_t>(row.raw >> (8 * i));
    });
}

inline std::vector<std::uint8_t> smartThresholdsReply(const std::vector<AttributeRow>& rows) {
    namespace layout = device::smartSector;
    return smartSectorReply(rows, [](std::vector<std::uint8_t>& bytes, std::size_t entry, const AttributeRow& row) {
        bytes.at(entry + layout::id) = row.id;
        bytes.at(entry + layout::threshold) = row.threshold;
    });
}

// An NVMe drive whose spare fell below its threshold, with counters past 64 bits.
inline NvmeHealth spareBelowThresholdLog() {
    NvmeHealth log;
    log.criticalWarning = 0x01;
    log.compositeKelvin = 318;
    log.availableSpare = 4;
    log.availableSpareThreshold = 10;
    log.percentageUsed = 107;
    log.dataUnitsRead = {123456789, 0};
    log.dataUnitsWritten = {0, 1};
    log.powerCycles = {1520, 0};
    log.powerOnHours = {21345, 0};
    log.unsafeShutdowns = {61, 0};
    log.mediaErrors = {3, 0};
    log.errorLogEntries = {0xFFFF'FFFF'FFFF'FFFF, 0xFFFF'FFFF'FFFF'FFFF};
    return log;
}

// A protocol data descriptor as the driver fills it, with the log page holding `fields` (its
// Celsius is not sent) `offset` bytes after the protocol data (right behind it by default).
inline std::vector<std::uint8_t> nvmeHealthReply(const NvmeHealth& fields,
                                                 std::uint32_t offset = device::nvmeQuery::protocolDataSize) {
    namespace layout = device::nvmeQuery;
    namespace log = device::nvmeHealthLog;
    std::vector<std::uint8_t> bytes(layout::protocolData + offset + layout::logSize, 0);
    putLe32(bytes, layout::version, layout::expectedVersion);
    putLe32(bytes, layout::descriptorSize, layout::expectedVersion);
    putLe32(bytes, layout::protocolType, layout::protocolNvme);
    putLe32(bytes, layout::dataType, layout::dataTypeLogPage);
    putLe32(bytes, layout::requestValue, layout::healthLogPage);
    putLe32(bytes, layout::dataOffset, offset);
    putLe32(bytes, layout::dataLength, layout::logSize);
    const std::size_t page = layout::protocolData + offset;
    bytes.at(page + log::criticalWarning) = fields.criticalWarning;
    putLe16(bytes, page + log::compositeTemperature, fields.compositeKelvin);
    bytes.at(page + log::availableSpare) = fields.availableSpare;
    bytes.at(page + log::availableSpareThreshold) = fields.availableSpareThreshold;
    bytes.at(page + log::percentageUsed) = fields.percentageUsed;
    putCounter(bytes, page + log::dataUnitsRead, fields.dataUnitsRead);
    putCounter(bytes, page + log::dataUnitsWritten, fields.dataUnitsWritten);
    putCounter(bytes, page + log::powerCycles, fields.powerCycles);
    putCounter(bytes, page + log::powerOnHours, fields.powerOnHours);
    putCounter(bytes, page + log::unsafeShutdowns, fields.unsafeShutdowns);
    putCounter(bytes, page + log::mediaErrors, fields.mediaErrors);
    putCounter(bytes, page + log::errorLogEntries, fields.errorLogEntries);
    return bytes;
}

// A temperature descriptor counting `infoCount` sensor entries, the first one at `current`;
// with a count of 0 the entry's bytes are still there, for the reader to ignore.
inline std::vector<std::uint8_t> temperatureReply(std::int16_t current, std::int16_t warning, std::int16_t critical,
                                                  std::uint16_t infoCount = 1) {
    namespace layout = device::temperatureQuery;
    const std::size_t size = layout::firstInfo + layout::infoSize * (infoCount == 0 ? 1 : infoCount);
    std::vector<std::uint8_t> bytes(size, 0);
    putLe32(bytes, layout::version, layout::expectedVersion);
    putLe32(bytes, layout::descriptorSize, static_cast<std::uint32_t>(size));
    putLe16(bytes, layout::criticalTemperature, static_cast<std::uint16_t>(critical));
    putLe16(bytes, layout::warningTemperature, static_cast<std::uint16_t>(warning));
    putLe16(bytes, layout::infoCount, infoCount);
    putLe16(bytes, layout::firstInfo + layout::infoTemperature, static_cast<std::uint16_t>(current));
    return bytes;
}

}  // namespace kestrine::testing
