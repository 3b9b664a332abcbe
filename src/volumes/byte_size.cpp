#include "volumes/byte_size.h"

#include <array>
#include <cstdio>

namespace kestrine {

std::string formatByteSize(std::int64_t bytes) {
    static constexpr std::array<const char*, 5> units = {"Bytes", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 1000.0 && unit + 1 < units.size()) {
        value *= 0.001;
        ++unit;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%3.1f %s", value, units[unit]);
    return text;
}

}  // namespace kestrine
