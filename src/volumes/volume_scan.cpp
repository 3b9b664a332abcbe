#include "volumes/volume_scan.h"

#include <cstdio>

namespace kestrine {

namespace {

std::string letterOf(int slot) { return std::string(1, static_cast<char>('A' + slot)) + ':'; }

void removeItemOf(ListControl& list, int slot) {
    const int index = list.findByData(slot);
    if (index >= 0) list.remove(index);
}

struct Judgement {
    double percentFree;
    bool inWarning;
};

// A volume reporting no size has no meaningful percent: it shows 0.0 and is in warning.
Judgement judge(const VolumeSpace& space, std::uint32_t limit) {
    if (space.totalBytes <= 0) return {0.0, true};
    const double percent =
        static_cast<double>(space.freeBytes) / static_cast<double>(space.totalBytes) * 100.0;
    return {percent, percent < static_cast<double>(limit)};
}

}  // namespace

std::string volumeItemText(int slot, double percentFree, const std::string& label) {
    char number[32];
    std::snprintf(number, sizeof number, "%4.1f", percentFree);
    std::string text = letterOf(slot) + ' ' + number + "% Free ";
    if (!label.empty()) text += '(' + label + ')';
    return text;
}

int scanVolumes(VolumeSource& source, ListControl& list, const SettingsRecord& thresholds,
                VolumeTable& table, const std::function<void()>& updateVolumePanel) {
    const std::uint32_t mask = source.logicalDrives();
    if (mask == 0) return 0;  // no answer at all: better to keep the list as it is
    const bool startedEmpty = list.itemCount() == 0;
    int warnings = 0;
    for (int slot = kFirstScannedSlot; slot < kVolumeSlotCount; ++slot) {
        const std::string root = letterOf(slot) + '\\';
        VolumeSpace space;
        if ((mask & (1u << slot)) == 0 || !source.freeSpace(root, space)) {
            removeItemOf(list, slot);
            continue;
        }
        std::string label;
        if (!source.label(root, label)) label.clear();

        const Judgement judgement = judge(space, effectiveWarningPercent(thresholds, slot));
        table[slot] = {space.totalBytes, space.freeBytes, judgement.percentFree};
        if (judgement.inWarning) ++warnings;

        const std::string text = volumeItemText(slot, judgement.percentFree, label);
        const int image = judgement.inWarning ? kVolumeWarningImage : kVolumeOkImage;
        const int index = list.findByData(slot);
        if (index >= 0) {
            // Rewrite only what changed, so a scan does not make the list flicker.
            if (list.image(index) != image) list.setImage(index, image);
            if (list.text(index) != text) list.setText(index, text);
        } else if (list.insert(list.itemCount(), text, image, slot) >= 0 && startedEmpty) {
            list.setSelectionMark(0);
            list.selectAndFocus(0);
            if (updateVolumePanel) updateVolumePanel();
        }
    }
    return warnings;
}

}  // namespace kestrine
