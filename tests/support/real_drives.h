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

}  // namespace kestrine::testing
