#include "refresh/watched_items.h"

#include <string>

#include "probe/drive_texts.h"
#include "volumes/byte_size.h"

namespace kestrine {

namespace {

std::string joined(const std::vector<std::string>& reasons) {
    std::string text;
    for (const std::string& reason : reasons) text += (text.empty() ? "" : ", ") + reason;
    return text;
}

WatchedItem driveItem(const DriveRecord& drive, const DriveHealth& health, const DriveVerdict& verdict) {
    const std::string label = driveLabel(drive.driveNumber, drive.identityError, drive.displayName);
    const std::string reasons = joined(verdict.reasons);
    return {WatchedItem::Kind::Drive,
            drive.driveNumber,
            verdict.status == DriveStatus::Failing,
            verdict.status == DriveStatus::Ok,
            label + ' ' + reasons,
            {label, reasons, stateLook(spfState(drive)).text, stateLook(smartState(drive, health)).text}};
}

WatchedItem volumeItem(const VolumeVerdict& verdict, const VolumeEntry& entry) {
    const std::string name = volumeName(verdict.slot);
    const std::string percent = percentDown(entry.percentFree, 1) + " %";
    const std::string limitText = std::to_string(verdict.warningPercent);
    return {WatchedItem::Kind::Volume,
            verdict.slot,
            verdict.inWarning,
            !verdict.inWarning,
            volumeBelowLimitText(verdict.slot, entry.percentFree, verdict.warningPercent),
            {name, percent, formatByteSize(entry.freeBytes), formatByteSize(entry.totalBytes), limitText}};
}

}  // namespace

std::vector<WatchedItem> watchedItems(const RefreshResult& result) {
    std::vector<WatchedItem> items;
    for (int number = 0; number < driveTableSize; ++number) {
        if (isListed(result.drives[number]))
            items.push_back(driveItem(result.drives[number], result.health[number], result.verdicts[number]));
    }
    for (const VolumeVerdict& verdict : result.volumeScan.verdicts) {
        if (verdict.present) items.push_back(volumeItem(verdict, result.volumes[verdict.slot]));
    }
    return items;
}

std::vector<ProblemKey> problemsOf(const RefreshResult& result) {
    std::vector<ProblemKey> problems;
    for (int number = 0; number < driveTableSize; ++number) {
        if (isListed(result.drives[number]) && result.verdicts[number].status == DriveStatus::Failing)
            problems.emplace_back(WatchedItem::Kind::Drive, number);
    }
    for (const VolumeVerdict& verdict : result.volumeScan.verdicts) {
        if (verdict.present && verdict.inWarning) problems.emplace_back(WatchedItem::Kind::Volume, verdict.slot);
    }
    return problems;
}

}  // namespace kestrine
