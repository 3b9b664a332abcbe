#pragma once
// One pass over the drive letters C: to Z: that updates the volume table and keeps the
// volume list in step with what was found.
#include <functional>

#include "settings/settings_record.h"
#include "ui/list_control.h"
#include "volumes/volume_source.h"
#include "volumes/volume_table.h"

namespace kestrine {

// Images of the shared status strip that stand for a volume's state.
inline constexpr int kVolumeOkImage = 1;
inline constexpr int kVolumeWarningImage = 2;

// Queries every present letter, stores the results in `table`, inserts, removes, re-images
// and re-texts list items (item data: the slot), and returns the number of volumes below
// their warning percent (the new volumeWarningCount). A letter that is absent or whose
// free-space query fails loses its item but keeps its table entry. When the logical-drive
// mask is 0 nothing is queried and the list is left alone. When the list was empty at the
// start, every insertion selects the first item and calls `updateVolumePanel`.
int scanVolumes(VolumeSource& source, ListControl& list, const SettingsRecord& thresholds,
                VolumeTable& table, const std::function<void()>& updateVolumePanel);

// The list line of a volume: "C: 45.3% Free (System)"; no label leaves a trailing blank.
std::string volumeItemText(int slot, double percentFree, const std::string& label);

}  // namespace kestrine
