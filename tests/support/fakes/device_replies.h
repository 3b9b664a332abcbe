#pragma once
// The replies a storage driver gives to the probe's four requests, for the scripted devices of
// the tests, the soak and the benchmarks. The fields sit where the Windows SDK lays them out,
// written here as numbers: a wrong layout constant in the probe must not move the fake too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "little_endian_bytes.h"

namespace kestrine::testing {

struct DescriptorFields {
    std::string vendor;
    std::string product;
    std::string serial;          // as the descriptor carries it: text, or hexadecimal pairs
    std::uint32_t busType = 11;  // SATA
    std::uint8_t removable = 0;
};

// A storage device descriptor (STORAGE_DEVICE_DESCRIPTOR, 40 bytes with its first raw byte)
// with the identity strings behind the fixed header. As a driver does, it gives offset 0 for a
// string it lacks, and fills in Version and Size, so a string read from offset 0 is not empty.
inline std::vector<std::uint8_t> descriptorReply(const DescriptorFields& fields) {
    std::vector<std::uint8_t> bytes(36, 0);
    putLe32(bytes, 0, 40);  // Version: the structure's size
    bytes[10] = fields.removable;
    putLe32(bytes, 28, fields.busType);
    const auto append = [&bytes](std::size_t offsetField, const std::string& text) {
        if (text.empty()) return;
        putLe32(bytes, offsetField, static_cast<std::uint32_t>(bytes.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    };
    append(12, fields.vendor);
    append(16, fields.product);
    append(24, fields.serial);
    putLe32(bytes, 4, static_cast<std::uint32_t>(bytes.size()));  // Size: all that was written
    return bytes;
}

// GETVERSIONINPARAMS: fCapabilities at offset 4.
inline std::vector<std::uint8_t> versionReply(std::uint32_t capabilities) {
    std::vector<std::uint8_t> bytes(24, 0);
    putLe32(bytes, 4, capabilities);
    return bytes;
}

// STORAGE_PREDICT_FAILURE: PredictFailure at offset 0, 512 vendor bytes after it.
inline std::vector<std::uint8_t> predictReply(std::uint32_t value) {
    std::vector<std::uint8_t> bytes(516, 0);
    putLe32(bytes, 0, value);
    return bytes;
}

// SENDCMDOUTPARAMS (16-byte header, then bBuffer) carrying the returned IDEREGS: the cylinder
// low and high registers are its fourth and fifth bytes, at 19 and 20.
inline std::vector<std::uint8_t> smartReply(std::uint8_t cylLow, std::uint8_t cylHigh) {
    std::vector<std::uint8_t> bytes(25, 0);
    bytes[19] = cylLow;
    bytes[20] = cylHigh;
    return bytes;
}

}  // namespace kestrine::testing
