#include "probe/counter128.h"

#include <algorithm>
#include <array>

#include "probe/little_endian.h"

namespace kestrine {

Counter128 readCounter128(const std::uint8_t* bytes) { return {readLe64(bytes), readLe64(bytes + 8)}; }

std::string decimalText(Counter128 value) {
    // Long division by ten over four 32-bit limbs, most significant first; no 128-bit type
    // is portable to every compiler the program builds with.
    std::array<std::uint32_t, 4> limbs = {
        static_cast<std::uint32_t>(value.high >> 32), static_cast<std::uint32_t>(value.high),
        static_cast<std::uint32_t>(value.low >> 32), static_cast<std::uint32_t>(value.low)};
    std::string digits;
    do {
        std::uint64_t remainder = 0;
        for (std::uint32_t& limb : limbs) {
            const std::uint64_t part = remainder << 32 | limb;
            limb = static_cast<std::uint32_t>(part / 10);
            remainder = part % 10;
        }
        digits.push_back(static_cast<char>('0' + remainder));
    } while (std::any_of(limbs.begin(), limbs.end(), [](std::uint32_t limb) { return limb != 0; }));
    std::reverse(digits.begin(), digits.end());
    return digits;
}

double toDouble(Counter128 value) {
    constexpr double twoTo64 = 18446744073709551616.0;
    return static_cast<double>(value.high) * twoTo64 + static_cast<double>(value.low);
}

}  // namespace kestrine
