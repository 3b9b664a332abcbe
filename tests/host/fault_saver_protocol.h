#pragma once
// What kestrine_fault_saver.exe and the crash-safety test agree on: the two records the
// saver writes in turn, and the block of counters it keeps for the test to read after a kill.
#include <cstdint>

#include "settings/settings_record.h"

namespace kestrine::faults {

// The two records differ in every threshold and reserved byte, so a file mixed from both
// (or from either and a default record) matches neither.
inline SettingsRecord saverRecord(int which) {
    SettingsRecord record = defaultSettings();
    const std::uint32_t percent = which == 0 ? 5 : 15;
    record.defaultWarningPercent = percent;
    record.warningPercent.fill(percent + 1);
    record.reserved.fill(which == 0 ? 0xA5 : 0x5A);
    record.useDefault.fill(static_cast<std::uint8_t>(which));
    return record;
}

// The named block the test creates and passes by name; each field is written only by the
// saver and read by the test once the saver has ended. Volatile, so that every store lands
// in the block in program order and a kill finds the fields as they were at that moment.
struct SaverCounters {
    volatile std::int32_t inSave;       // 1 from just before a save until it returned
    volatile std::int32_t savesDone;    // saves that returned success
    volatile std::int32_t savesFailed;  // saves that returned failure
    volatile std::int32_t loadsFailed;  // loads that found no valid record in the file
};

}  // namespace kestrine::faults
