#pragma once
// The volume panel beside the volume list, and its threshold buttons, as plain functions:
// they read the list and the volume table, change only the working settings record, and
// return what the window writes into its controls.
#include <cstdint>
#include <optional>
#include <string>

#include "settings/message_sink.h"
#include "settings/settings_record.h"
#include "ui/list_control.h"
#include "volumes/volume_table.h"

namespace kestrine {

struct VolumePanelView {
    std::string letterText = "..";    // 1014: the first two characters of the item text
    std::string percentText = "...";  // 1015
    std::string freeText = "...";     // 1016
    std::string totalText = "...";    // 1017
    bool usesOwnPercent = true;       // 1012: ticked when the volume uses its own percent
    std::uint32_t shownPercent = 0;   // 1023
};

// True for the slots 0..25; any other value shows "BadVolumeID".
bool isValidVolumeIndex(std::intptr_t slot, MessageSink& messages);

// What the panel shows for the list's selection mark (not the selected state). A mark
// outside the list's items counts as no mark, here and in the buttons and the check box.
VolumePanelView volumePanelView(const ListControl& list, const VolumeTable& table, const SettingsRecord& settings,
                                MessageSink& messages);

// The four arrow buttons. Each returns the new value to show (1020 for the default, 1023
// for the marked volume's own percent), or nothing when the value did not change. The
// default stays within 1..20 and an own percent within 1..30; a value brought in outside
// that range can only move towards it.
std::optional<std::uint32_t> lowerDefaultWarningPercent(SettingsRecord& settings);
std::optional<std::uint32_t> raiseDefaultWarningPercent(SettingsRecord& settings);
std::optional<std::uint32_t> lowerVolumeWarningPercent(SettingsRecord& settings, const ListControl& list,
                                                       MessageSink& messages);
std::optional<std::uint32_t> raiseVolumeWarningPercent(SettingsRecord& settings, const ListControl& list,
                                                       MessageSink& messages);

// The check box after a click toggled it: ticked makes the marked volume use its own
// percent. Nothing marked, or an item that is no slot, changes nothing.
void toggleVolumeUsesOwnPercent(SettingsRecord& settings, const ListControl& list, bool boxTicked);

}  // namespace kestrine
