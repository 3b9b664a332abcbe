#pragma once
// Drive-letter slots: index i stands for the letter A+i. The settings record keeps a percent
// per slot and the volume table an entry per slot, so both size themselves from here.
#include <cstdint>

namespace kestrine {

inline constexpr int volumeSlotCount = 26;

inline constexpr bool isVolumeSlot(std::intptr_t slot) { return slot >= 0 && slot < volumeSlotCount; }

}  // namespace kestrine
