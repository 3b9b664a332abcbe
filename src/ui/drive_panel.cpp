#include "ui/drive_panel.h"

#include "history/utc_time.h"
#include "probe/drive_texts.h"

namespace kestrine {

const DriveRecord* markedDrive(const DriveTable& drives, const ListControl& list) {
    const int mark = list.selectionMark();
    if (mark < 0 || mark >= list.itemCount()) return nullptr;
    const std::intptr_t number = list.data(mark);
    if (number < 0 || number >= driveTableSize) return nullptr;
    return &drives[static_cast<std::size_t>(number)];
}

namespace {

constexpr Color amberColor = 0x0070C0;

// The SMART status a recalled sample stands in for.
StateLook recalledLook(SampleStatus status) {
    switch (status) {
        case SampleStatus::Caution: return {"Caution", "caution", amberColor};
        case SampleStatus::Failing: return stateLook(SmartState::FailurePredicted);
        case SampleStatus::Ok: break;
    }
    return stateLook(SmartState::Ok);
}

}  // namespace

DrivePanelTexts drivePanelTexts(const DriveRecord* drive, const HealthTable& health, const SystemMessages& messages,
                                const DriveJudgements& judged) {
    DrivePanelTexts texts{"None Selected", "...", "...", "...", "...", "..."};
    if (drive == nullptr || !hasDetails(*drive)) return texts;

    const auto number = static_cast<std::size_t>(drive->driveNumber);
    const std::optional<HealthSample>& recalled = judged.recalled[number];
    const StateLook& spf = stateLook(spfState(*drive));
    const StateLook smart = recalled ? recalledLook(recalled->status) : stateLook(smartState(*drive, health[number]));
    texts.spfStatus = spf.text;
    texts.smartStatus = smart.text;
    if (recalled) texts.smartStatus += " (" + readAgoText(judged.judgedAt - recalled->time) + ')';
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
