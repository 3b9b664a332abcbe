#pragma once
// Brings the drive list in line with the drive table after a probe.
#include "probe/drive_health.h"
#include "probe/drive_record.h"
#include "refresh/history_recording.h"
#include "ui/list_control.h"

namespace kestrine {

// A drive's picture in the status strip: the triangle for a failing verdict, the caution
// picture for one in caution, else the level of its failure verdicts; a drive judged by a
// recalled sample, whose own verdicts could not be read, shows that sample's status.
int driveImage(const DriveRecord& drive, const DriveHealth& health, const DriveVerdict& verdict, bool recalled);

// One entry per listed drive, keyed by its drive number in the item data, with the drive's
// label as text and its picture (driveImage, from its record, health entry and judgement) as image. New drives are appended; an entry whose
// label differs after a successful identity query (another device at that number) is
// renamed, while a failing identity query leaves the text alone; an entry whose drive is no
// longer listed (unplugged) is removed. Texts and images are written only when they differ.
// When the list was empty, each insertion selects the first entry.
void refillDriveList(const DriveTable& drives, const HealthTable& health, ListControl& list,
                     const DriveJudgements& judged = {});

}  // namespace kestrine
