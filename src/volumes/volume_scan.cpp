#include "volumes/volume_scan.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace kestrine {

namespace {

// A volume reporting no size has no meaningful percent: it shows 0.0 and is in warning.
double percentFreeOf(const VolumeSpace& space) {
    if (space.totalBytes <= 0) return 0.0;
    return static_cast<double>(space.freeBytes) / static_cast<double>(space.totalBytes) * 100.0;
}

}  // namespace

std::string volumeName(int slot) { return std::string(1, static_cast<char>('A' + slot)) + ':'; }

std::string percentDown(double percent, int decimals) {
    if (std::isnan(percent)) return "NaN";
    if (std::isinf(percent)) return percent > 0 ? "+Inf" : "-Inf";
    char text[400];  // room for any double the caller hands in
    std::snprintf(text, sizeof text, "%.6f", percent);
    std::string shown = text;
    shown.resize(shown.find('.') + (decimals > 0 ? 1 + static_cast<std::size_t>(decimals) : 0));
    return shown;
}

std::string volumeBelowLimitText(int slot, double percentFree, std::uint32_t limit) {
    return volumeName(slot) + ' ' + percentDown(percentFree, 1) + " % free, below " + std::to_string(limit) + " %";
}

std::string volumePercentText(double percentFree) {
    char text[400];  // room for any double the caller hands in, not only 0 to 100
    std::snprintf(text, sizeof text, "%3.1f %%", percentFree);
    return text;
}

std::string volumeItemText(int slot, double percentFree, const std::string& label) {
    char number[32];
    std::snprintf(number, sizeof number, "%4.1f", percentFree);
    std::string text = volumeName(slot);
    text.reserve(std::strlen(number) + label.size() + 16);  // with the words and brackets
    text.append(" ").append(number).append("% Free ");
    if (!label.empty()) text.append("(").append(label).append(")");
    return text;
}

VolumeScanResult scanVolumes(VolumeSource& source, const SettingsRecord& thresholds, VolumeTable& table) {
    VolumeScanResult result;
    const std::uint32_t mask = source.logicalDrives();
    if (mask == 0) return result;
    result.answered = true;
    result.verdicts.reserve(static_cast<std::size_t>(volumeSlotCount - firstScannedSlot));
    for (int slot = firstScannedSlot; slot < volumeSlotCount; ++slot) {
        VolumeVerdict& verdict = result.verdicts.emplace_back();
        verdict.slot = slot;
        const std::string root = volumeName(slot) + '\\';
        VolumeSpace space;
        if ((mask & (1u << slot)) == 0 || !source.freeSpace(root, space)) continue;
        verdict.present = true;
        if (!source.label(root, verdict.label)) verdict.label.clear();

        const double percentFree = percentFreeOf(space);
        verdict.warningPercent = effectiveWarningPercent(thresholds, slot);
        verdict.inWarning = space.totalBytes <= 0 || percentFree < static_cast<double>(verdict.warningPercent);
        table[slot] = {space.totalBytes, space.freeBytes, percentFree};
        if (verdict.inWarning) ++result.warningCount;
    }
    return result;
}

}  // namespace kestrine
