#include "tray/watched_items.h"

#include <string>

#include "probe/drive_texts.h"
#include "volumes/byte_size.h"

namespace kestrine {

namespace {

WatchedItem driveItem(const DriveRecord& drive) {
    const IndicatorLevel level = indicatorLevel(drive);
    const std::string label = driveLabel(drive.driveNumber, drive.identityError, drive.displayName);
    return {WatchedItem::Kind::Drive,
            drive.driveNumber,
            level == IndicatorLevel::FailurePredicted,
            level == IndicatorLevel::Ok,
            label + " predicts failure",
            {label, describeState(spfState(drive)).text, describeState(smartState(drive)).text}};
}

WatchedItem volumeItem(const VolumeVerdict& verdict, const VolumeEntry& entry, std::uint32_t limit) {
    const std::string name = volumeName(verdict.slot);
    const std::string percent = volumePercentText(verdict.percentFree);
    const std::string limitText = std::to_string(limit);
    return {WatchedItem::Kind::Volume,
            verdict.slot,
            verdict.inWarning,
            !verdict.inWarning,
            name + ' ' + percent + " free, below " + limitText + " %",
            {name, percent, formatByteSize(entry.freeBytes), formatByteSize(entry.totalBytes), limitText}};
}

}  // namespace

std::vector<WatchedItem> watchedItems(const DriveTable& drives, const VolumeScanResult& volumes,
                                      const VolumeTable& table, const SettingsRecord& thresholds) {
    std::vector<WatchedItem> items;
    for (const DriveRecord& drive : drives) {
        if (isListed(drive)) items.push_back(driveItem(drive));
    }
    for (const VolumeVerdict& verdict : volumes.verdicts) {
        if (!verdict.present) continue;
        items.push_back(volumeItem(verdict, table[verdict.slot], effectiveWarningPercent(thresholds, verdict.slot)));
    }
    return items;
}

}  // namespace kestrine
