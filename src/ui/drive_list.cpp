#include "ui/drive_list.h"

#include <string>

#include "probe/drive_texts.h"

namespace kestrine {

int refillDriveList(const DriveTable& drives, ListControl& list,
                    const std::function<void()>& updateDrivePanel) {
    const bool wasEmpty = list.itemCount() == 0;
    int failing = 0;
    for (int number = 0; number < driveTableSize; ++number) {
        const DriveRecord& drive = drives[number];
        const int entry = list.findByData(number);
        if (!isListed(drive)) {
            // An unplugged drive leaves the list, as a vanished volume does.
            if (entry >= 0) list.remove(entry);
            continue;
        }
        const std::string label = driveLabel(number, drive.identityError, drive.displayName);
        const int level = indicatorLevel(drive);
        if (level == 2) ++failing;
        if (entry < 0) {
            if (list.insert(list.itemCount(), label, level, number) < 0) continue;
            if (wasEmpty) {
                list.setSelectionMark(0);
                list.selectAndFocus(0);
                updateDrivePanel();
            }
            continue;
        }
        // Another device at the same number must not keep the old device's name; a drive whose
        // identity query fails keeps the name it was listed with.
        if (drive.identityError == 0 && list.text(entry) != label) list.setText(entry, label);
        if (list.image(entry) != level) list.setImage(entry, level);
    }
    return failing;
}

}  // namespace kestrine
