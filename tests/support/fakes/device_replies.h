#pragma once
// The replies a storage driver gives to the probe's four requests, built at the offsets the
// probe reads, for the scripted devices of the tests, the soak and the benchmarks.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "probe/device_layouts.h"

namespace kestrine::testing {

// Writes a little-endian 32-bit field into a scripted reply, growing it as needed.
inline void putLe32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    if (bytes.size() < offset + 4) bytes.resize(offset + 4);
    for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct DescriptorFields {
    std::string vendor;
    std::string product;
    std::string serial;          // as the descriptor carries it: hexadecimal pairs
    std::uint32_t busType = 11;  // SATA
    std::uint8_t removable = 0;
};

// A storage device descriptor with the identity strings behind the fixed header.
inline std::vector<std::uint8_t> descriptorReply(const DescriptorFields& fields) {
    namespace layout = device::deviceDescriptor;
    std::vector<std::uint8_t> bytes(layout::rawDeviceProperties, 0);
    bytes[layout::removableMedia] = fields.removable;
    putLe32(bytes, layout::busType, fields.busType);
    const auto append = [&bytes](std::size_t offsetField, const std::string& text) {
        putLe32(bytes, offsetField, static_cast<std::uint32_t>(bytes.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    };
    append(layout::vendorIdOffset, fields.vendor);
    append(layout::productIdOffset, fields.product);
    append(layout::serialNumberOffset, fields.serial);
    return bytes;
}

inline std::vector<std::uint8_t> versionReply(std::uint32_t capabilities) {
    std::vector<std::uint8_t> bytes(device::versionReply::size, 0);
    putLe32(bytes, device::versionReply::capabilities, capabilities);
    return bytes;
}

inline std::vector<std::uint8_t> predictReply(std::uint32_t value) {
    std::vector<std::uint8_t> bytes(device::predictFailureReply::size, 0);
    putLe32(bytes, device::predictFailureReply::predictFailure, value);
    return bytes;
}

inline std::vector<std::uint8_t> smartReply(std::uint8_t cylLow, std::uint8_t cylHigh) {
    std::vector<std::uint8_t> bytes(device::smartReply::size, 0);
    bytes[device::smartReply::cylLowReg] = cylLow;
    bytes[device::smartReply::cylHighReg] = cylHigh;
    return bytes;
}

}  // namespace kestrine::testing
