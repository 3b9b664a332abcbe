#pragma once
// Names for the ATA SMART attribute ids whose meaning most drives share. Every other id is
// vendor-defined and goes without a name.
#include <cstdint>
#include <string_view>

namespace kestrine {

// Empty for an id without a well-known name.
std::string_view ataAttributeName(std::uint8_t id);

}  // namespace kestrine
