#pragma once
// What real drives answered, read at test time from the real-drives folder beside the project
// (KESTRINE_REAL_DRIVES names another), for the native tests.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fakes/health_replies.h"
#include "probe/drive_health.h"

namespace kestrine::testing {

inline std::string realDrives() {
    const char* folder = std::getenv("KESTRINE_REAL_DRIVES");
    return folder != nullptr && *folder != '\0' ? folder : KESTRINE_REAL_DRIVES;
}

// An Intel SSD's libatasmart blob: IDENTIFY (IDFY), SMART data (SMDT) and thresholds (SMTH).
inline const std::string ataBlob = realDrives() + "/ata/INTEL_SSDSA2CW120G3--4PC10302";

inline std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << "cannot read " << path;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// libatasmart's blob: sections of a 4-character tag, a big-endian 32-bit length and the bytes.
inline std::map<std::string, std::vector<std::uint8_t>> blobSections(const std::vector<std::uint8_t>& blob) {
    std::map<std::string, std::vector<std::uint8_t>> sections;
    for (std::size_t at = 0; at + 8 <= blob.size();) {
        const std::string tag(blob.begin() + static_cast<long>(at), blob.begin() + static_cast<long>(at) + 4);
        const std::size_t length = std::size_t{blob[at + 4]} << 24 | std::size_t{blob[at + 5]} << 16 |
                                   std::size_t{blob[at + 6]} << 8 | blob[at + 7];
        if (at + 8 + length > blob.size()) break;
        sections[tag] = std::vector<std::uint8_t>(blob.begin() + static_cast<long>(at) + 8,
                                                  blob.begin() + static_cast<long>(at + 8 + length));
        at += 8 + length;
    }
    return sections;
}

// The real ATA drive's IDENTIFY DEVICE, SMART READ DATA and SMART READ THRESHOLDS sectors.
struct RealAtaSectors {
    std::vector<std::uint8_t> identify, data, thresholds;
};
inline const RealAtaSectors& realAtaSectors() {
    static const RealAtaSectors sectors = [] {
        auto sections = blobSections(fileBytes(ataBlob));
        return RealAtaSectors{sections["IDFY"], sections["SMDT"], sections["SMTH"]};
    }();
    return sectors;
}

// The sector as the SMART read's reply carries it: behind the 16-byte SENDCMDOUTPARAMS head.
inline std::vector<std::uint8_t> sectorReply(const std::vector<std::uint8_t>& sector) {
    std::vector<std::uint8_t> reply(16, 0);
    putLe32(reply, 0, 512);
    reply.insert(reply.end(), sector.begin(), sector.end());
    return reply;
}

// The SMART data sector's attribute table: 30 entries of 12 bytes from offset 2, each an id,
// flags (2), current, worst, raw value (6) and a reserved byte.
inline constexpr std::size_t ataEntries = 30, ataEntrySize = 12, ataTableAt = 2;

// The real SSD's SMART READ DATA sector with the raw value of each attribute named in `raws`
// put in place of the one read, as a drive that has since remapped sectors would answer.
inline std::vector<std::uint8_t> realAtaDataWithRaws(const std::map<int, std::uint64_t>& raws) {
    std::vector<std::uint8_t> sector = realAtaSectors().data;
    std::size_t edited = 0;
    for (std::size_t at = ataTableAt; at < ataTableAt + ataEntries * ataEntrySize; at += ataEntrySize) {
        const auto raw = raws.find(sector[at]);
        if (sector[at] == 0 || raw == raws.end()) continue;
        for (std::size_t i = 0; i < 6; ++i) sector[at + 5 + i] = static_cast<std::uint8_t>(raw->second >> (8 * i));
        ++edited;
    }
    EXPECT_EQ(edited, raws.size()) << "an attribute the drive does not have";
    return sector;
}

// The real SSD's attribute table with the raw value of attribute `id` set to `raw`.
inline DriveHealth realAtaHealthWithRaw(std::uint8_t id, std::uint64_t raw) {
    const std::vector<std::uint8_t> data = sectorReply(realAtaDataWithRaws({{id, raw}}));
    const std::vector<std::uint8_t> thresholds = sectorReply(realAtaSectors().thresholds);
    DriveHealth health = ataHealth(data.data(), data.size());
    applyAtaThresholds(health, thresholds.data(), thresholds.size());
    return health;
}

// The real NVMe SSD's SMART / Health log page, as the health log request's reply carries it.
inline std::vector<std::uint8_t> realNvmeHealthReply() {
    const std::vector<std::uint8_t> page = fileBytes(realDrives() + "/nvme/real_ssd_health_log.bin");
    EXPECT_EQ(page.size(), 512u);
    std::vector<std::uint8_t> reply = nvmeHealthReply({});
    std::copy(page.begin(), page.end(), reply.begin() + 48);
    return reply;
}

// The real ATA drive's attribute table as scripted-drive lines for drive `number` ("2 attribute
// id=5 flags=0x33 current=100 worst=100 raw=0 threshold=...", in table order), each raw value
// named in `raws` put in place of the one read: so a test grows a real drive's counts.
inline std::string realAtaAttributeLines(int number, const std::map<int, std::uint64_t>& raws = {}) {
    const std::vector<std::uint8_t> data = realAtaDataWithRaws(raws);
    const std::vector<std::uint8_t>& thresholds = realAtaSectors().thresholds;
    std::string lines;
    for (std::size_t at = ataTableAt; at < ataTableAt + ataEntries * ataEntrySize; at += ataEntrySize) {
        const int id = data[at];
        if (id == 0) continue;
        std::uint64_t raw = 0;
        for (std::size_t byte = 0; byte < 6; ++byte) raw |= std::uint64_t{data[at + 5 + byte]} << (8 * byte);
        int threshold = 0;
        for (std::size_t other = ataTableAt; other < ataTableAt + ataEntries * ataEntrySize; other += ataEntrySize)
            if (thresholds[other] == id) threshold = thresholds[other + 1];
        lines += std::to_string(number) + " attribute id=" + std::to_string(id) +
                 " flags=" + std::to_string(data[at + 1] | data[at + 2] << 8) +
                 " current=" + std::to_string(data[at + 3]) + " worst=" + std::to_string(data[at + 4]) +
                 " raw=" + std::to_string(raw) + " threshold=" + std::to_string(threshold) + "\n";
    }
    return lines;
}

}  // namespace kestrine::testing
