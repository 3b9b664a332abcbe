#include "ui/drive_list.h"

#include <string>

#include "probe/drive_texts.h"
#include "ui/list_sync.h"

namespace kestrine {

void refillDriveList(const DriveTable& drives, const HealthTable& health, ListControl& list) {
    ListSync sync(list);
    for (int number = 0; number < driveTableSize; ++number) {
        const DriveRecord& drive = drives[number];
        if (!isListed(drive)) {
            // An unplugged drive leaves the list, as a vanished volume does.
            sync.drop(number);
            continue;
        }
        const IndicatorLevel level = indicatorLevel(drive, health[number]);
        // Another device at the same number must not keep the old device's name; a drive whose
        // identity query fails keeps the name it was listed with.
        sync.keep(number, driveLabel(number, drive.identityError, drive.displayName), driveImage(level),
                  drive.identityError == 0);
    }
}

}  // namespace kestrine
