#include "probe/attribute_names.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kestrine {

namespace {

// Sorted by id.
constexpr std::array<std::pair<std::uint8_t, std::string_view>, 26> names = {{
    {1, "Raw Read Error Rate"},
    {3, "Spin-Up Time"},
    {4, "Start/Stop Count"},
    {5, "Reallocated Sectors Count"},
    {7, "Seek Error Rate"},
    {9, "Power-On Hours"},
    {10, "Spin Retry Count"},
    {12, "Power Cycle Count"},
    {177, "Wear Leveling Count"},
    {183, "Runtime Bad Block"},
    {184, "End-to-End Error"},
    {187, "Reported Uncorrectable Errors"},
    {188, "Command Timeout"},
    {190, "Airflow Temperature"},
    {192, "Power-Off Retract Count"},
    {193, "Load/Unload Cycle Count"},
    {194, "Temperature"},
    {196, "Reallocation Event Count"},
    {197, "Current Pending Sector Count"},
    {198, "Offline Uncorrectable Sector Count"},
    {199, "UDMA CRC Error Count"},
    {231, "SSD Life Left"},
    {232, "Available Reserved Space"},
    {233, "Media Wearout Indicator"},
    {241, "Total LBAs Written"},
    {242, "Total LBAs Read"},
}};

constexpr bool sortedById() {
    for (std::size_t i = 1; i < names.size(); ++i)
        if (names[i - 1].first >= names[i].first) return false;
    return true;
}
static_assert(sortedById());

}  // namespace

std::string_view ataAttributeName(std::uint8_t id) {
    const auto found = std::lower_bound(names.begin(), names.end(), id,
                                        [](const auto& entry, std::uint8_t wanted) { return entry.first < wanted; });
    return found != names.end() && found->first == id ? found->second : std::string_view{};
}

}  // namespace kestrine
