#pragma once
// The drives and volumes of one refresh as the notification and the event log name them.
#include <vector>

#include "probe/drive_record.h"
#include "settings/settings_record.h"
#include "tray/problem_news.h"
#include "volumes/volume_scan.h"
#include "volumes/volume_table.h"

namespace kestrine {

// Every listed drive, then every volume the scan found, in slot order. A drive's figures are
// its list label and its two prediction texts; a volume's are its name, percent free, free
// and total size and its warning percent.
std::vector<WatchedItem> watchedItems(const DriveTable& drives, const VolumeScanResult& volumes,
                                      const VolumeTable& table, const SettingsRecord& thresholds);

}  // namespace kestrine
