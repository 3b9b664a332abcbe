#pragma once
// One pass over the drive letters C: to Z: that fills the volume table from the volume source
// and judges each volume against its warning percent. No list and no window: the window's
// volume list and any other front end read the verdicts.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_record.h"
#include "volumes/volume_source.h"
#include "volumes/volume_table.h"

namespace kestrine {

// What the pass found at one scanned letter. Its sizes and percent free are in the volume
// table, which keeps them for the letters a later pass cannot query.
struct VolumeVerdict {
    int slot = 0;
    bool present = false;  // in the logical-drive mask and its free-space query succeeded
    bool inWarning = false;
    // The percent it was judged by: what the notification, the events and the report name, even
    // where the warning percents change while the result is shown.
    std::uint32_t warningPercent = 0;
    std::string label;  // empty when the volume has none or the query failed
};

struct VolumeScanResult {
    // False when the logical-drive mask was 0: nothing was queried, and whoever shows the
    // volumes is better off keeping what it shows.
    bool answered = false;
    std::vector<VolumeVerdict> verdicts;  // one per slot from C: to Z:, in slot order
    int warningCount = 0;                 // present volumes below their warning percent
};

// Queries every present letter and stores what a successful free-space query found in
// `table`. A letter that is absent or whose free-space query fails keeps its table entry.
VolumeScanResult scanVolumes(VolumeSource& source, const SettingsRecord& thresholds, VolumeTable& table);

// "C:" for slot 2.
std::string volumeName(int slot);
// A volume's percent free as its panel shows it, rounded to the nearest tenth: "45.3 %".
std::string volumePercentText(double percentFree);

// A percent with `decimals` places (0 to 6), rounded down: the one rule wherever a volume's
// percent stands beside its limit (the report, the notification, the events), so that a volume
// below a limit never reads as at it and the report's reason never contradicts its data.
// Digits past the sixth decimal are rounded away first, since they are the noise of binary
// fractions (45.3 is held as 45.29999...). Not finite: "NaN", "+Inf" or "-Inf".
std::string percentDown(double percent, int decimals);

// A volume below its warning percent, as the notification and the report's reason name it:
// "D: 4.2 % free, below 10 %".
std::string volumeBelowLimitText(int slot, double percentFree, std::uint32_t limit);

// The list line of a volume: "C: 45.3% Free (System)"; no label leaves a trailing blank.
std::string volumeItemText(int slot, double percentFree, const std::string& label);

}  // namespace kestrine
