#pragma once
// The " Disk Properties " panel: the six texts and two colours for the marked drive.
#include <cstdint>
#include <string>

#include "probe/device_port.h"
#include "probe/drive_health.h"
#include "probe/drive_record.h"
#include "probe/drive_texts.h"
#include "refresh/history_recording.h"
#include "ui/list_control.h"

namespace kestrine {

struct DrivePanelTexts {
    std::string name;            // 1007
    std::string serial;          // 1008
    std::string bus;             // 1004
    std::string fixedRemovable;  // 1005
    std::string spfStatus;       // 1002
    std::string smartStatus;     // 1003
    // False: reset both status labels to the window-text colour. True: use the two below.
    bool stateColors = false;
    std::uint32_t spfColor = 0;  // a Color
    std::uint32_t smartColor = 0;
};

// The record behind the list's selection mark, or null when there is no mark or the entry's
// item data is not a drive number.
const DriveRecord* markedDrive(const DriveTable& drives, const ListControl& list);

// Texts for `drive` (null: nothing marked), a record of the drive table whose health entry is
// the one of its number in `health`. A drive without details shows "None Selected"
// and "..."; a drive whose identity query failed shows "Cannot Read - " and the system
// message in serial, bus and fixed/removable.
// A drive judged by a recalled sample shows that sample's status with its age as its SMART
// status: "Ok (read 3 hours ago)", "Caution (read 2 days ago)".
DrivePanelTexts drivePanelTexts(const DriveRecord* drive, const HealthTable& health, const SystemMessages& messages,
                                const DriveJudgements& judged = {});

}  // namespace kestrine
