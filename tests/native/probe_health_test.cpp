#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/health_replies.h"
#include "history/health_sample.h"
#include "probe/attribute_names.h"
#include "probe/drive_health.h"
#include "probe/health_layouts.h"
#include "probe/nvme_log.h"

namespace kestrine {
namespace {

using testing::AttributeRow;
using testing::putLe32;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t preFailure = 0x0003;  // pre-failure and online
constexpr std::uint16_t advisory = 0x0032;

DriveHealth ataFrom(const Bytes& data, const Bytes& thresholds) {
    DriveHealth health = ataHealth(data.data(), data.size());
    applyAtaThresholds(health, thresholds.data(), thresholds.size());
    return health;
}

DriveHealth ataFrom(const std::vector<AttributeRow>& rows) {
    return ataFrom(testing::smartDataReply(rows), testing::smartThresholdsReply(rows));
}

DriveHealth nvmeFrom(const Bytes& reply) { return nvmeHealth(reply.data(), reply.size()); }

TemperatureReading temperatureFrom(const Bytes& reply) { return temperatureReading(reply.data(), reply.size()); }

// --- requests ---------------------------------------------------------------------------

TEST(HealthRequests, SmartReadCommandsAskForOneSectorOfTheDrive) {
    for (const std::uint8_t feature : {device::smartRead::readAttributes, device::smartRead::readThresholds}) {
        const device::SmartCommand command = device::makeSmartReadCommand(260, feature);
        Bytes expected(33, 0);
        expected[1] = 0x02;     // cBufferSize 512
        expected[4] = feature;  // 0xD0 or 0xD1
        expected[5] = 1;        // sector count
        expected[6] = 1;        // sector number
        expected[7] = 0x4F;
        expected[8] = 0xC2;
        expected[10] = 0xB0;
        expected[12] = 4;  // low eight bits of 260
        EXPECT_EQ(Bytes(command.begin(), command.end()), expected) << int{feature};
    }
    EXPECT_EQ(device::smartRead::readAttributes, 0xD0);
    EXPECT_EQ(device::smartRead::readThresholds, 0xD1);
    EXPECT_EQ(device::smartRead::replySize, 528u);
}

TEST(HealthRequests, NvmeQueryAsksForTheHealthLogBehindTheProtocolData) {
    const device::NvmeHealthQuery query = device::makeNvmeHealthQuery();
    Bytes expected(560, 0);
    putLe32(expected, 0, 50);   // StorageDeviceProtocolSpecificProperty; PropertyStandardQuery 0
    putLe32(expected, 8, 3);    // ProtocolTypeNvme
    putLe32(expected, 12, 2);   // NVMeDataTypeLogPage
    putLe32(expected, 16, 2);   // log page 2
    putLe32(expected, 24, 40);  // ProtocolDataOffset: right behind the protocol data
    putLe32(expected, 28, 512);
    EXPECT_EQ(Bytes(query.begin(), query.end()), expected);
}

TEST(HealthRequests, TemperatureQueryIsTheStandardQueryForItsProperty) {
    const device::PropertyQuery query = device::makeTemperatureQuery();
    Bytes expected(12, 0);
    expected[0] = 52;  // StorageDeviceTemperatureProperty
    EXPECT_EQ(Bytes(query.begin(), query.end()), expected);
}

// --- ATA SMART ----------------------------------------------------------------------------

TEST(AtaHealth, HealthySsdGivesItsAttributesNamedAndDecoded) {
    const DriveHealth health = ataFrom({
        {5, preFailure, 100, 100, 0, 10},
        {9, advisory, 99, 99, 0x0000'0001'0000'1F40, 0},  // 8000 hours in the low 32 bits
        {12, advisory, 99, 99, 431, 0},
        {177, preFailure, 98, 98, 0x0123'4567'89AB, 5},
        {194, advisory, 67, 52, 0x0032'0014'0021, 0},  // 33 now, min and max above
        {241, advisory, 100, 100, 0xFFFF'FFFF'FFFF, 0},
    });
    ASSERT_EQ(health.source, HealthSource::AtaSmart);
    EXPECT_EQ(health.unavailableReason, "");
    EXPECT_EQ(health.ata.thresholdsUnavailableReason, "");
    ASSERT_EQ(health.ata.attributes.size(), 6u);
    const AtaAttribute& wear = health.ata.attributes[3];
    EXPECT_EQ(wear.id, 177);
    EXPECT_EQ(wear.name, "Wear Leveling Count");
    EXPECT_EQ(wear.flags, preFailure);
    EXPECT_EQ(wear.current, 98);
    EXPECT_EQ(wear.worst, 98);
    EXPECT_EQ(wear.threshold, 5);
    EXPECT_TRUE(wear.hasThreshold);
    EXPECT_EQ(wear.raw, 0x0123'4567'89ABu);
    EXPECT_TRUE(wear.preFailure);
    EXPECT_FALSE(wear.failingNow);
    EXPECT_EQ(health.ata.attributes[5].raw, 0xFFFF'FFFF'FFFFu);
    EXPECT_FALSE(health.ata.attributes[1].preFailure);
    EXPECT_EQ(health.ata.temperatureCelsius, 33);
    EXPECT_EQ(health.ata.powerOnHours, 8000u);
    EXPECT_FALSE(isHealthCritical(health));
}

TEST(AtaHealth, DiskWithTooManyReallocatedSectorsIsFailingNow) {
    const DriveHealth health = ataFrom({
        {1, preFailure, 200, 200, 0, 51},
        {5, preFailure, 36, 36, 1864, 36},
        {197, advisory, 200, 200, 12, 0},
    });
    ASSERT_EQ(health.source, HealthSource::AtaSmart);
    ASSERT_EQ(health.ata.attributes.size(), 3u);
    EXPECT_EQ(health.ata.attributes[1].name, "Reallocated Sectors Count");
    EXPECT_TRUE(health.ata.attributes[1].failingNow);
    EXPECT_FALSE(health.ata.attributes[0].failingNow);
    EXPECT_FALSE(health.ata.attributes[2].failingNow);
    EXPECT_FALSE(health.ata.temperatureCelsius.has_value());
    EXPECT_FALSE(health.ata.powerOnHours.has_value());
    EXPECT_TRUE(isHealthCritical(health));
}

// Only values from 1 to 253 are judged: 0, 254 and 255 are markers, not values.
TEST(AtaHealth, FailingNowNeedsPreFailureAThresholdAndCurrentAtOrBelowIt) {
    struct Row {
        std::uint16_t flags;
        std::uint8_t current;
        std::uint8_t threshold;
        bool failing;
        std::uint8_t worst = 0;  // 0: as current
        bool failedInPast = false;
    } rows[] = {
        {0x0001, 10, 10, true, 0, true},
        {0x0001, 9, 10, true, 0, true},
        {0x0001, 11, 10, false},
        {0x0001, 0, 0, false},
        {0x0000, 5, 10, false},
        {0xFFFE, 5, 10, false},
        {0xFFFF, 0, 1, false},      // a value of 0 under a threshold
        {0x0001, 255, 255, false},  // both markers
        {0x0001, 254, 255, false},
        {0x0001, 1, 0, false},
        {0x0001, 1, 1, true, 0, true},
        {0x0001, 253, 253, true, 0, true},
        {0x0001, 100, 254, false},  // threshold "never fails"
        {0x0001, 100, 255, false},
        {0x0001, 254, 253, false, 254},
        {0x0001, 100, 36, false, 30, true},  // failed once, recovered
        {0x0001, 100, 36, false, 36, true},
        {0x0001, 100, 36, false, 37, false},
        {0x0000, 100, 36, false, 30, false},  // advisory
        {0x0001, 30, 36, true, 255, false},   // worst a marker
        {0x0001, 100, 0, false, 1, false},
    };
    for (const Row& row : rows) {
        const std::uint8_t worst = row.worst != 0 ? row.worst : row.current;
        const DriveHealth health = ataFrom({{5, row.flags, row.current, worst, 0, row.threshold}});
        ASSERT_EQ(health.ata.attributes.size(), 1u);
        EXPECT_EQ(health.ata.attributes[0].failingNow, row.failing)
            << "flags " << row.flags << " current " << int{row.current} << " threshold " << int{row.threshold};
        EXPECT_EQ(health.ata.attributes[0].failedInPast, row.failedInPast)
            << "flags " << row.flags << " worst " << int{worst} << " threshold " << int{row.threshold};
        EXPECT_EQ(isHealthCritical(health), row.failing);
    }
    EXPECT_FALSE(isJudgeable(0));
    EXPECT_TRUE(isJudgeable(1));
    EXPECT_TRUE(isJudgeable(253));
    EXPECT_FALSE(isJudgeable(254));
    EXPECT_FALSE(isJudgeable(255));
}

TEST(AtaHealth, ZeroIdEntriesAreSkippedWhereverTheyStand) {
    const DriveHealth health =
        ataFrom({{0, preFailure, 1, 1, 99, 50}, {5, preFailure, 100, 100, 0, 10}, {}, {9, 0, 1, 1, 7, 0}});
    ASSERT_EQ(health.ata.attributes.size(), 2u);
    EXPECT_EQ(health.ata.attributes[0].id, 5);
    EXPECT_EQ(health.ata.attributes[1].id, 9);
    EXPECT_FALSE(isHealthCritical(health));  // the zero-id entry would be failing
}

TEST(AtaHealth, ThresholdsAreMatchedByIdNotByPosition) {
    const Bytes data =
        testing::smartDataReply({{5, preFailure, 20, 20, 0, 0}, {10, preFailure, 100, 100, 0, 0}, {7, 0, 1, 1, 0, 0}});
    // The threshold sector lists 10 first, 5 twice (the first one counts) and nothing for 7.
    const Bytes thresholds =
        testing::smartThresholdsReply({{10, 0, 0, 0, 0, 97}, {5, 0, 0, 0, 0, 36}, {5, 0, 0, 0, 0, 3}});
    const DriveHealth health = ataFrom(data, thresholds);
    ASSERT_EQ(health.ata.attributes.size(), 3u);
    EXPECT_EQ(health.ata.attributes[0].threshold, 36);
    EXPECT_TRUE(health.ata.attributes[0].failingNow);
    EXPECT_EQ(health.ata.attributes[1].threshold, 97);
    EXPECT_FALSE(health.ata.attributes[1].failingNow);
    EXPECT_EQ(health.ata.attributes[2].threshold, 0);
    EXPECT_FALSE(health.ata.attributes[2].hasThreshold);
}

TEST(AtaHealth, TemperatureComesFrom194ElseFrom190) {
    EXPECT_EQ(ataFrom({{190, 0, 60, 40, 0x2A'28, 0}, {194, 0, 30, 20, 0x1E'FF'25, 0}}).ata.temperatureCelsius, 37);
    EXPECT_EQ(ataFrom({{190, 0, 60, 40, 0x2A'28, 0}}).ata.temperatureCelsius, 40);
    EXPECT_EQ(ataFrom({{9, 0, 1, 1, 0xFFFF'0000'5678, 0}}).ata.powerOnHours, 0x5678u);
}

// A raw value that cannot be the quantity it usually counts is unknown, never a huge number.
TEST(AtaHealth, RawValuesAreReadAsTheyMeanOrAreUnknown) {
    using Counts = std::optional<std::uint32_t>;
    struct Row {
        const char* what;
        std::vector<AttributeRow> rows;
        std::optional<int> temperature;
        Counts hours = std::nullopt;
        Counts reallocated = std::nullopt;
        Counts pending = std::nullopt;
        Counts uncorrectable = std::nullopt;
        Counts reported = std::nullopt;
    } rows[] = {
        {"plain counts",
         {{5, preFailure, 90, 90, 8, 10},
          {9, advisory, 90, 90, 41000, 0},
          {187, advisory, 97, 97, 3, 0},
          {194, advisory, 60, 40, 40, 0},
          {197, advisory, 100, 100, 2, 0},
          {198, advisory, 100, 100, 1, 0}},
         40,
         41000u,
         8u,
         2u,
         1u,
         3u},
        {"upper bytes set in every count",
         {{5, preFailure, 100, 100, 0x07D0'0000'0000, 10},  // 8589934592000 as one number
          {187, advisory, 100, 100, 0x0001'0000'0000, 0},
          {197, advisory, 100, 100, 0x6D4C'0000'0002, 0},  // 120173136838658
          {198, advisory, 100, 100, 0xFFFF'FFFF'FFFF, 0}},
         std::nullopt,
         std::nullopt,
         std::nullopt,
         std::nullopt,
         std::nullopt,
         std::nullopt},
        {"largest count with the upper bytes clear",
         {{5, preFailure, 100, 100, 0xFFFF'FFFF, 10}},
         std::nullopt,
         std::nullopt,
         0xFFFF'FFFFu,
         std::nullopt,
         std::nullopt,
         std::nullopt},
        {"63 years of power-on hours", {{9, advisory, 100, 100, 557429, 0}}, std::nullopt, std::nullopt},
        {"30 years exactly", {{9, advisory, 100, 100, 262800, 0}}, std::nullopt, 262800u},
        {"one hour past 30 years", {{9, advisory, 100, 100, 262801, 0}}, std::nullopt, std::nullopt},
        {"power-on minutes in the upper bytes", {{9, advisory, 100, 100, 0x0025'0000'0010, 0}}, std::nullopt, 16u},
        {"0 C in 194, none in 190", {{194, advisory, 100, 100, 0x1E'00, 0}}, std::nullopt},
        {"0 C in 194, 39 C in 190", {{190, advisory, 61, 50, 39, 0}, {194, advisory, 100, 100, 0, 0}}, 39},
        {"126 C in 194, 0 in 190", {{190, advisory, 100, 100, 0, 0}, {194, advisory, 100, 100, 126, 0}}, std::nullopt},
        {"126 C in 194, 38 C in 190", {{190, advisory, 62, 50, 38, 0}, {194, advisory, 100, 100, 126, 0}}, 38},
        {"125 C and 1 C are temperatures", {{194, advisory, 100, 100, 125, 0}}, 125},
        {"1 C", {{190, advisory, 100, 100, 0xFF01, 0}}, 1},
        {"255 in the low byte", {{194, 0, 30, 20, 0xFF, 0}}, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const DriveHealth health = ataFrom(row.rows);
        EXPECT_EQ(health.ata.temperatureCelsius, row.temperature);
        EXPECT_EQ(health.ata.powerOnHours, row.hours);
        EXPECT_EQ(health.ata.reallocatedSectors, row.reallocated);
        EXPECT_EQ(health.ata.pendingSectors, row.pending);
        EXPECT_EQ(health.ata.uncorrectableSectors, row.uncorrectable);
        EXPECT_EQ(health.ata.reportedUncorrectableErrors, row.reported);
        EXPECT_EQ(health.ata.attributes.size(), row.rows.size()) << "the attribute table keeps every raw value";
        for (std::size_t i = 0; i < row.rows.size(); ++i) EXPECT_EQ(health.ata.attributes[i].raw, row.rows[i].raw);
    }
}

// A reply that cannot be read leaves the source none, or the thresholds unmatched, with a reason.
TEST(AtaHealth, UnusableDataRepliesGiveNoSourceAndAReason) {
    const Bytes good = testing::smartDataReply({{5, preFailure, 100, 100, 0, 10}});
    Bytes driverError = good;
    driverError[device::smartRead::driverError] = 3;
    driverError[device::smartRead::ideError] = 0x04;
    const struct {
        Bytes reply;
        std::size_t returned;
        std::string reason;
    } rows[] = {
        {good, 527, "the SMART data reply holds 527 of 528 bytes"},
        {good, 16, "the SMART data reply holds 16 of 528 bytes"},
        {good, 0, "the SMART data reply holds 0 of 528 bytes"},
        {driverError, 528, "the driver reported SMART error 3 (drive error 4)"},
        {testing::smartDataReply({}), 528, "the SMART data holds no attribute"},
        {testing::smartDataReply({{0, preFailure, 1, 1, 1, 1}}), 528, "the SMART data holds no attribute"},
    };
    for (const auto& row : rows) {
        const DriveHealth health = ataHealth(row.reply.data(), row.returned);
        EXPECT_EQ(health.source, HealthSource::None) << row.reason;
        EXPECT_EQ(health.unavailableReason, row.reason);
        EXPECT_TRUE(health.ata.attributes.empty()) << row.reason;
        EXPECT_FALSE(isHealthCritical(health));
    }
    EXPECT_EQ(ataHealth(nullptr, 528).unavailableReason, "the SMART data reply holds 0 of 528 bytes");
}

TEST(AtaHealth, UnusableThresholdRepliesLeaveTheAttributesWithoutThresholds) {
    const std::vector<AttributeRow> failing = {{5, preFailure, 36, 36, 1864, 36}};
    const Bytes thresholds = testing::smartThresholdsReply(failing);
    Bytes driverError = thresholds;
    driverError[device::smartRead::driverError] = 1;
    const struct {
        const std::uint8_t* data;
        std::size_t returned;
        std::string reason;
    } rows[] = {
        {thresholds.data(), 100, "the SMART thresholds reply holds 100 of 528 bytes"},
        {nullptr, 0, "the SMART thresholds reply holds 0 of 528 bytes"},
        {driverError.data(), 528, "the driver reported SMART error 1 (drive error 0)"},
    };
    for (const auto& row : rows) {
        const Bytes data = testing::smartDataReply(failing);
        DriveHealth health = ataHealth(data.data(), data.size());
        applyAtaThresholds(health, row.data, row.returned);
        EXPECT_EQ(health.source, HealthSource::AtaSmart);
        EXPECT_EQ(health.ata.thresholdsUnavailableReason, row.reason);
        ASSERT_EQ(health.ata.attributes.size(), 1u);
        EXPECT_FALSE(health.ata.attributes[0].hasThreshold);
        EXPECT_FALSE(health.ata.attributes[0].failingNow);
        EXPECT_EQ(health.ata.attributes[0].raw, 1864u);
    }
}

TEST(AtaHealth, ThresholdsDoNotTouchAHealthWithoutAttributes) {
    DriveHealth health = ataHealth(nullptr, 0);
    const Bytes thresholds = testing::smartThresholdsReply({{5, 0, 0, 0, 0, 36}});
    applyAtaThresholds(health, thresholds.data(), thresholds.size());
    EXPECT_EQ(health.source, HealthSource::None);
    EXPECT_TRUE(health.ata.attributes.empty());
    EXPECT_EQ(health.ata.thresholdsUnavailableReason, "");
}

TEST(AtaHealth, WellKnownIdsHaveNamesAndOthersNone) {
    for (const int id : {1, 5, 9, 10, 12, 177, 187, 188, 190, 194, 196, 197, 198, 199, 231, 233, 241, 242})
        EXPECT_FALSE(ataAttributeName(static_cast<std::uint8_t>(id)).empty()) << id;
    EXPECT_EQ(ataAttributeName(197), "Current Pending Sector Count");
    EXPECT_EQ(ataAttributeName(198), "Offline Uncorrectable Sector Count");
    EXPECT_EQ(ataAttributeName(1), "Raw Read Error Rate");
    EXPECT_EQ(ataAttributeName(242), "Total LBAs Read");
    for (const int id : {0, 2, 6, 176, 255}) EXPECT_EQ(ataAttributeName(static_cast<std::uint8_t>(id)), "") << id;
}

// The ATA counts stand first among the caution counts, in their order, and a sample takes each.
TEST(AtaHealth, EachCountGoesToItsCautionCountInTheSample) {
    for (std::size_t index = 0; index < ataCounts.size(); ++index)
        EXPECT_EQ(ataCounts[index].key, cautionCountName(static_cast<CautionCount>(index)));
    const DriveHealth health = ataFrom({{187, advisory, 100, 100, 44, 0},
                                        {198, advisory, 100, 100, 33, 0},
                                        {5, preFailure, 100, 100, 11, 36},
                                        {197, advisory, 100, 100, 22, 0}});
    const CautionCounts counts = healthSample(health, 0, SampleStatus::Ok).counts;
    EXPECT_EQ(counts, (CautionCounts{11, 22, 33, 44, std::nullopt}));
}

// --- NVMe ---------------------------------------------------------------------------------

TEST(NvmeHealth, DriveWithSpareBelowThresholdWarnsAndIsCritical) {
    const DriveHealth health = nvmeFrom(testing::nvmeHealthReply(testing::spareBelowThresholdLog()));

    ASSERT_EQ(health.source, HealthSource::NvmeLog);
    EXPECT_EQ(health.unavailableReason, "");
    const NvmeHealth& log = health.nvme;
    EXPECT_EQ(log.criticalWarning, 0x01);
    EXPECT_EQ(log.compositeKelvin, 318);
    EXPECT_EQ(log.compositeCelsius, 45);
    EXPECT_EQ(log.availableSpare, 4);
    EXPECT_EQ(log.availableSpareThreshold, 10);
    EXPECT_EQ(log.percentageUsed, 107);
    EXPECT_EQ(decimalText(log.dataUnitsRead), "123456789");
    EXPECT_EQ(decimalText(log.dataUnitsWritten), "18446744073709551616");
    EXPECT_EQ(log.powerCycles, (Counter128{1520, 0}));
    EXPECT_EQ(log.powerOnHours, (Counter128{21345, 0}));
    EXPECT_EQ(log.unsafeShutdowns, (Counter128{61, 0}));
    EXPECT_EQ(log.mediaErrors, (Counter128{3, 0}));
    EXPECT_EQ(decimalText(log.errorLogEntries), "340282366920938463463374607431768211455");
    ASSERT_EQ(criticalWarnings(log.criticalWarning).size(), 1u);
    EXPECT_EQ(criticalWarnings(log.criticalWarning)[0].name, "spare below threshold");
    EXPECT_TRUE(isHealthCritical(health));
    EXPECT_TRUE(health.ata.attributes.empty());
}

// Only -40 to 125 C is a temperature: 233 K to 398 K.
TEST(NvmeHealth, HealthyDriveIsNotCriticalAndKelvinOutsideTheRangeIsNoTemperature) {
    NvmeHealth fields;
    fields.availableSpare = 100;
    fields.availableSpareThreshold = 10;
    const std::pair<std::uint16_t, std::optional<int>> rows[] = {
        {0, std::nullopt}, {1, std::nullopt}, {200, std::nullopt}, {232, std::nullopt}, {233, -40},
        {273, 0},          {314, 41},         {398, 125},          {399, std::nullopt}, {65535, std::nullopt},
    };
    for (const auto& [kelvin, celsius] : rows) {
        fields.compositeKelvin = kelvin;
        const DriveHealth health = nvmeFrom(testing::nvmeHealthReply(fields));
        ASSERT_EQ(health.source, HealthSource::NvmeLog);
        EXPECT_EQ(health.nvme.compositeKelvin, kelvin);
        EXPECT_EQ(health.nvme.compositeCelsius, celsius) << kelvin << " K";
        EXPECT_EQ(driveTemperature(health), celsius) << kelvin << " K";
        EXPECT_FALSE(isHealthCritical(health));
    }
}

TEST(NvmeHealth, LogIsReadWhereTheDescriptorSaysItStarts) {
    NvmeHealth fields;
    fields.percentageUsed = 42;
    fields.mediaErrors = {9, 0};
    const DriveHealth health = nvmeFrom(testing::nvmeHealthReply(fields, 64));
    ASSERT_EQ(health.source, HealthSource::NvmeLog);
    EXPECT_EQ(health.nvme.percentageUsed, 42);
    EXPECT_EQ(health.nvme.mediaErrors, (Counter128{9, 0}));
}

TEST(NvmeHealth, InconsistentRepliesGiveNoSourceAndAReason) {
    const Bytes good = testing::nvmeHealthReply({});
    const auto changed = [&good](std::size_t offset, std::uint32_t value) {
        Bytes reply = good;
        putLe32(reply, offset, value);
        return reply;
    };
    namespace layout = device::nvmeQuery;
    const struct {
        Bytes reply;
        std::size_t returned;
        std::string reason;
    } rows[] = {
        {good, 47, "the health log reply holds 47 bytes, fewer than its 48-byte header"},
        {good, 0, "the health log reply holds 0 bytes, fewer than its 48-byte header"},
        {good, 559, "the health log at offset 40 lies outside the 559 bytes returned"},
        {changed(layout::version, 40), 560, "the health log reply has descriptor version 40 and size 48, not 48"},
        {changed(layout::descriptorSize, 560), 560,
         "the health log reply has descriptor version 48 and size 560, not 48"},
        {changed(layout::dataOffset, 0), 560, "the health log offset 0 points into the descriptor"},
        {changed(layout::dataOffset, 39), 560, "the health log offset 39 points into the descriptor"},
        {changed(layout::dataOffset, 41), 560, "the health log at offset 41 lies outside the 560 bytes returned"},
        {changed(layout::dataOffset, 0xFFFF'FFFF), 560,
         "the health log at offset 4294967295 lies outside the 560 bytes returned"},
        {changed(layout::dataOffset, 0xFFFF'FE00), 560,
         "the health log at offset 4294966784 lies outside the 560 bytes returned"},
        {changed(layout::dataLength, 511), 560, "the health log is 511 bytes, shorter than 512"},
        {changed(layout::dataLength, 0), 560, "the health log is 0 bytes, shorter than 512"},
    };
    for (const auto& row : rows) {
        const DriveHealth health = nvmeHealth(row.reply.data(), row.returned);
        EXPECT_EQ(health.source, HealthSource::None) << row.reason;
        EXPECT_EQ(health.unavailableReason, row.reason);
        EXPECT_FALSE(isHealthCritical(health));
    }
    EXPECT_EQ(nvmeHealth(nullptr, 560).source, HealthSource::None);
}

// The window's verdict: the critical-warning byte where the descriptor says the page starts.
TEST(NvmeHealth, CriticalWarningIsReadFromAWholeLogOnly) {
    NvmeHealth fields;
    fields.criticalWarning = 0x12;
    const Bytes moved = testing::nvmeHealthReply(fields, 64);
    EXPECT_EQ(nvmeFrom(moved).nvme.criticalWarning, 0x12);
    EXPECT_EQ(nvmeHealth(moved.data(), moved.size() - 1).source, HealthSource::None);
    const DriveHealth none = nvmeFrom(testing::nvmeHealthReply({}));
    EXPECT_EQ(none.source, HealthSource::NvmeLog);
    EXPECT_EQ(none.nvme.criticalWarning, 0);
}

TEST(NvmeHealth, CriticalWarningBitsAreNamedLowBitFirst) {
    EXPECT_TRUE(criticalWarnings(0).empty());
    const std::vector<WarningBit> all = criticalWarnings(0xFF);
    const std::vector<std::string> names = {"spare below threshold",
                                            "temperature",
                                            "reliability degraded",
                                            "read-only",
                                            "volatile memory backup failed",
                                            "persistent memory read-only",
                                            "reserved bit 6",
                                            "reserved bit 7"};
    ASSERT_EQ(all.size(), names.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].bit, static_cast<int>(i));
        EXPECT_EQ(all[i].name, names[i]);
    }
    const std::vector<WarningBit> two = criticalWarnings(0x14);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].name, "reliability degraded");
    EXPECT_EQ(two[1].name, "volatile memory backup failed");

    NvmeHealth fields;
    fields.criticalWarning = 0x80;  // a bit this program has no name for still counts
    EXPECT_TRUE(isHealthCritical(nvmeFrom(testing::nvmeHealthReply(fields))));
}

// --- temperature property -----------------------------------------------------------------

TEST(TemperatureProperty, ReplyGivesCurrentWarningAndCritical) {
    const TemperatureReading reading = temperatureFrom(testing::temperatureReply(41, 70, 80));
    EXPECT_TRUE(reading.available);
    EXPECT_EQ(reading.unavailableReason, "");
    EXPECT_EQ(reading.current, 41);
    EXPECT_EQ(reading.warning, 70);
    EXPECT_EQ(reading.critical, 80);

    const TemperatureReading cold = temperatureFrom(testing::temperatureReply(-5, -1, 3, 3));
    EXPECT_EQ(cold.current, -5);
    EXPECT_EQ(cold.warning, -1);
    EXPECT_EQ(cold.critical, 3);
}

// Only -40 to 125 C is a temperature, or a limit; the reply stays available.
TEST(TemperatureProperty, ValuesOutsideTheRangeAreNoTemperature) {
    const std::pair<std::int16_t, std::optional<int>> rows[] = {
        {-32768, std::nullopt}, {-200, std::nullopt},  {-41, std::nullopt}, {-40, -40}, {125, 125},
        {126, std::nullopt},    {32767, std::nullopt},
    };
    for (const auto& [degrees, read] : rows) {
        SCOPED_TRACE(degrees);
        const TemperatureReading asCurrent = temperatureFrom(testing::temperatureReply(degrees, 70, 80));
        const TemperatureReading asWarning = temperatureFrom(testing::temperatureReply(41, degrees, 80));
        const TemperatureReading asCritical = temperatureFrom(testing::temperatureReply(41, 70, degrees));
        EXPECT_TRUE(asCurrent.available && asWarning.available && asCritical.available);
        EXPECT_EQ(asCurrent.current, read);
        EXPECT_EQ(asWarning.warning, read);
        EXPECT_EQ(asCritical.critical, read);
        EXPECT_EQ(asWarning.current, 41);
        EXPECT_EQ(asCurrent.critical, 80);
    }
}

TEST(TemperatureProperty, WithoutAReadableSensorEntryOnlyTheLimitsAreKnown) {
    const Bytes good = testing::temperatureReply(41, 70, 80);
    Bytes smallSize = good;
    putLe32(smallSize, device::temperatureQuery::descriptorSize, 39);
    for (const auto& [reply, returned] :
         {std::pair{testing::temperatureReply(41, 70, 80, 0), std::size_t{40}}, std::pair{good, std::size_t{39}},
          std::pair{good, std::size_t{24}}, std::pair{smallSize, std::size_t{40}}}) {
        const TemperatureReading reading = temperatureReading(reply.data(), returned);
        EXPECT_TRUE(reading.available) << returned;
        EXPECT_FALSE(reading.current.has_value()) << returned;
        EXPECT_EQ(reading.warning, 70);
        EXPECT_EQ(reading.critical, 80);
    }
}

TEST(TemperatureProperty, UnusableRepliesAreNotAvailableWithAReason) {
    const Bytes good = testing::temperatureReply(41, 70, 80);
    Bytes oldVersion = good;
    putLe32(oldVersion, device::temperatureQuery::version, 32);
    Bytes tinySize = good;
    putLe32(tinySize, device::temperatureQuery::descriptorSize, 23);
    const struct {
        Bytes reply;
        std::size_t returned;
        std::string reason;
    } rows[] = {
        {good, 23, "the temperature reply holds 23 bytes, fewer than its 24-byte header"},
        {good, 0, "the temperature reply holds 0 bytes, fewer than its 24-byte header"},
        {oldVersion, 40, "the temperature reply has descriptor version 32, not 40"},
        {tinySize, 40, "the temperature reply has descriptor size 23, smaller than its 24-byte header"},
    };
    for (const auto& row : rows) {
        const TemperatureReading reading = temperatureReading(row.reply.data(), row.returned);
        EXPECT_FALSE(reading.available) << row.reason;
        EXPECT_EQ(reading.unavailableReason, row.reason);
        EXPECT_FALSE(reading.current.has_value()) << row.reason;
    }
}

// --- counters and names -------------------------------------------------------------------

TEST(Counter128Text, DecimalTextIsExactAtTheEdges) {
    constexpr std::uint64_t max64 = std::numeric_limits<std::uint64_t>::max();
    const struct {
        Counter128 value;
        const char* text;
    } rows[] = {
        {{0, 0}, "0"},
        {{1, 0}, "1"},
        {{9, 0}, "9"},
        {{10, 0}, "10"},
        {{10'000'000'000'000'000'000u, 0}, "10000000000000000000"},
        {{max64, 0}, "18446744073709551615"},
        {{0, 1}, "18446744073709551616"},
        {{1, 1}, "18446744073709551617"},
        {{0x6BC7'5E2D'6310'0000, 0x5}, "100000000000000000000"},  // 10^20
        {{0, 0x8000'0000'0000'0000}, "170141183460469231731687303715884105728"},
        {{max64, max64}, "340282366920938463463374607431768211455"},
    };
    for (const auto& row : rows) EXPECT_EQ(decimalText(row.value), row.text);
}

TEST(Counter128Text, DoubleKeepsSmallCountsExactAndLargeOnesClose) {
    EXPECT_EQ(toDouble({0, 0}), 0.0);
    EXPECT_EQ(toDouble({9007199254740992u, 0}), 9007199254740992.0);  // 2^53
    EXPECT_EQ(toDouble({0, 1}), 18446744073709551616.0);
    EXPECT_DOUBLE_EQ(toDouble({std::numeric_limits<std::uint64_t>::max(), std::numeric_limits<std::uint64_t>::max()}),
                     340282366920938463463374607431768211455.0);
}

TEST(Counter128Text, BytesAreReadLittleEndianLowHalfFirst) {
    std::uint8_t bytes[16];
    for (int i = 0; i < 16; ++i) bytes[i] = static_cast<std::uint8_t>(i + 1);
    EXPECT_EQ(readCounter128(bytes), (Counter128{0x0807'0605'0403'0201, 0x100F'0E0D'0C0B'0A09}));
}

TEST(HealthSourceNames, AreTheReportWords) {
    EXPECT_EQ(healthSourceName(HealthSource::None), "none");
    EXPECT_EQ(healthSourceName(HealthSource::AtaSmart), "ata_smart");
    EXPECT_EQ(healthSourceName(HealthSource::NvmeLog), "nvme_log");
    EXPECT_EQ(requestFailedReason(50), "the driver refused the request with error 50");
}

}  // namespace
}  // namespace kestrine
