// The scripted host's own parts: scenario parsing, replies laid out like the storage
// stack's, and the menu-dump lines. A wrong reply here would make every drive test lie.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "little_endian_bytes.h"
#include "probe/drive_probe.h"
#include "probe/health_layouts.h"
#include "probe/health_probe.h"
#include "scripted_device_port.h"
#include "window_inspection.h"

namespace kestrine::scripted {
namespace {

using Buffer = std::vector<std::uint8_t>;

std::uint32_t at32(const Buffer& b, std::size_t at) { return testing::le32At(b, at); }

std::string stringAt(const Buffer& b, std::uint32_t offset) {
    return std::string(reinterpret_cast<const char*>(&b[offset]));
}

DriveScript parsedDrive(const std::string& line) {
    Scenario scenario;
    std::string error;
    EXPECT_TRUE(parseScenario(line, scenario, error)) << error;
    return scenario.drives.begin()->second;
}

Buffer smartCommand(int driveNumber) {
    Buffer in(33, 0);
    in[4] = 0xDA;
    in[7] = 0x4F;
    in[8] = 0xC2;
    in[10] = 0xB0;
    in[12] = static_cast<std::uint8_t>(driveNumber);
    return in;
}

// The request's error code; its byte count goes to `returned` when asked for.
std::uint32_t send(OpenDevice& device, std::uint32_t code, Buffer& out, const Buffer& in = {},
                   std::uint32_t* returned = nullptr) {
    const ControlResult result =
        device.control(code, in.empty() ? nullptr : in.data(), static_cast<std::uint32_t>(in.size()), out.data(),
                       static_cast<std::uint32_t>(out.size()));
    if (returned != nullptr) *returned = result.bytesReturned;
    return result.error;
}

TEST(ScriptedScenario, ReadsStatesKeysQuotedValuesAndComments) {
    Scenario scenario;
    std::string error;
    ASSERT_TRUE(
        parseScenario("# drives\n\n0 healthy vendor=ACME product=\"X100 Pro\" serial=5A31 "
                      "bus=7 removable=1\n6 identity-fails code=5  # refused\n",
                      scenario, error))
        << error;
    ASSERT_EQ(scenario.drives.size(), 2u);
    EXPECT_EQ(scenario.drives[0].vendor, "ACME");
    EXPECT_EQ(scenario.drives[0].product, "X100 Pro");
    EXPECT_EQ(scenario.drives[0].serial, "5A31");
    EXPECT_EQ(scenario.drives[0].bus, 7u);
    EXPECT_TRUE(scenario.drives[0].removable);
    EXPECT_EQ(scenario.drives[6].state, DriveState::IdentityFails);
    EXPECT_EQ(failureCode(scenario.drives[6]), 5u);
    EXPECT_FALSE(scenario.standardUser);
    ASSERT_TRUE(parseScenario("standard-user  # no administrator\n0 healthy\n", scenario, error)) << error;
    EXPECT_TRUE(scenario.standardUser);
    EXPECT_EQ(scenario.drives.size(), 1u);
}

TEST(ScriptedScenario, HealthLinesAddToTheirDrive) {
    Scenario scenario;
    std::string error;
    ASSERT_TRUE(
        parseScenario("0 healthy bus=11\n"
                      "0 attribute id=5 flags=0x0033 current=100 worst=99 raw=0xFFFFFFFFFFFF threshold=10\n"
                      "0 attribute id=194 raw=33  # the other keys 0\n"
                      "0 temperature current=-5 warning=70 critical=32767\n"
                      "1 healthy bus=17\n"
                      "1 nvme-log warning=0x05 kelvin=318 spare=4 spare-threshold=10 used=107 read=1 "
                      "written=18446744073709551615 power-cycles=3 hours=4 unsafe-shutdowns=5 "
                      "media-errors=6 error-log-entries=7\n",
                      scenario, error))
        << error;
    const DriveScript& sata = scenario.drives[0];
    ASSERT_EQ(sata.attributes.size(), 2u);
    EXPECT_EQ(sata.attributes[0].id, 5);
    EXPECT_EQ(sata.attributes[0].flags, 0x0033);
    EXPECT_EQ(sata.attributes[0].current, 100);
    EXPECT_EQ(sata.attributes[0].worst, 99);
    EXPECT_EQ(sata.attributes[0].raw, 0xFFFF'FFFF'FFFFu);
    EXPECT_EQ(sata.attributes[0].threshold, 10);
    EXPECT_EQ(sata.attributes[1].id, 194);
    EXPECT_EQ(sata.attributes[1].raw, 33u);
    EXPECT_EQ(sata.attributes[1].current, 0);
    ASSERT_TRUE(sata.temperature.has_value());
    EXPECT_EQ(sata.temperature->current, -5);
    EXPECT_EQ(sata.temperature->warning, 70);
    EXPECT_EQ(sata.temperature->critical, 32767);
    EXPECT_FALSE(sata.nvmeLog.has_value());

    const DriveScript& nvme = scenario.drives[1];
    EXPECT_TRUE(nvme.attributes.empty());
    EXPECT_FALSE(nvme.temperature.has_value());
    ASSERT_TRUE(nvme.nvmeLog.has_value());
    EXPECT_EQ(nvme.nvmeLog->criticalWarning, 0x05);
    EXPECT_EQ(nvme.nvmeLog->compositeKelvin, 318);
    EXPECT_EQ(nvme.nvmeLog->availableSpare, 4);
    EXPECT_EQ(nvme.nvmeLog->availableSpareThreshold, 10);
    EXPECT_EQ(nvme.nvmeLog->percentageUsed, 107);
    EXPECT_EQ(nvme.nvmeLog->dataUnitsRead, (Counter128{1, 0}));
    EXPECT_EQ(nvme.nvmeLog->dataUnitsWritten, (Counter128{0xFFFF'FFFF'FFFF'FFFF, 0}));
    EXPECT_EQ(nvme.nvmeLog->powerCycles, (Counter128{3, 0}));
    EXPECT_EQ(nvme.nvmeLog->powerOnHours, (Counter128{4, 0}));
    EXPECT_EQ(nvme.nvmeLog->unsafeShutdowns, (Counter128{5, 0}));
    EXPECT_EQ(nvme.nvmeLog->mediaErrors, (Counter128{6, 0}));
    EXPECT_EQ(nvme.nvmeLog->errorLogEntries, (Counter128{7, 0}));
}

TEST(ScriptedScenario, RejectsMalformedLinesNamingTheLine) {
    const char* bad[] = {"x healthy",
                         "100 healthy",
                         "1",
                         "1 sleepy",
                         "1 healthy colour=red",
                         "1 healthy bus=SATA",
                         "1 healthy code=0",
                         "1 healthy vendor=\"open",
                         "1 healthy removable=yes",
                         "1 healthy\n1 failing-spf",
                         "standard-user 1",
                         "0 standard-user",
                         "0 attribute id=5",
                         "0 healthy\n1 temperature current=1",
                         "0 healthy\n0 attribute id=256",
                         "0 healthy\n0 attribute id=-1",
                         "0 healthy\n0 attribute flags=0x10000",
                         "0 healthy\n0 attribute raw=0x1000000000000",
                         "0 healthy\n0 attribute id=5 colour=red",
                         "0 healthy\n0 attribute id=5 id=6",
                         "0 healthy\n0 attribute id",
                         "0 healthy\n0 nvme-log read=0x",
                         "0 healthy\n0 nvme-log read=18446744073709551616",
                         "0 healthy\n0 nvme-log kelvin=65536",
                         "0 healthy\n0 nvme-log\n0 nvme-log",
                         "0 healthy\n0 temperature current=32768",
                         "0 healthy\n0 temperature current=x",
                         "0 healthy\n0 temperature current=0x10",
                         "0 healthy\n0 temperature\n0 temperature"};
    for (const char* text : bad) {
        Scenario scenario;
        std::string error;
        EXPECT_FALSE(parseScenario(text, scenario, error)) << text;
        EXPECT_EQ(error.rfind("line ", 0), 0u) << text;
        EXPECT_TRUE(scenario.drives.empty() && !scenario.standardUser) << text;
    }
    std::string attributes = "0 healthy\n";
    for (int id = 1; id <= 30; ++id) attributes += "0 attribute id=" + std::to_string(id) + "\n";
    Scenario scenario;
    std::string error;
    EXPECT_TRUE(parseScenario(attributes, scenario, error)) << error;
    EXPECT_FALSE(parseScenario(attributes + "0 attribute id=31\n", scenario, error));
    EXPECT_EQ(error, "line 32: more than 30 attributes");
}

TEST(ScriptedScenario, FailingStatesHaveTheirUsualCodes) {
    EXPECT_EQ(failureCode(parsedDrive("1 access-denied")), 5u);
    EXPECT_EQ(failureCode(parsedDrive("1 identity-fails")), 1117u);
    EXPECT_EQ(failureCode(parsedDrive("1 smart-query-fails")), 31u);
    EXPECT_EQ(failureCode(parsedDrive("1 open-fails code=21")), 21u);
}

TEST(ScriptedDevice, DescriptorCarriesIdentityAtItsOffsets) {
    auto device =
        makeScriptedDevice(0, parsedDrive("0 healthy vendor=ACME product=X100 serial=5A31 bus=11 removable=1"));
    Buffer out(8192, 0);
    ASSERT_EQ(send(*device, 0x002D1400, out, Buffer(12, 0)), 0u);
    EXPECT_EQ(out[10], 1);
    EXPECT_EQ(stringAt(out, at32(out, 12)), "ACME");
    EXPECT_EQ(stringAt(out, at32(out, 16)), "X100");
    EXPECT_EQ(stringAt(out, at32(out, 24)), "5A31");
    EXPECT_EQ(at32(out, 28), 11u);
    EXPECT_GE(at32(out, 12), 36u);
}

TEST(ScriptedDevice, MissingIdentityStringsHaveOffsetZero) {
    auto device = makeScriptedDevice(0, parsedDrive("0 healthy product=X100"));
    Buffer out(8192, 0);
    ASSERT_EQ(send(*device, 0x002D1400, out, Buffer(12, 0)), 0u);
    EXPECT_EQ(at32(out, 12), 0u);
    EXPECT_EQ(at32(out, 24), 0u);
    EXPECT_EQ(out[10], 0);
}

TEST(ScriptedDevice, PropertyQueryMustAskForTheStandardDescriptor) {
    auto device = makeScriptedDevice(0, parsedDrive("0 healthy"));
    Buffer out(8192, 0);
    Buffer query(12, 0);
    query[0] = 1;  // StorageAdapterProperty
    EXPECT_EQ(send(*device, 0x002D1400, out, query), errorInvalidParameter);
    EXPECT_EQ(send(*device, 0x002D1400, out, Buffer(8, 0)), errorInvalidParameter);
}

TEST(ScriptedDevice, VersionReplyHasTheSmartCapabilityUnlessUnsupported) {
    Buffer out(24, 0);
    ASSERT_EQ(send(*makeScriptedDevice(0, parsedDrive("0 healthy")), 0x00074080, out), 0u);
    EXPECT_EQ(at32(out, 4) & 0x04u, 0x04u);
    ASSERT_EQ(send(*makeScriptedDevice(0, parsedDrive("0 smart-unsupported")), 0x00074080, out), 0u);
    EXPECT_EQ(at32(out, 4) & 0x04u, 0u);
}

TEST(ScriptedDevice, PredictFailureValueFollowsTheState) {
    Buffer out(516, 0xFF);
    ASSERT_EQ(send(*makeScriptedDevice(0, parsedDrive("0 healthy")), 0x002D1100, out), 0u);
    EXPECT_EQ(at32(out, 0), 0u);
    ASSERT_EQ(send(*makeScriptedDevice(0, parsedDrive("0 failing-spf")), 0x002D1100, out), 0u);
    EXPECT_NE(at32(out, 0), 0u);
}

TEST(ScriptedDevice, SmartStatusReturnsTheCylinderRegisters) {
    Buffer out(25, 0);
    ASSERT_EQ(send(*makeScriptedDevice(5, parsedDrive("5 healthy")), 0x0007C084, out, smartCommand(5)), 0u);
    EXPECT_EQ(out[19], 0x4F);
    EXPECT_EQ(out[20], 0xC2);
    ASSERT_EQ(send(*makeScriptedDevice(5, parsedDrive("5 threshold-exceeded")), 0x0007C084, out, smartCommand(5)), 0u);
    EXPECT_EQ(out[19], 0xF4);
    EXPECT_EQ(out[20], 0x2C);
}

TEST(ScriptedDevice, SmartCommandMustBeReturnStatusForThisDrive) {
    auto device = makeScriptedDevice(5, parsedDrive("5 healthy"));
    Buffer out(25, 0);
    EXPECT_EQ(send(*device, 0x0007C084, out, smartCommand(4)), errorInvalidParameter);
    Buffer wrongFeature = smartCommand(5);
    wrongFeature[4] = 0xD8;
    EXPECT_EQ(send(*device, 0x0007C084, out, wrongFeature), errorInvalidParameter);
    Buffer headBitSet = smartCommand(5);
    headBitSet[9] = 0xA0;
    EXPECT_EQ(send(*device, 0x0007C084, out, headBitSet), errorInvalidParameter);
}

TEST(ScriptedDevice, ShortReplyBuffersAreRefusedAndLeftUntouched) {
    auto device = makeScriptedDevice(0, parsedDrive("0 healthy vendor=ACME"));
    Buffer small(23, 0xEE);
    EXPECT_EQ(send(*device, 0x00074080, small), errorInsufficientBuffer);
    EXPECT_EQ(send(*device, 0x0007C084, small, smartCommand(0)), errorInsufficientBuffer);
    Buffer descriptor(40, 0xEE);
    EXPECT_EQ(send(*device, 0x002D1400, descriptor, Buffer(12, 0)), errorInsufficientBuffer);
    EXPECT_EQ(small, Buffer(23, 0xEE));
    EXPECT_EQ(descriptor, Buffer(40, 0xEE));
}

TEST(ScriptedDevice, FailingRequestsAnswerTheirCodes) {
    Buffer out(8192, 0);
    EXPECT_EQ(send(*makeScriptedDevice(6, parsedDrive("6 identity-fails code=5")), 0x002D1400, out, Buffer(12, 0)), 5u);
    EXPECT_EQ(send(*makeScriptedDevice(7, parsedDrive("7 smart-query-fails")), 0x0007C084, out, smartCommand(7)), 31u);
    EXPECT_EQ(send(*makeScriptedDevice(7, parsedDrive("7 version-fails")), 0x00074080, out), 1u);
    EXPECT_EQ(send(*makeScriptedDevice(7, parsedDrive("7 predict-fails code=50")), 0x002D1100, out), 50u);
    EXPECT_EQ(send(*makeScriptedDevice(7, parsedDrive("7 healthy")), 0x12345678, out), errorInvalidFunction);
}

Buffer bytesOf(const auto& request) { return Buffer(request.begin(), request.end()); }

Buffer smartRead(int driveNumber, std::uint8_t feature) {
    return bytesOf(device::makeSmartReadCommand(driveNumber, feature));
}

Buffer withByte(Buffer bytes, std::size_t at, std::uint8_t value) {
    bytes[at] = value;
    return bytes;
}

// Every request's answer: its error code and the bytes written, nothing for a refused one.
TEST(ScriptedDevice, RequestsAnswerWithTheirCodesAndByteCounts) {
    const std::string sata = "0 healthy\n0 attribute id=5 current=100 threshold=10\n0 temperature current=30\n";
    const std::string nvme = "0 healthy bus=17\n0 nvme-log spare=100\n";
    const Buffer readData = smartRead(0, 0xD0);
    const Buffer nvmeQuery = bytesOf(device::makeNvmeHealthQuery());
    const Buffer temperatureQuery = bytesOf(device::makeTemperatureQuery());
    const struct {
        std::string script;
        std::uint32_t code;
        Buffer in;
        std::uint32_t error;
        std::uint32_t returned;
        std::size_t outSize = 8192;
    } rows[] = {
        {"0 healthy vendor=ACME", 0x002D1400, Buffer(12, 0), 0, 36 + 5 + 4},  // header, "ACME", "1.0"
        {"0 healthy", 0x00074080, {}, 0, 24},
        {"0 healthy", 0x002D1100, {}, 0, 516},
        {"0 healthy", 0x0007C084, smartCommand(0), 0, 24},  // SENDCMDOUTPARAMS without bBuffer, IDEREGS
        {"0 version-fails", 0x00074080, {}, 1, 0},
        {"0 healthy", 0x0007C084, smartCommand(1), errorInvalidParameter, 0},
        {sata, 0x0007C088, readData, 0, 528},
        {sata, 0x0007C088, smartRead(0, 0xD1), 0, 528},
        {sata, 0x0007C088, readData, errorInsufficientBuffer, 0, 527},
        {sata, 0x0007C088, smartRead(1, 0xD0), errorInvalidParameter, 0},
        {sata, 0x0007C088, withByte(readData, 4, 0xD8), errorInvalidParameter, 0},  // another feature
        {sata, 0x0007C088, withByte(readData, 1, 0), errorInvalidParameter, 0},     // no sector
        {sata, 0x0007C088, Buffer(readData.begin(), readData.end() - 1), errorInvalidParameter, 0},
        {"0 healthy", 0x0007C088, readData, errorInvalidFunction, 0},  // no attribute table
        {"0 smart-unsupported\n0 attribute id=5", 0x0007C088, readData, errorInvalidFunction, 0},
        {"0 smart-query-fails code=23\n0 attribute id=5", 0x0007C088, readData, 23, 0},
        {nvme, 0x002D1400, nvmeQuery, 0, 560},
        {nvme, 0x002D1400, nvmeQuery, errorInsufficientBuffer, 0, 559},
        {nvme, 0x002D1400, withByte(nvmeQuery, 16, 3), errorInvalidParameter, 0},  // another log page
        {nvme, 0x002D1400, withByte(nvmeQuery, 8, 1), errorInvalidParameter, 0},   // SCSI, not NVMe
        {nvme, 0x002D1400, Buffer(nvmeQuery.begin(), nvmeQuery.begin() + 47), errorInvalidParameter, 0},
        {sata, 0x002D1400, nvmeQuery, errorNotSupported, 0},
        {sata, 0x002D1400, temperatureQuery, 0, 40},
        {sata, 0x002D1400, temperatureQuery, errorInsufficientBuffer, 0, 39},
        {sata, 0x002D1400, withByte(temperatureQuery, 4, 1), errorInvalidParameter, 0},  // existence query
        {nvme, 0x002D1400, temperatureQuery, errorNotSupported, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script + " " + std::to_string(row.code) + " " + std::to_string(row.in.size()));
        Buffer out(row.outSize, 0);
        std::uint32_t returned = 99;
        EXPECT_EQ(send(*makeScriptedDevice(0, parsedDrive(row.script)), row.code, out, row.in, &returned), row.error);
        EXPECT_EQ(returned, row.returned);
        if (row.code == 0x002D1400 && row.in.size() == 12 && row.in[0] == 0) {
            EXPECT_EQ(at32(out, 4), row.returned) << "the descriptor's Size";
        }
        if (row.error != 0) {
            EXPECT_EQ(out, Buffer(row.outSize, 0)) << "a refused request writes nothing";
        }
    }
}

class ScriptedReplies : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(path_); }
    void script(const std::string& text) { std::ofstream(path_, std::ios::binary | std::ios::trunc) << text; }
    std::uint32_t openError(const std::string& devicePath, DeviceAccess access = DeviceAccess::ReadWrite) {
        OpenResult result = port_.open(devicePath, access);
        EXPECT_EQ(result.device == nullptr, result.error != 0) << devicePath;
        return result.error;
    }

    std::string path_ = (std::filesystem::temp_directory_path() / "kestrine_port_test.txt").string();
    ScriptedDevicePort port_{path_};
};

TEST_F(ScriptedReplies, AnswersListedDrivesAndNotFoundForOthers) {
    script("0 healthy\n3 access-denied\n4 open-fails code=21\n");
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive0"), 0u);
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive1"), errorFileNotFound);
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive3"), 5u);
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive4"), 21u);
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive00"), errorFileNotFound);
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive"), errorFileNotFound);
    EXPECT_EQ(openError("C:\\PhysicalDrive0"), errorFileNotFound);
}

TEST_F(ScriptedReplies, ReadsTheScenarioAgainAtEveryOpen) {
    script("0 healthy\n");
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive0"), 0u);
    script("0 access-denied\n");
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive0"), 5u);
}

TEST_F(ScriptedReplies, InvalidScenarioFailsEveryOpenWithInvalidData) {
    script("0 healthy\n1 bogus\n");
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive0"), errorInvalidData);
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive9"), errorInvalidData);
}

TEST_F(ScriptedReplies, MissingScenarioFileScriptsNoDrive) {
    std::filesystem::remove(path_);
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive0"), errorFileNotFound);
    ScriptedDevicePort unnamed("");
    EXPECT_EQ(unnamed.open("\\\\.\\PhysicalDrive0", DeviceAccess::ReadWrite).error, errorFileNotFound);
}

// Without administrator rights a drive opens only without access, and such a handle takes
// the requests that need no access and refuses the SMART ones; drives that fail to open
// fail as before, whatever the access.
TEST_F(ScriptedReplies, StandardUserOpensOnlyWithoutAccessAndGetsNoSmart) {
    script("standard-user\n0 healthy vendor=ACME\n3 access-denied\n4 open-fails code=21\n");
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive0"), 5u);
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive0", DeviceAccess::None), 0u);
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive1", DeviceAccess::None), errorFileNotFound);
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive3", DeviceAccess::None), 5u);
    EXPECT_EQ(openError("\\\\.\\PhysicalDrive4", DeviceAccess::None), 21u);

    OpenResult opened = port_.open("\\\\.\\PhysicalDrive0", DeviceAccess::None);
    ASSERT_NE(opened.device, nullptr);
    Buffer descriptor(8192, 0), version(24, 0), predict(516, 0), status(25, 0);
    EXPECT_EQ(send(*opened.device, 0x002D1400, descriptor, Buffer(12, 0)), 0u);
    EXPECT_EQ(stringAt(descriptor, at32(descriptor, 12)), "ACME");
    EXPECT_EQ(send(*opened.device, 0x002D1100, predict), 0u);
    EXPECT_EQ(send(*opened.device, 0x00074080, version), 5u);
    EXPECT_EQ(send(*opened.device, 0x0007C084, status, smartCommand(0)), 5u);
}

// The health probe over the scripted host reads back what the scenario says, for an
// administrator and for a standard user, whose SMART reads are refused.
TEST_F(ScriptedReplies, HealthProbeReadsWhatTheScenarioSays) {
    const std::string drives =
        "0 healthy vendor=ACME bus=11\n"
        "0 attribute id=5 flags=0x33 current=36 worst=36 raw=1864 threshold=36\n"
        "0 attribute id=0 flags=0x33 current=1 worst=1 threshold=50  # an empty slot\n"
        "0 attribute id=194 flags=0x22 current=67 worst=52 raw=0x2D0014001F\n"
        "0 temperature current=31 warning=70 critical=80\n"
        "1 healthy bus=17\n"
        "1 nvme-log warning=1 kelvin=318 spare=4 spare-threshold=10 used=7 written=18446744073709551615\n"
        "2 healthy bus=7\n"
        "3 threshold-exceeded vendor=WD product=\"My Book\" bus=7 bridge=sat12 model=\"WDC WD40EFRX\" "
        "drive-serial=WX1\n"
        "3 attribute id=5 flags=0x33 current=100 worst=100 raw=8 threshold=5\n";
    for (const bool standardUser : {false, true}) {
        SCOPED_TRACE(standardUser ? "standard user" : "administrator");
        script((standardUser ? "standard-user\n" : "") + drives);
        DriveTable table;
        probeAllDrives(table, port_);
        const HealthTable health = probeAllHealth(table, port_);

        if (standardUser) {
            EXPECT_EQ(health[0].source, HealthSource::None);
            EXPECT_EQ(health[0].unavailableReason,
                      "reading SMART data needs administrator rights (the request was refused with error 5)");
        } else {
            ASSERT_EQ(health[0].source, HealthSource::AtaSmart);
            ASSERT_EQ(health[0].ata.attributes.size(), 2u);
            EXPECT_EQ(health[0].ata.attributes[0].raw, 1864u);
            EXPECT_TRUE(health[0].ata.attributes[0].failingNow);
            EXPECT_EQ(health[0].ata.attributes[1].id, 194);
            EXPECT_EQ(health[0].ata.temperatureCelsius, 31);
            EXPECT_TRUE(isHealthCritical(health[0]));
        }
        EXPECT_EQ(health[0].temperature.current, 31);
        EXPECT_EQ(health[0].temperature.critical, 80);

        ASSERT_EQ(health[1].source, HealthSource::NvmeLog);
        EXPECT_EQ(health[1].nvme.compositeCelsius, 45);
        EXPECT_EQ(health[1].nvme.availableSpare, 4);
        EXPECT_EQ(decimalText(health[1].nvme.dataUnitsWritten), "18446744073709551615");
        EXPECT_EQ(criticalWarnings(health[1].nvme.criticalWarning).at(0).name, "spare below threshold");
        EXPECT_EQ(health[1].temperature.unavailableReason, "the driver refused the request with error 50");

        // A USB drive that takes SMART itself is not read through its bridge; without the rights,
        // neither is one behind a bridge.
        const std::string rights =
            "reading SMART data through the bridge needs administrator rights (the request was refused with error 5)";
        EXPECT_EQ(health[2].unavailableReason,
                  standardUser ? rights : "bus type 7 (USB) carries neither ATA SMART data nor an NVMe health log");
        EXPECT_EQ(health[3].unavailableReason, standardUser ? rights : "");
        EXPECT_EQ(smartState(table[3], health[3]), standardUser ? SmartState::NoData : SmartState::FailurePredicted);
        if (!standardUser) {
            ASSERT_EQ(health[3].source, HealthSource::SatSmart);
            EXPECT_EQ(health[3].ata.reallocatedSectors, 8u);
            EXPECT_EQ(health[3].ata.attributes.at(0).threshold, 5);
            EXPECT_EQ(health[3].bridge->model, "WDC WD40EFRX");
            EXPECT_EQ(health[3].bridge->serial, "WX1");
            EXPECT_EQ(health[3].bridge->cdbSize, CdbSize::Twelve);
        }
    }
}

TEST(MenuInspection, LinesRoundTripWithBlanksInTextAndBadLinesAreSkipped) {
    MenuLine item{"bar.2", 0, 32776, 8, "&Automatic Refresh "};
    std::string dump =
        formatMenuLine(item) + "garbage\n" + "sys\tx\t1\t0\tMove\n" + formatMenuLine(MenuLine{"sys", 4, 0, 0x800, ""});
    auto lines = parseMenuDump(dump);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].menu, "bar.2");
    EXPECT_EQ(lines[0].command, 32776);
    EXPECT_EQ(lines[0].state, 8u);
    EXPECT_EQ(lines[0].text, "&Automatic Refresh ");
    EXPECT_EQ(lines[1].state, 0x800u);
    EXPECT_EQ(lines[1].text, "");
}

TEST(IconInspection, DumpRoundTripsAndIncompleteDumpsAreRejected) {
    IconDump icons;
    ASSERT_TRUE(parseIconDump(formatIconDump(IconDump{134, 128}), icons));
    EXPECT_EQ(icons.small, 134);
    EXPECT_EQ(icons.big, 128);
    EXPECT_FALSE(parseIconDump("small\t134\n", icons));
    EXPECT_FALSE(parseIconDump("small\tx\nbig\t128\n", icons));
}

}  // namespace
}  // namespace kestrine::scripted
