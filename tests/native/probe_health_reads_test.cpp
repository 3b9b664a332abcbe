// The health reads over a scripted storage stack: which requests each kind of drive gets, and
// what a refused, short or lying reply leaves in its health.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_device_port.h"
#include "fakes/health_replies.h"
#include "probe/drive_probe.h"
#include "probe/drive_texts.h"
#include "probe/drive_verdict.h"
#include "probe/health_layouts.h"
#include "probe/health_probe.h"

namespace kestrine {
namespace {

using testing::AttributeRow;
using testing::FakeDevicePort;
using Answer = FakeDevicePort::Answer;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t smartRead = device::smartRcvDriveData;
constexpr std::uint32_t queryProperty = device::ioctlStorageQueryProperty;
constexpr std::uint16_t preFailure = 0x0003;
constexpr std::uint16_t advisory = 0x0032;

const std::vector<AttributeRow> healthySsd = {
    {5, preFailure, 100, 100, 0, 10}, {9, advisory, 99, 99, 8000, 0}, {194, advisory, 67, 52, 33, 0}};
const std::vector<AttributeRow> failingDisk = {{1, preFailure, 200, 200, 0, 51}, {5, preFailure, 36, 36, 1864, 36}};

Bytes cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

// A listed drive whose identity the drive probe read.
DriveRecord listedDrive(int number, std::uint32_t bus, bool smartUsable) {
    DriveRecord record;
    record.present = record.probed = record.identityValid = true;
    record.driveNumber = number;
    record.busType = bus;
    record.busTypeText = busTypeName(bus);
    record.smartCapable = smartUsable;
    return record;
}

// What a drive answers to the three health requests; an empty answer is not scripted (the
// fake then refuses as a driver without it would).
struct HealthScript {
    std::optional<Answer> smartData = std::nullopt;
    std::optional<Answer> smartThresholds = std::nullopt;
    std::optional<Answer> nvmeLog = std::nullopt;
    std::optional<Answer> temperature = std::nullopt;
};

void install(FakeDevicePort& port, const std::string& path, const HealthScript& script) {
    port.devices[path];  // the drive exists
    auto& variants = port.variants[path];
    if (script.smartData) variants[{smartRead, device::smartRead::readAttributes}] = *script.smartData;
    if (script.smartThresholds) variants[{smartRead, device::smartRead::readThresholds}] = *script.smartThresholds;
    if (script.nvmeLog) variants[{queryProperty, device::nvmeQuery::protocolSpecificProperty}] = *script.nvmeLog;
    if (script.temperature)
        variants[{queryProperty, device::temperatureQuery::temperatureProperty}] = *script.temperature;
}

HealthScript ataDrive(const std::vector<AttributeRow>& rows) {
    return {Answer{0, testing::smartDataReply(rows)}, Answer{0, testing::smartThresholdsReply(rows)}, std::nullopt,
            Answer{0, testing::temperatureReply(35, 70, 80)}};
}

HealthScript nvmeDrive(const Bytes& log) {
    return {std::nullopt, std::nullopt, Answer{0, log}, Answer{0, testing::temperatureReply(45, 75, 85)}};
}

TEST(HealthProbe, EachKindOfDriveGetsItsRequestsAndEveryBadReplyAReason) {
    HealthScript thresholdsRefused = ataDrive(failingDisk);
    thresholdsRefused.smartThresholds = Answer{31, {}};
    HealthScript noTemperature = ataDrive(healthySsd);
    noTemperature.temperature.reset();
    const Bytes spareLog = testing::nvmeHealthReply(testing::spareBelowThresholdLog());
    const struct {
        const char* name;
        std::uint32_t bus;
        bool smartUsable;
        HealthScript script;
        HealthSource source;
        std::string reason;
        std::string thresholdsReason;
        bool critical;
        bool temperature;
        std::size_t requests;
        bool standardUser = false;
        std::optional<std::uint32_t> claimed = std::nullopt;  // what a lying driver reports
    } rows[] = {
        {"healthy SATA SSD", busSata, true, ataDrive(healthySsd), HealthSource::AtaSmart, "", "", false, true, 3},
        {"SATA disk failing now", busSata, true, ataDrive(failingDisk), HealthSource::AtaSmart, "", "", true, true, 3},
        {"ATA disk", busAta, true, ataDrive(healthySsd), HealthSource::AtaSmart, "", "", false, true, 3},
        {"RAID volume taking SMART", busRaid, true, ataDrive(healthySsd), HealthSource::AtaSmart, "", "", false, true,
         3},
        {"NVMe spare below threshold", busNvme, false, nvmeDrive(spareLog), HealthSource::NvmeLog, "", "", true, true,
         2},
        {"short SMART data",
         busSata,
         true,
         {Answer{0, cut(testing::smartDataReply(healthySsd), 100)}},
         HealthSource::None,
         "the SMART data reply holds 100 of 528 bytes",
         "",
         false,
         false,
         2},
        {"short NVMe log", busNvme, false, nvmeDrive(cut(spareLog, 300)), HealthSource::None,
         "the health log at offset 40 lies outside the 300 bytes returned", "", false, true, 2},
        {"NVMe log offset outside the buffer", busNvme, false,
         nvmeDrive(testing::nvmeHealthReply(testing::spareBelowThresholdLog(), 600)), HealthSource::None,
         "the health log at offset 600 lies outside the 560 bytes returned", "", false, true, 2},
        {"SMART refused",
         busSata,
         true,
         {Answer{1, {}}},
         HealthSource::None,
         "the driver refused the request with error 1",
         "",
         false,
         false,
         2},
        {"thresholds refused", busSata, true, thresholdsRefused, HealthSource::AtaSmart, "",
         "the driver refused the request with error 31", false, true, 3},
        {"no temperature property", busSata, true, noTemperature, HealthSource::AtaSmart, "", "", false, false, 3},
        // Asked the four SAT commands, which a driver without SCSI pass-through refuses.
        {"USB stick", busUsb, false, ataDrive(healthySsd), HealthSource::None,
         "SMART READ DATA through SCSI pass-through: the driver refused the request with error 1", "", false, true, 5},
        {"RAID volume without SMART", busRaid, false, ataDrive(healthySsd), HealthSource::None,
         "SMART READ DATA through SCSI pass-through: the driver refused the request with error 1", "", false, true, 5},
        {"standard user's SATA drive", busSata, false, ataDrive(failingDisk), HealthSource::None,
         "reading SMART data needs administrator rights (the request was refused with error 5)", "", false, true, 2,
         true},
        {"standard user's NVMe drive", busNvme, false, nvmeDrive(spareLog), HealthSource::NvmeLog, "", "", true, true,
         2, true},
        {"driver claiming more than the buffer", busSata, true, ataDrive(failingDisk), HealthSource::AtaSmart, "", "",
         true, true, 3, false, 4096},
        {"driver claiming one byte short", busSata, true, ataDrive(failingDisk), HealthSource::None,
         "the SMART data reply holds 527 of 528 bytes", "", false, true, 2, false, 527},
        {"NVMe driver claiming more than the buffer", busNvme, false,
         nvmeDrive(testing::nvmeHealthReply(testing::spareBelowThresholdLog(), 600)), HealthSource::None,
         "the health log at offset 600 lies outside the 560 bytes returned", "", false, true, 2, false, 4096},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeDevicePort port;
        port.standardUser = row.standardUser;
        if (row.claimed) port.claimedBytes[smartRead] = port.claimedBytes[queryProperty] = *row.claimed;
        install(port, devicePath(3), row.script);

        const DriveHealth health = probeHealth(listedDrive(3, row.bus, row.smartUsable), port);
        EXPECT_EQ(health.source, row.source);
        EXPECT_EQ(health.unavailableReason, row.reason);
        EXPECT_EQ(health.ata.thresholdsUnavailableReason, row.thresholdsReason);
        EXPECT_EQ(isHealthCritical(health), row.critical);
        EXPECT_EQ(health.temperature.available, row.temperature);
        if (!row.temperature) {
            EXPECT_EQ(health.temperature.unavailableReason, "the driver refused the request with error 50");
        }
        EXPECT_EQ(port.requests.size(), row.requests);
        EXPECT_EQ(port.opensOf(devicePath(3)), row.standardUser ? 2 : 1);
        EXPECT_EQ(port.openNow, 0) << "the drive is closed again";
    }
}

TEST(HealthProbe, RepliesAreReadAsTheDriveSentThem) {
    FakeDevicePort port;
    install(port, devicePath(0), ataDrive(failingDisk));
    install(port, devicePath(1), nvmeDrive(testing::nvmeHealthReply(testing::spareBelowThresholdLog())));

    const DriveHealth ata = probeHealth(listedDrive(0, busSata, true), port);
    ASSERT_EQ(ata.ata.attributes.size(), 2u);
    EXPECT_EQ(ata.ata.attributes[1].raw, 1864u);
    EXPECT_TRUE(ata.ata.attributes[1].failingNow);
    EXPECT_EQ(ata.temperature.current, 35);
    EXPECT_EQ(ata.temperature.warning, 70);

    const DriveHealth nvme = probeHealth(listedDrive(1, busNvme, false), port);
    EXPECT_EQ(nvme.nvme.availableSpare, 4);
    EXPECT_EQ(nvme.nvme.compositeCelsius, 45);
    EXPECT_EQ(nvme.temperature.critical, 85);
}

// The exact bytes of every request, into zero-filled buffers of the laid-out sizes.
TEST(HealthProbe, RequestsAreTheLaidOutCommandsForThisDrive) {
    FakeDevicePort port;
    install(port, devicePath(5), ataDrive(healthySsd));
    install(port, devicePath(6), nvmeDrive(testing::nvmeHealthReply({})));
    probeHealth(listedDrive(5, busSata, true), port);
    probeHealth(listedDrive(6, busNvme, false), port);

    const auto bytesOf = [](const auto& buffer) { return Bytes(buffer.begin(), buffer.end()); };
    const device::SmartCommand readData = device::makeSmartReadCommand(5, device::smartRead::readAttributes);
    const device::SmartCommand readThresholds = device::makeSmartReadCommand(5, device::smartRead::readThresholds);
    const struct {
        std::string path;
        std::uint32_t code;
        Bytes input;
        std::uint32_t outSize;
    } expected[] = {
        {devicePath(5), smartRead, bytesOf(readData), 528},
        {devicePath(5), smartRead, bytesOf(readThresholds), 528},
        {devicePath(5), queryProperty, bytesOf(device::makeTemperatureQuery()), 512},
        {devicePath(6), queryProperty, bytesOf(device::makeNvmeHealthQuery()), 560},
        {devicePath(6), queryProperty, bytesOf(device::makeTemperatureQuery()), 512},
    };
    ASSERT_EQ(port.requests.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const FakeDevicePort::Request& sent = port.requests[i];
        EXPECT_EQ(sent.path, expected[i].path) << i;
        EXPECT_EQ(sent.code, expected[i].code) << i;
        EXPECT_EQ(sent.input, expected[i].input) << i;
        EXPECT_EQ(sent.outSize, expected[i].outSize) << i;
        EXPECT_TRUE(sent.outZeroed) << i;
    }
}

TEST(HealthProbe, DriveThatDoesNotOpenOrWhoseKindIsUnknownIsAskedNoHealthRequest) {
    FakeDevicePort port;
    port.openErrors[devicePath(2)] = 21;
    const DriveHealth closed = probeHealth(listedDrive(2, busSata, true), port);
    EXPECT_EQ(closed.source, HealthSource::None);
    EXPECT_EQ(closed.unavailableReason, "the drive could not be opened (error 21)");
    EXPECT_EQ(closed.temperature.unavailableReason, "the drive could not be opened (error 21)");
    EXPECT_FALSE(closed.temperature.available);
    EXPECT_TRUE(port.requests.empty());

    install(port, devicePath(4), ataDrive(failingDisk));
    DriveRecord unread = listedDrive(4, busSata, true);
    unread.identityValid = false;  // its open failed at the probe: the bus is a stale value
    DriveRecord cannotRead = listedDrive(4, busSata, true);
    cannotRead.identityError = 1117;
    for (const DriveRecord& record : {unread, cannotRead}) {
        port.requests.clear();
        const DriveHealth health = probeHealth(record, port);
        EXPECT_EQ(health.source, HealthSource::None);
        EXPECT_EQ(health.unavailableReason, "the drive's identity could not be read, so its kind is unknown");
        ASSERT_EQ(port.requests.size(), 1u) << "the temperature property only";
        EXPECT_TRUE(health.temperature.available);
    }
}

TEST(HealthProbe, TableAsksListedDrivesOnlyAfterTheProbe) {
    FakeDevicePort port;
    const auto identify = [&port](int number, std::uint32_t bus) {
        testing::DescriptorFields fields{"ACME", "Disk", "", bus};
        port.devices[devicePath(number)] = {{queryProperty, {0, testing::descriptorReply(fields)}},
                                            {device::smartGetVersion, {0, testing::versionReply(0x07)}}};
    };
    identify(0, busSata);
    install(port, devicePath(0), ataDrive(failingDisk));
    identify(2, busNvme);
    install(port, devicePath(2), nvmeDrive(testing::nvmeHealthReply({})));
    DriveTable table;
    probeAllDrives(table, port);
    const int opensBefore = static_cast<int>(port.opens.size());

    const HealthTable health = probeAllHealth(table, port);
    EXPECT_EQ(static_cast<int>(port.opens.size()) - opensBefore, 2) << "one open per listed drive";
    EXPECT_FALSE(port.overlapped);
    EXPECT_EQ(health[0].source, HealthSource::AtaSmart);
    EXPECT_TRUE(isHealthCritical(health[0]));
    EXPECT_EQ(health[2].source, HealthSource::NvmeLog);
    for (const int number : {1, 3, 15}) {
        EXPECT_EQ(health[number].source, HealthSource::None) << number;
        EXPECT_EQ(health[number].unavailableReason, "") << number;
    }
}

// An NVMe drive that refuses the SMART version request, as the NVMe driver does.
DriveRecord smartRefusingNvme(int number) {
    DriveRecord record = listedDrive(number, busNvme, false);
    record.versionError = FakeDevicePort::invalidFunction;
    return record;
}

// An NVMe drive refusing the SMART requests is judged by the critical warning of the log its
// health reads fetched.
TEST(HealthProbe, LogReadStandsInForTheSmartVerdict) {
    DriveTable table;
    table[0] = smartRefusingNvme(0);
    table[1] = smartRefusingNvme(1);
    table[2] = listedDrive(2, busSata, true);
    table[3] = smartRefusingNvme(3);
    HealthTable health;
    NvmeHealth worn;
    worn.criticalWarning = 0x04;
    const Bytes wornLog = testing::nvmeHealthReply(worn);
    const Bytes goodLog = testing::nvmeHealthReply({});
    health[0] = nvmeHealth(wornLog.data(), wornLog.size());
    health[1] = nvmeHealth(goodLog.data(), goodLog.size());
    health[2] = health[0];  // judged by SMART RETURN STATUS: the log does not count
    health[3] = unavailableHealth("the request was refused");

    EXPECT_EQ(smartState(table[0], health[0]), SmartState::FailurePredicted);
    EXPECT_EQ(smartState(table[1], health[1]), SmartState::Ok);
    EXPECT_EQ(smartState(table[2], health[2]), SmartState::Ok);
    EXPECT_EQ(smartState(table[3], health[3]), SmartState::NoData);
}

}  // namespace
}  // namespace kestrine
