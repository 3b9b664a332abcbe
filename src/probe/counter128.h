#pragma once
// The NVMe health log counts in unsigned 128-bit little-endian fields. They are kept whole, and
// given as exact decimal text or, with rounding, as a double.
#include <cstdint>
#include <string>

namespace kestrine {

struct Counter128 {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    friend bool operator==(const Counter128&, const Counter128&) = default;
};

// The sixteen little-endian bytes at `bytes`; the caller has checked that all of them are there.
Counter128 readCounter128(const std::uint8_t* bytes);

// Decimal digits without leading zeros: "0" to "340282366920938463463374607431768211455".
std::string decimalText(Counter128 value);

// As a double: exact up to 2^53, rounded above.
double toDouble(Counter128 value);

}  // namespace kestrine
