#pragma once
// Keeps the volume list in step with what the last volume pass found.
#include "ui/list_control.h"
#include "volumes/volume_scan.h"
#include "volumes/volume_table.h"

namespace kestrine {

// Images of the shared status strip that stand for a volume's state.
inline constexpr int volumeOkImage = 1;
inline constexpr int volumeWarningImage = 2;

// One item per present volume (item data: the slot) with its list line, from the pass's label
// and the table's percent, as text; an absent volume loses its item. A pass that got no answer
// leaves the list alone. When the list was empty, each insertion selects the first item.
void refillVolumeList(const VolumeScanResult& scan, const VolumeTable& table, ListControl& list);

}  // namespace kestrine
