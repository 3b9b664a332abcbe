#include "settings/settings_record.h"

#include <algorithm>
#include <cstring>

namespace kestrine {

namespace {
constexpr std::uint32_t defaultPercent = 10;

bool storablePercent(std::uint32_t percent) {
    return percent >= lowestWarningPercent && percent <= highestWarningPercent;
}
}  // namespace

SettingsRecord defaultSettings() {
    SettingsRecord record;
    std::memset(&record, 0, sizeof record);
    record.version = settingsVersion;
    record.recordLength = settingsRecordSize;
    record.defaultWarningPercent = defaultPercent;
    for (int slot = 0; slot < volumeSlotCount; ++slot) {
        record.warningPercent[slot] = defaultPercent;
        record.slotIndex[slot] = static_cast<std::uint32_t>(slot);
        record.useDefault[slot] = 1;
    }
    return record;
}

bool validateSettings(const SettingsRecord& record) {
    if (record.version != settingsVersion || !storablePercent(record.defaultWarningPercent)) return false;
    for (int slot = 0; slot < volumeSlotCount; ++slot) {
        if (record.slotIndex[slot] != static_cast<std::uint32_t>(slot)) return false;
        if (!storablePercent(record.warningPercent[slot])) return false;
    }
    return true;
}

bool sameSettings(const SettingsRecord& a, const SettingsRecord& b) {
    return std::memcmp(&a, &b, sizeof(SettingsRecord)) == 0;
}

std::uint32_t storedWarningPercent(const SettingsRecord& record, int slot) {
    return record.useDefault[slot] != 0 ? record.defaultWarningPercent : record.warningPercent[slot];
}

std::uint32_t effectiveWarningPercent(const SettingsRecord& record, int slot) {
    return std::clamp(storedWarningPercent(record, slot), lowestWarningPercent, highestWarningPercent);
}

}  // namespace kestrine
