#pragma once
// The replies a storage driver gives to the three health requests, for the health tests, the
// scripted drives and the fuzz seeds. As in device_replies.h the fields sit where the published
// structures put them, written here as numbers, so that a wrong layout constant in the probe
// cannot move the fake along with it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fakes/device_replies.h"
#include "probe/counter128.h"
#include "probe/drive_health.h"

namespace kestrine::testing {

inline void putCounter(std::vector<std::uint8_t>& bytes, std::size_t offset, Counter128 value) {
    putLe(bytes, offset, value.low, 8);
    putLe(bytes, offset + 8, value.high, 8);
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

// SENDCMDOUTPARAMS without its bBuffer byte (16 bytes: cBufferSize 512, no driver error) and
// the 512-byte sector: a 2-byte revision, then 12-byte entries that `fill` writes from the rows.
template <typename Fill>
std::vector<std::uint8_t> smartSectorReply(const std::vector<AttributeRow>& rows, Fill fill) {
    std::vector<std::uint8_t> bytes(16 + 512, 0);
    putLe32(bytes, 0, 512);
    for (std::size_t index = 0; index < rows.size(); ++index) fill(bytes, 16 + 2 + index * 12, rows[index]);
    return bytes;
}

// Attribute entries: id, flags (2 bytes), current, worst, raw value (6 bytes), reserved.
inline std::vector<std::uint8_t> smartDataReply(const std::vector<AttributeRow>& rows) {
    return smartSectorReply(rows, [](std::vector<std::uint8_t>& bytes, std::size_t entry, const AttributeRow& row) {
        bytes.at(entry) = row.id;
        putLe16(bytes, entry + 1, row.flags);
        bytes.at(entry + 3) = row.current;
        bytes.at(entry + 4) = row.worst;
        putLe(bytes, entry + 5, row.raw, 6);
    });
}

// Threshold entries: id, threshold, reserved.
inline std::vector<std::uint8_t> smartThresholdsReply(const std::vector<AttributeRow>& rows) {
    return smartSectorReply(rows, [](std::vector<std::uint8_t>& bytes, std::size_t entry, const AttributeRow& row) {
        bytes.at(entry) = row.id;
        bytes.at(entry + 1) = row.threshold;
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

// A STORAGE_PROTOCOL_DATA_DESCRIPTOR as the driver fills it (Version and Size 48, then the
// 40-byte STORAGE_PROTOCOL_SPECIFIC_DATA: NVMe, log page 2, data offset and length), with the
// log page holding `fields` (its Celsius is not sent) `offset` bytes after the protocol data
// (right behind it by default).
inline std::vector<std::uint8_t> nvmeHealthReply(const NvmeHealth& fields, std::uint32_t offset = 40) {
    constexpr std::size_t protocolData = 8;
    std::vector<std::uint8_t> bytes(protocolData + offset + 512, 0);
    putLe32(bytes, 0, 48);
    putLe32(bytes, 4, 48);
    putLe32(bytes, protocolData + 0, 3);  // ProtocolTypeNvme
    putLe32(bytes, protocolData + 4, 2);  // NVMeDataTypeLogPage
    putLe32(bytes, protocolData + 8, 2);  // the SMART / Health Information page
    putLe32(bytes, protocolData + 16, offset);
    putLe32(bytes, protocolData + 20, 512);
    const std::size_t page = protocolData + offset;
    bytes.at(page + 0) = fields.criticalWarning;
    putLe16(bytes, page + 1, fields.compositeKelvin);
    bytes.at(page + 3) = fields.availableSpare;
    bytes.at(page + 4) = fields.availableSpareThreshold;
    bytes.at(page + 5) = fields.percentageUsed;
    putCounter(bytes, page + 32, fields.dataUnitsRead);
    putCounter(bytes, page + 48, fields.dataUnitsWritten);
    putCounter(bytes, page + 112, fields.powerCycles);
    putCounter(bytes, page + 128, fields.powerOnHours);
    putCounter(bytes, page + 144, fields.unsafeShutdowns);
    putCounter(bytes, page + 160, fields.mediaErrors);
    putCounter(bytes, page + 176, fields.errorLogEntries);
    return bytes;
}

// A STORAGE_TEMPERATURE_DATA_DESCRIPTOR (Version 40, Size, CriticalTemperature at 8,
// WarningTemperature at 10, InfoCount at 12) counting `infoCount` 16-byte sensor entries from
// offset 24, the first one's Temperature (at 2 in the entry) `current`; with a count of 0 the
// entry's bytes are still there, for the reader to ignore.
inline std::vector<std::uint8_t> temperatureReply(std::int16_t current, std::int16_t warning, std::int16_t critical,
                                                  std::uint16_t infoCount = 1) {
    const std::size_t size = 24 + 16 * (infoCount == 0 ? 1 : infoCount);
    std::vector<std::uint8_t> bytes(size, 0);
    putLe32(bytes, 0, 40);
    putLe32(bytes, 4, static_cast<std::uint32_t>(size));
    putLe16(bytes, 8, static_cast<std::uint16_t>(critical));
    putLe16(bytes, 10, static_cast<std::uint16_t>(warning));
    putLe16(bytes, 12, infoCount);
    putLe16(bytes, 24 + 2, static_cast<std::uint16_t>(current));
    return bytes;
}

}  // namespace kestrine::testing
