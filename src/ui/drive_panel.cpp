#include "ui/drive_panel.h"

#include "probe/drive_texts.h"

namespace kestrine {

const DriveRecord* markedDrive(const DriveTable& drives, const ListControl& list) {
    const int mark = list.selectionMark();
    if (mark < 0 || mark >= list.itemCount()) return nullptr;
    const std::intptr_t number = list.data(mark);
    if (number < 0 || number >= driveTableSize) return nullptr;
    return &drives[static_cast<std::size_t>(number)];
}

DrivePanelTexts drivePanelTexts(const DriveRecord* drive, const HealthTable& health, const SystemMessages& messages) {
    DrivePanelTexts texts{"None Selected", "...", "...", "...", "...", "..."};
    if (drive == nullptr || !hasDetails(*drive)) return texts;

    const StateLook& spf = stateLook(spfState(*drive));
    const StateLook& smart = stateLook(smartState(*drive, health[static_cast<std::size_t>(drive->driveNumber)]));
    texts.spfStatus = spf.text;
    texts.smartStatus = smart.text;
    texts.stateColors = true;
    texts.spfColor = spf.color;
    texts.smartColor = smart.color;

    if (drive->identityError != 0) {
        // The old identity block is stale: the name stays "None Selected".
        texts.serial = identityErrorText(drive->identityError, messages);
        texts.bus = texts.serial;
        texts.fixedRemovable = texts.serial;
    } else {
        texts.name = drive->displayName;
        texts.serial = drive->serial;
        texts.bus = drive->busTypeText;
        texts.fixedRemovable = drive->removable ? "Removable" : "Fixed";
    }
    return texts;
}

}  // namespace kestrine
