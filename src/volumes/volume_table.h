#pragma once
// The per-letter volume table: what the last successful query of each drive letter found.
// Slot i stands for the letter A+i; slots 0 and 1 (A: and B:) are never scanned.
#include <array>
#include <cstdint>

#include "settings/volume_slots.h"

namespace kestrine {

inline constexpr int firstScannedSlot = 2;  // C:

struct VolumeEntry {
    std::int64_t totalBytes = 1;
    std::int64_t freeBytes = 1;  // all free bytes, not only those available to the caller
    double percentFree = 100.0;
};

// Entries change only when their volume is queried successfully; nothing ever clears them.
using VolumeTable = std::array<VolumeEntry, volumeSlotCount>;

}  // namespace kestrine
