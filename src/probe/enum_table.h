#pragma once
// A table with one row per value of an enum, in the enum's order, holding every way the value
// is shown (text, identifier, colour), so that no two maps of one enum can disagree.
#include <array>
#include <cstddef>

namespace kestrine {

// The row of `value`, or of `fallback` for a value outside the enum (a damaged record).
template <typename Row, std::size_t N, typename Enum>
constexpr const Row& rowOf(const std::array<Row, N>& rows, Enum value, Enum fallback) {
    const auto index = static_cast<std::size_t>(value);
    return rows[index < N ? index : static_cast<std::size_t>(fallback)];
}

}  // namespace kestrine
