#include "probe/attribute_names.h"

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

// Each id's place in `names` plus one, 0 for an id without a name: the window names every
// drive's attributes at every refresh.
constexpr std::array<std::uint8_t, 256> places = [] {
    std::array<std::uint8_t, 256> made{};
    for (std::size_t i = 0; i < names.size(); ++i) made[names[i].first] = static_cast<std::uint8_t>(i + 1);
    return made;
}();

}  // namespace

std::string_view ataAttributeName(std::uint8_t id) {
    const std::uint8_t place = places[id];
    return place != 0 ? names[place - 1].second : std::string_view{};
}

}  // namespace kestrine
