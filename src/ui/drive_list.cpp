#include "ui/drive_list.h"

#include <string>

#include "probe/drive_texts.h"
#include "ui/list_sync.h"

namespace kestrine {

int driveImage(const DriveRecord& drive, const DriveHealth& health, const DriveVerdict& verdict, bool recalled) {
    IndicatorLevel level = indicatorLevel(drive, health);
    if (verdict.status == DriveStatus::Failing)
        level = IndicatorLevel::FailurePredicted;
    else if (verdict.status == DriveStatus::Caution)
        level = IndicatorLevel::Caution;
    else if (recalled)
        level = IndicatorLevel::Ok;
    return static_cast<int>(level);
}

void refillDriveList(const DriveTable& drives, const HealthTable& health, ListControl& list,
                     const DriveJudgements& judged) {
    ListSync sync(list);
    for (int number = 0; number < driveTableSize; ++number) {
        const DriveRecord& drive = drives[number];
        if (!isListed(drive)) {
            // An unplugged drive leaves the list, as a vanished volume does.
            sync.drop(number);
            continue;
        }
        // Another device at the same number must not keep the old device's name; a drive whose
        // identity query fails keeps the name it was listed with.
        sync.keep(number, driveLabel(number, drive.identityError, drive.displayName),
                  driveImage(drive, health[number], judged.verdicts[number], judged.recalled[number].has_value()),
                  drive.identityError == 0);
    }
}

}  // namespace kestrine
