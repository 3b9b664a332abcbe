#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "fakes/fake_file_store.h"
#include "little_endian_bytes.h"
#include "settings/settings_record.h"

namespace kestrine {
namespace {

using testing::bytesOf;

std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return testing::le32At(bytes, offset);
}

TEST(SettingsRecordLayout, DefaultRecordHasTheFileBytes) {
    const std::vector<std::uint8_t> bytes = bytesOf(defaultSettings());
    ASSERT_EQ(bytes.size(), 272u);
    EXPECT_EQ(u32At(bytes, 0), 3u);
    EXPECT_EQ(bytes[4], 0x10);  // 272, little-endian
    EXPECT_EQ(bytes[5], 0x01);
    for (std::size_t offset = 8; offset < 32; ++offset) EXPECT_EQ(bytes[offset], 0) << offset;
    EXPECT_EQ(u32At(bytes, 32), 10u);
    for (std::size_t slot = 0; slot < 26; ++slot) {
        EXPECT_EQ(u32At(bytes, 36 + 4 * slot), 10u) << slot;
        EXPECT_EQ(u32At(bytes, 140 + 4 * slot), slot);
        EXPECT_EQ(bytes[244 + slot], 1);
    }
    EXPECT_EQ(bytes[270], 0);
    EXPECT_EQ(bytes[271], 0);
}

TEST(SettingsRecordLayout, FieldsLandAtTheirFileOffsets) {
    SettingsRecord record = defaultSettings();
    record.defaultWarningPercent = 0x01020304;
    record.warningPercent[25] = 0x0A0B0C0D;
    record.useDefault[25] = 0;
    const std::vector<std::uint8_t> bytes = bytesOf(record);
    EXPECT_EQ(bytes[32], 0x04);
    EXPECT_EQ(bytes[35], 0x01);
    EXPECT_EQ(u32At(bytes, 136), 0x0A0B0C0Du);
    EXPECT_EQ(bytes[269], 0);
}

TEST(SettingsValidation, DefaultRecordPasses) { EXPECT_TRUE(validateSettings(defaultSettings())); }

TEST(SettingsValidation, WrongVersionFails) {
    SettingsRecord record = defaultSettings();
    record.version = 2;
    EXPECT_FALSE(validateSettings(record));
}

TEST(SettingsValidation, DefaultPercentMustLieWithinOneToFifty) {
    SettingsRecord record = defaultSettings();
    for (std::uint32_t percent : {1u, 50u}) {
        record.defaultWarningPercent = percent;
        EXPECT_TRUE(validateSettings(record)) << percent;
    }
    for (std::uint32_t percent : {0u, 51u, 0xFFFFFFFFu}) {
        record.defaultWarningPercent = percent;
        EXPECT_FALSE(validateSettings(record)) << percent;
    }
}

// Every slot, A: and B: included, is tested: a bad own percent or slot index in any one fails.
TEST(SettingsValidation, EveryOwnPercentMustLieWithinOneToFifty) {
    for (int slot = 0; slot < volumeSlotCount; ++slot) {
        SettingsRecord record = defaultSettings();
        record.warningPercent[slot] = 50;
        EXPECT_TRUE(validateSettings(record)) << slot;
        for (std::uint32_t percent : {0u, 51u}) {
            record.warningPercent[slot] = percent;
            EXPECT_FALSE(validateSettings(record)) << "slot " << slot << ", " << percent;
        }
    }
}

TEST(SettingsValidation, SlotIndexOutOfPlaceFails) {
    for (int slot = 0; slot < volumeSlotCount; ++slot) {
        SettingsRecord record = defaultSettings();
        record.slotIndex[slot] = static_cast<std::uint32_t>(slot + 1);
        EXPECT_FALSE(validateSettings(record)) << slot;
    }
}

TEST(SettingsValidation, LengthReservedBytesFlagsAndPaddingAreNotTested) {
    SettingsRecord record = defaultSettings();
    record.recordLength = 999;
    record.reserved.fill(0xAB);
    record.useDefault.fill(7);
    record.padding.fill(0xFF);
    EXPECT_TRUE(validateSettings(record));
}

TEST(SettingsThresholds, EffectivePercentFollowsTheSlotFlag) {
    SettingsRecord record = defaultSettings();
    record.defaultWarningPercent = 12;
    record.warningPercent[4] = 25;
    EXPECT_EQ(effectiveWarningPercent(record, 4), 12u);
    record.useDefault[4] = 0;
    EXPECT_EQ(effectiveWarningPercent(record, 4), 25u);
}

// The record keeps what the file holds; the percent judged by stays within what a save accepts.
TEST(SettingsThresholds, StoredPercentOutOfRangeIsJudgedAtTheNearerEnd) {
    const std::pair<std::uint32_t, std::uint32_t> rows[] = {
        {0, 1}, {1, 1}, {2, 2}, {49, 49}, {50, 50}, {51, 50}, {4294967295u, 50},
    };
    SettingsRecord record = defaultSettings();
    record.useDefault[5] = 0;  // slot 4 follows the default, slot 5 has its own
    for (const auto& [stored, judged] : rows) {
        record.defaultWarningPercent = stored;
        record.warningPercent[5] = 30;
        EXPECT_EQ(storedWarningPercent(record, 4), stored);
        EXPECT_EQ(effectiveWarningPercent(record, 4), judged) << stored;
        EXPECT_EQ(effectiveWarningPercent(record, 5), 30u);
        record.defaultWarningPercent = 20;
        record.warningPercent[5] = stored;
        EXPECT_EQ(storedWarningPercent(record, 5), stored);
        EXPECT_EQ(effectiveWarningPercent(record, 5), judged) << stored;
        EXPECT_EQ(effectiveWarningPercent(record, 4), 20u);
    }
}

}  // namespace
}  // namespace kestrine
