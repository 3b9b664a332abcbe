#pragma once
// What every fuzz target needs: a way to report a broken promise (say which, then abort so
// libFuzzer keeps the input) and a reader for little-endian fields of raw bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kestrine::fuzz {

// A broken promise found by a fuzz target.
inline void require(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

// A little-endian 32-bit field of bytes as a driver or a file left them: bytes past `size`
// count as 0, as in a zero-filled buffer.
inline std::uint32_t le32At(const std::uint8_t* bytes, std::size_t size, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        if (offset + i < size) value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    return value;
}

}  // namespace kestrine::fuzz
