#include "ui/volume_panel.h"

#include "volumes/byte_size.h"
#include "volumes/volume_scan.h"

namespace kestrine {

namespace {

constexpr std::uint32_t lowestPercent = 1;
constexpr std::uint32_t highestDefaultPercent = 20;
constexpr std::uint32_t highestOwnPercent = 30;

std::optional<std::uint32_t> stepDown(std::uint32_t& percent) {
    if (percent <= lowestPercent) return std::nullopt;
    return --percent;
}

std::optional<std::uint32_t> stepUp(std::uint32_t& percent, std::uint32_t highest) {
    if (percent >= highest) return std::nullopt;
    return ++percent;
}

// The marked item, or -1 when nothing is marked. List views differ on whether deleting an
// item moves the mark, so a mark left at or past the end counts as no mark.
int markedItem(const ListControl& list) {
    const int mark = list.selectionMark();
    return mark >= 0 && mark < list.itemCount() ? mark : -1;
}

// The slot of the marked item, or nothing when no item is marked or (after telling the user)
// when the item's data is not a slot.
std::optional<int> markedSlot(const ListControl& list, MessageSink& messages) {
    const int mark = markedItem(list);
    if (mark == -1) return std::nullopt;
    const std::intptr_t slot = list.data(mark);
    if (!isValidVolumeIndex(slot, messages)) return std::nullopt;
    return static_cast<int>(slot);
}

}  // namespace

bool isValidVolumeIndex(std::intptr_t slot, MessageSink& messages) {
    if (isVolumeSlot(slot)) return true;
    messages.show("BadVolumeID");
    return false;
}

VolumePanelView volumePanelView(const ListControl& list, const VolumeTable& table, const SettingsRecord& settings,
                                MessageSink& messages) {
    VolumePanelView view;
    view.shownPercent = settings.defaultWarningPercent;
    const int mark = markedItem(list);
    if (mark == -1) return view;

    view.letterText = list.text(mark).substr(0, 2);
    const std::intptr_t slot = list.data(mark);
    if (!isValidVolumeIndex(slot, messages)) return view;
    const VolumeEntry& entry = table[static_cast<std::size_t>(slot)];
    view.totalText = formatByteSize(entry.totalBytes);
    view.freeText = formatByteSize(entry.freeBytes);
    view.percentText = volumePercentText(entry.percentFree);
    view.shownPercent = settings.warningPercent[slot];
    view.usesOwnPercent = settings.useDefault[slot] == 0;
    return view;
}

std::optional<std::uint32_t> lowerDefaultWarningPercent(SettingsRecord& settings) {
    return stepDown(settings.defaultWarningPercent);
}

std::optional<std::uint32_t> raiseDefaultWarningPercent(SettingsRecord& settings) {
    return stepUp(settings.defaultWarningPercent, highestDefaultPercent);
}

std::optional<std::uint32_t> lowerVolumeWarningPercent(SettingsRecord& settings, const ListControl& list,
                                                       MessageSink& messages) {
    const std::optional<int> slot = markedSlot(list, messages);
    if (!slot) return std::nullopt;
    return stepDown(settings.warningPercent[*slot]);
}

std::optional<std::uint32_t> raiseVolumeWarningPercent(SettingsRecord& settings, const ListControl& list,
                                                       MessageSink& messages) {
    const std::optional<int> slot = markedSlot(list, messages);
    if (!slot) return std::nullopt;
    return stepUp(settings.warningPercent[*slot], highestOwnPercent);
}

void toggleVolumeUsesOwnPercent(SettingsRecord& settings, const ListControl& list, bool boxTicked) {
    const int mark = markedItem(list);
    if (mark == -1) return;
    const std::intptr_t slot = list.data(mark);
    if (!isVolumeSlot(slot)) return;
    settings.useDefault[static_cast<std::size_t>(slot)] = boxTicked ? 0 : 1;
}

}  // namespace kestrine
