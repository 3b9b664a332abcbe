#include "settings/replacement_name.h"

namespace kestrine {

std::string replacementPath(const std::string& target, const ReplacementRandom& random) {
    constexpr const char* digits = "0123456789abcdef";
    std::string path = target + '.';
    for (const std::uint8_t byte : random) {
        path += digits[byte >> 4];
        path += digits[byte & 0x0F];
    }
    return path + ".new";
}

}  // namespace kestrine
