#pragma once
// Little-endian fields written into and read from raw bytes, for the fakes, the test builders
// and the fuzz targets. Apart from the product's own reader (probe/little_endian.h), so that a
// fault there cannot move the tests' bytes along with it.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrine::testing {

// Writes the low `width` bytes of `value` at `at`, lowest byte first.
inline void putLe(std::uint8_t* at, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
inline void putLe32(std::uint8_t* at, std::uint32_t value) { putLe(at, value, 4); }

// The same into a buffer, grown as needed.
inline void putLe(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint64_t value, std::size_t width) {
    if (bytes.size() < offset + width) bytes.resize(offset + width);
    putLe(bytes.data() + offset, value, width);
}
inline void putLe16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
    putLe(bytes, offset, value, 2);
}
inline void putLe32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    putLe(bytes, offset, value, 4);
}

// The unsigned integer in the `width` bytes at `at`, lowest byte first.
inline std::uint64_t leAt(const std::uint8_t* at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i > 0; --i) value = value << 8 | at[i - 1];
    return value;
}
inline std::uint16_t le16At(const std::uint8_t* at) { return static_cast<std::uint16_t>(leAt(at, 2)); }
inline std::uint32_t le32At(const std::uint8_t* at) { return static_cast<std::uint32_t>(leAt(at, 4)); }
inline std::uint32_t le32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return le32At(&bytes.at(offset + 3) - 3);
}

// A 32-bit field of bytes as a driver or a file left them: bytes past `size` count as 0, as in
// a zero-filled buffer.
inline std::uint32_t le32Within(const std::uint8_t* bytes, std::size_t size, std::size_t offset) {
    std::uint8_t field[4] = {};
    for (std::size_t i = 0; i < 4; ++i)
        if (offset + i < size) field[i] = bytes[offset + i];
    return le32At(field);
}

}  // namespace kestrine::testing
