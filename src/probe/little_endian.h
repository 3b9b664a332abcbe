#pragma once
// The one reader and writer of the little-endian integers in device requests and replies,
// byte by byte, so the host's own byte order never matters. Every caller has checked that
// the bytes lie inside its buffer.
#include <cstddef>
#include <cstdint>

namespace kestrine {

// The unsigned integer in the `width` bytes at `bytes`, lowest byte first (width 1 to 8).
constexpr std::uint64_t readLittleEndian(const std::uint8_t* bytes, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i > 0; --i) value = value << 8 | bytes[i - 1];
    return value;
}

constexpr std::uint16_t readLe16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}
constexpr std::uint32_t readLe32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}
constexpr std::uint64_t readLe48(const std::uint8_t* bytes) {
    return readLe32(bytes) | std::uint64_t{readLe16(bytes + 4)} << 32;
}
// The fixed widths are spelt out, so that compilers see one load or store where the host is
// little-endian: an NVMe health log holds seven 128-bit counters, and the window reads and
// writes the whole health history at every refresh.
constexpr std::uint64_t readLe64(const std::uint8_t* bytes) {
    return std::uint64_t{bytes[0]} | std::uint64_t{bytes[1]} << 8 | std::uint64_t{bytes[2]} << 16 |
           std::uint64_t{bytes[3]} << 24 | std::uint64_t{bytes[4]} << 32 | std::uint64_t{bytes[5]} << 40 |
           std::uint64_t{bytes[6]} << 48 | std::uint64_t{bytes[7]} << 56;
}

constexpr void writeLe16(std::uint8_t* bytes, std::uint16_t value) {
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}
constexpr void writeLe32(std::uint8_t* bytes, std::uint32_t value) {
    writeLe16(bytes, static_cast<std::uint16_t>(value));
    writeLe16(bytes + 2, static_cast<std::uint16_t>(value >> 16));
}
constexpr void writeLe64(std::uint8_t* bytes, std::uint64_t value) {
    writeLe32(bytes, static_cast<std::uint32_t>(value));
    writeLe32(bytes + 4, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace kestrine
