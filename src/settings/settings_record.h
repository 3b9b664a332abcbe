#pragma once
// The 272-byte settings record, in memory exactly as in the file: little-endian integers at
// fixed offsets, no implicit padding, so it is compared and copied as one block of bytes.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "settings/volume_slots.h"

namespace kestrine {

inline constexpr std::uint32_t settingsVersion = 3;
inline constexpr std::size_t settingsRecordSize = 272;

struct SettingsRecord {
    std::uint32_t version;
    std::uint32_t recordLength;
    std::array<std::uint8_t, 24> reserved;  // never interpreted, carried from load to save
    std::uint32_t defaultWarningPercent;
    std::array<std::uint32_t, volumeSlotCount> warningPercent;
    std::array<std::uint32_t, volumeSlotCount> slotIndex;  // slot i holds i: a consistency marker
    std::array<std::uint8_t, volumeSlotCount> useDefault;  // nonzero: the slot follows the default
    std::array<std::uint8_t, 2> padding;
};

// The file stores integers little-endian; the record is the file's image only on such hosts.
static_assert(std::endian::native == std::endian::little);
static_assert(std::is_standard_layout_v<SettingsRecord> && std::is_trivially_copyable_v<SettingsRecord>);
static_assert(sizeof(SettingsRecord) == settingsRecordSize);
static_assert(offsetof(SettingsRecord, version) == 0);
static_assert(offsetof(SettingsRecord, recordLength) == 4);
static_assert(offsetof(SettingsRecord, reserved) == 8);
static_assert(offsetof(SettingsRecord, defaultWarningPercent) == 32);
static_assert(offsetof(SettingsRecord, warningPercent) == 36);
static_assert(offsetof(SettingsRecord, slotIndex) == 140);
static_assert(offsetof(SettingsRecord, useDefault) == 244);
static_assert(offsetof(SettingsRecord, padding) == 270);

// Version 3, length 272, zero reserved bytes, every percent 10, slot indexes 0..25, every
// slot following the default.
SettingsRecord defaultSettings();

// The test before writing: version 3, every slot index in place, default and own percents
// within 1..50. The length, reserved bytes, flags and padding are not looked at.
bool validateSettings(const SettingsRecord& record);

bool sameSettings(const SettingsRecord& a, const SettingsRecord& b);

// The range of warning percents a save accepts.
inline constexpr std::uint32_t lowestWarningPercent = 1;
inline constexpr std::uint32_t highestWarningPercent = 50;

// The percent the record holds for a slot: the default when its flag is set, else its own;
// as read from the file, so possibly outside the range a save accepts.
std::uint32_t storedWarningPercent(const SettingsRecord& record, int slot);

// The percent a slot is judged by: its stored percent, brought to the nearer end of the range
// a save accepts, so that a file cannot set what the buttons cannot (0 would never warn).
std::uint32_t effectiveWarningPercent(const SettingsRecord& record, int slot);

}  // namespace kestrine
