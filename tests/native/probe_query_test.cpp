#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_device_port.h"
#include "probe/device_layouts.h"
#include "probe/drive_probe.h"
#include "probe/drive_verdict.h"

namespace kestrine {
namespace {

using testing::DescriptorFields;
using testing::descriptorReply;
using testing::FakeDevicePort;
using testing::predictReply;
using testing::putLe32;
using testing::smartReply;
using testing::versionReply;

constexpr std::uint32_t queryProperty = device::ioctlStorageQueryProperty;
constexpr std::uint32_t getVersion = device::smartGetVersion;
constexpr std::uint32_t predictFailure = device::ioctlStoragePredictFailure;
constexpr std::uint32_t smartCommand = device::smartSendDriveCommand;

// The identity most tests use: blanks around vendor and product, a serial that decodes to
// " AB  ".
struct Identity : DescriptorFields {
    Identity() : DescriptorFields{"  ACME ", "ACME X100\t", "2041422020"} {}
};

// A SMART-capable drive that answers all four requests with good news.
FakeDevicePort::Device healthyDrive(const Identity& identity = {}) {
    return {{queryProperty, {0, descriptorReply(identity)}},
            {getVersion, {0, versionReply(0x07)}},
            {predictFailure, {0, predictReply(0)}},
            {smartCommand, {0, smartReply(0x4F, 0xC2)}}};
}

class DriveProbe : public ::testing::Test {
protected:
    FakeDevicePort port;
    DriveTable table;

    void refresh() {
        probeAllDrives(table, port);
        EXPECT_FALSE(port.overlapped) << "two devices were open at once";
    }
    FakeDevicePort::Device& drive(int number) { return port.devices[devicePath(number)]; }
};

TEST_F(DriveProbe, DevicePathEndsInTheDriveNumber) {
    EXPECT_EQ(devicePath(0), "\\\\.\\PhysicalDrive0");
    EXPECT_EQ(devicePath(13), "\\\\.\\PhysicalDrive13");
}

TEST_F(DriveProbe, DrivesZeroAndTwoAreListedAndTheGapIsNot) {
    drive(0) = healthyDrive();
    Identity second;
    second.vendor = "";
    second.product = "Stick";
    second.busType = 7;
    second.removable = 1;
    drive(2) = healthyDrive(second);
    refresh();

    for (int number = 0; number < driveTableSize; ++number) {
        const bool exists = number == 0 || number == 2;
        EXPECT_EQ(isListed(table[number]), exists) << number;
        EXPECT_TRUE(table[number].probed) << number;
        EXPECT_EQ(table[number].driveNumber, number);
        EXPECT_EQ(port.opensOf(devicePath(number)), exists ? 2 : 1) << number;
    }
    EXPECT_EQ(table[0].vendor, "ACME");
    EXPECT_EQ(table[0].product, "ACME X100");
    EXPECT_EQ(table[0].displayName, "ACME X100");
    EXPECT_EQ(table[0].serial, "AB");
    EXPECT_EQ(table[0].busTypeText, "SATA");
    EXPECT_FALSE(table[0].removable);
    EXPECT_EQ(indicatorLevel(table[0], DriveHealth{}), IndicatorLevel::Ok);
    EXPECT_EQ(table[2].displayName, "Stick");
    EXPECT_EQ(table[2].busTypeText, "USB");
    EXPECT_TRUE(table[2].removable);
}

TEST_F(DriveProbe, SeventeenthDriveIsNeverOpened) {
    port.devices[devicePath(16)] = healthyDrive();
    refresh();
    EXPECT_EQ(port.opensOf(devicePath(16)), 0);
    EXPECT_EQ(port.opens.size(), 16u);
}

// Refused even without access rights: each pass tries twice and records nothing but the refusal.
TEST_F(DriveProbe, AccessDeniedEvenWithoutRightsListsDriveWithoutIdentity) {
    port.openErrors[devicePath(0)] = FakeDevicePort::accessDenied;
    port.openErrors[devicePath(1)] = FakeDevicePort::accessDenied;
    refresh();

    for (int number : {0, 1}) {
        EXPECT_TRUE(isListed(table[number]));
        EXPECT_FALSE(hasDetails(table[number]));
        EXPECT_EQ(table[number].displayName, "");
        EXPECT_EQ(indicatorLevel(table[number], DriveHealth{}), IndicatorLevel::NoData);
        EXPECT_EQ(table[number].identityError, 0u);
        EXPECT_EQ(port.opensOf(devicePath(number)), 4) << "pass 2 is still attempted";
    }
    EXPECT_EQ(port.openAccesses[0], DeviceAccess::ReadWrite);
    EXPECT_EQ(port.openAccesses[1], DeviceAccess::None);
    EXPECT_FALSE(isListed(table[2]));
    EXPECT_TRUE(port.requests.empty());
    EXPECT_EQ(failingDriveCount(judgeDrives(table, HealthTable{})), 0);
}

// A standard user may not open a drive for reading and writing, but may open it without
// access: the identity and the storage stack's prediction come through, the SMART requests
// are refused, and the SMART state reads "no data".
TEST_F(DriveProbe, StandardUserReadsIdentityAndPredictionWithoutSmart) {
    port.standardUser = true;
    drive(0) = healthyDrive();
    drive(1) = healthyDrive();
    drive(1)[predictFailure] = {0, predictReply(1)};
    refresh();

    for (int number : {0, 1}) {
        SCOPED_TRACE(number);
        EXPECT_TRUE(hasDetails(table[number]));
        EXPECT_EQ(table[number].displayName, "ACME X100");
        EXPECT_EQ(table[number].busTypeText, "SATA");
        EXPECT_EQ(table[number].versionError, FakeDevicePort::accessDenied);
        EXPECT_EQ(smartState(table[number], DriveHealth{}), SmartState::NoData);
        EXPECT_EQ(port.opensOf(devicePath(number)), 4);
    }
    EXPECT_EQ(spfState(table[0]), SpfState::Ok);
    EXPECT_EQ(indicatorLevel(table[0], DriveHealth{}), IndicatorLevel::Ok);
    EXPECT_EQ(spfState(table[1]), SpfState::FailurePredicted);
    EXPECT_EQ(failingDriveCount(judgeDrives(table, HealthTable{})), 1);
    EXPECT_EQ(port.openAccesses[0], DeviceAccess::ReadWrite);
    EXPECT_EQ(port.openAccesses[1], DeviceAccess::None);
    EXPECT_TRUE(port.requestsWithCode(smartCommand).empty());
    EXPECT_EQ(port.requestsWithCode(predictFailure).size(), 2u);
}

// Only a refusal for lack of rights is tried again without access; an administrator opens once.
TEST_F(DriveProbe, OtherOpenFailuresAndAnAdministratorOpenOncePerPass) {
    port.openErrors[devicePath(0)] = 21;  // ERROR_NOT_READY
    port.openErrors[devicePath(1)] = 32;  // ERROR_SHARING_VIOLATION
    drive(2) = healthyDrive();
    refresh();
    for (int number : {0, 1, 2}) {
        EXPECT_TRUE(isListed(table[number])) << number;
        EXPECT_EQ(port.opensOf(devicePath(number)), 2) << number;
    }
    for (const DeviceAccess access : port.openAccesses) EXPECT_EQ(access, DeviceAccess::ReadWrite);
    EXPECT_EQ(smartState(table[2], DriveHealth{}), SmartState::Ok);
}

TEST_F(DriveProbe, RequestsAreSentByteForByte) {
    drive(5) = healthyDrive();
    refresh();

    ASSERT_EQ(port.requests.size(), 4u);
    const auto& query = port.requests[0];
    EXPECT_EQ(query.code, queryProperty);
    EXPECT_EQ(query.input, std::vector<std::uint8_t>(12, 0));
    EXPECT_EQ(query.outSize, 8192u);
    EXPECT_EQ(port.requests[1].code, getVersion);
    EXPECT_TRUE(port.requests[1].input.empty());
    EXPECT_EQ(port.requests[1].outSize, 24u);
    EXPECT_EQ(port.requests[2].code, predictFailure);
    EXPECT_TRUE(port.requests[2].input.empty());
    EXPECT_EQ(port.requests[2].outSize, 516u);

    const auto& smart = port.requests[3];
    EXPECT_EQ(smart.code, smartCommand);
    EXPECT_EQ(smart.outSize, 25u);
    ASSERT_EQ(smart.input.size(), 33u);
    EXPECT_EQ(smart.input[4], 0xDA);
    EXPECT_EQ(smart.input[7], 0x4F);
    EXPECT_EQ(smart.input[8], 0xC2);
    EXPECT_EQ(smart.input[9], 0) << "drive/head register";
    EXPECT_EQ(smart.input[10], 0xB0);
    EXPECT_EQ(smart.input[12], 5) << "bDriveNumber is the physical drive number";
    for (const auto& request : port.requests) EXPECT_EQ(request.path, devicePath(5));
}

TEST_F(DriveProbe, EveryReplyBufferArrivesZeroFilled) {
    drive(0) = healthyDrive();
    refresh();
    ASSERT_EQ(port.requests.size(), 4u);
    for (const auto& request : port.requests) EXPECT_TRUE(request.outZeroed) << std::hex << request.code;
}

TEST_F(DriveProbe, ShortSmartReplyDoesNotInventAThreshold) {
    drive(0) = healthyDrive();
    drive(0)[smartCommand] = {0, std::vector<std::uint8_t>(16, 0xFF)};  // no registers returned
    refresh();
    EXPECT_EQ(table[0].statusError, 0u);
    EXPECT_FALSE(table[0].thresholdExceeded);
}

TEST_F(DriveProbe, RejectedSmartVersionSkipsStatusButReadsPrediction) {
    drive(0) = healthyDrive();
    drive(0)[getVersion] = {50, {}};  // ERROR_NOT_SUPPORTED, as behind a USB bridge
    drive(0)[predictFailure] = {0, predictReply(0)};
    refresh();
    EXPECT_EQ(table[0].versionError, 50u);
    EXPECT_FALSE(table[0].smartCapable);
    EXPECT_TRUE(port.requestsWithCode(smartCommand).empty());
    EXPECT_EQ(spfState(table[0]), SpfState::Ok);
    EXPECT_EQ(smartState(table[0], DriveHealth{}), SmartState::NoData);
}

TEST_F(DriveProbe, VersionWithoutSmartBitSkipsStatus) {
    drive(0) = healthyDrive();
    drive(0)[getVersion] = {0, versionReply(0x03)};
    refresh();
    EXPECT_EQ(table[0].versionError, 0u);
    EXPECT_FALSE(table[0].smartCapable);
    EXPECT_TRUE(port.requestsWithCode(smartCommand).empty());
    EXPECT_EQ(smartState(table[0], DriveHealth{}), SmartState::NoData);
}

TEST_F(DriveProbe, OnlyF4And2CMeansThresholdExceeded) {
    struct Case {
        std::uint8_t low, high;
        bool exceeded;
    };
    for (const Case c :
         {Case{0xF4, 0x2C, true}, Case{0xF4, 0xC2, false}, Case{0x4F, 0xC2, false}, Case{0x4F, 0x2C, false}}) {
        drive(0) = healthyDrive();
        drive(0)[smartCommand] = {0, smartReply(c.low, c.high)};
        refresh();
        EXPECT_EQ(table[0].thresholdExceeded, c.exceeded) << std::hex << int{c.low} << "/" << int{c.high};
        EXPECT_EQ(smartState(table[0], DriveHealth{}), c.exceeded ? SmartState::FailurePredicted : SmartState::Ok);
    }
}

TEST_F(DriveProbe, FailedSmartStatusKeepsItsErrorCode) {
    drive(0) = healthyDrive();
    drive(0)[smartCommand] = {1117, smartReply(0xF4, 0x2C)};  // ERROR_IO_DEVICE
    refresh();
    EXPECT_EQ(table[0].statusError, 1117u);
    EXPECT_FALSE(table[0].thresholdExceeded);
    EXPECT_EQ(smartState(table[0], DriveHealth{}), SmartState::QueryFailed);
}

TEST_F(DriveProbe, NonZeroPredictFailurePredictsFailure) {
    for (std::uint32_t value : {1u, 0x100u}) {
        drive(0) = healthyDrive();
        drive(0)[predictFailure] = {0, predictReply(value)};
        refresh();
        EXPECT_TRUE(table[0].predictQueried);
        EXPECT_FALSE(table[0].predictOk);
        EXPECT_EQ(indicatorLevel(table[0], DriveHealth{}), IndicatorLevel::FailurePredicted);
        EXPECT_EQ(failingDriveCount(judgeDrives(table, HealthTable{})), 1);
    }
}

TEST_F(DriveProbe, FailedPredictFailureMeansNoData) {
    drive(0) = healthyDrive();
    refresh();
    drive(0)[predictFailure] = {1, {}};
    refresh();
    EXPECT_FALSE(table[0].predictQueried);
    EXPECT_FALSE(table[0].predictOk);
    EXPECT_EQ(spfState(table[0]), SpfState::NoData);
}

TEST_F(DriveProbe, IdentityFailureFromTheStartKeepsDriveUnlisted) {
    drive(0) = healthyDrive();
    drive(0)[queryProperty] = {1, {}};
    refresh();
    EXPECT_FALSE(isListed(table[0]));
    EXPECT_EQ(table[0].identityError, 1u);
    EXPECT_TRUE(table[0].predictQueried) << "the SMART and predict fields are still written";
    EXPECT_EQ(smartState(table[0], DriveHealth{}), SmartState::Ok);
}

TEST_F(DriveProbe, IdentityIsKeptAcrossALaterFailedQuery) {
    drive(0) = healthyDrive();
    refresh();
    drive(0)[queryProperty] = {31, {}};
    refresh();
    EXPECT_TRUE(hasDetails(table[0]));
    EXPECT_EQ(table[0].identityError, 31u);
    EXPECT_EQ(table[0].displayName, "ACME X100");
}

TEST_F(DriveProbe, DeniedOpenAfterSuccessKeepsEarlierValues) {
    drive(0) = healthyDrive();
    drive(0)[predictFailure] = {0, predictReply(1)};
    refresh();
    port.openErrors[devicePath(0)] = FakeDevicePort::accessDenied;
    refresh();
    EXPECT_TRUE(isListed(table[0]));
    EXPECT_FALSE(table[0].identityValid);
    EXPECT_EQ(table[0].displayName, "ACME X100");
    EXPECT_EQ(indicatorLevel(table[0], DriveHealth{}), IndicatorLevel::FailurePredicted);
}

TEST_F(DriveProbe, NewDeviceAtTheSameNumberReplacesTheIdentity) {
    drive(0) = healthyDrive();
    refresh();
    port.devices.erase(devicePath(0));
    refresh();
    EXPECT_FALSE(isListed(table[0]));
    EXPECT_EQ(table[0].displayName, "ACME X100") << "kept until replaced";

    Identity other;
    other.vendor = "Other";
    other.product = "Disk";
    other.serial = "";
    other.busType = 3;
    drive(0) = healthyDrive(other);
    refresh();
    EXPECT_TRUE(hasDetails(table[0]));
    EXPECT_EQ(table[0].displayName, "Other Disk");
    EXPECT_EQ(table[0].serial, "");
    EXPECT_EQ(table[0].busTypeText, "ATA");
}

TEST_F(DriveProbe, HostileDescriptorOffsetsGiveEmptyStrings) {
    std::vector<std::uint8_t> hostile(8192, 'x');  // no terminating zero anywhere
    std::fill_n(hostile.begin(), 36, 0);
    putLe32(hostile, device::deviceDescriptor::vendorIdOffset, static_cast<std::uint32_t>(-8));
    putLe32(hostile, device::deviceDescriptor::productIdOffset, 8192);
    putLe32(hostile, device::deviceDescriptor::serialNumberOffset, 8188);
    drive(0) = healthyDrive();
    drive(0)[queryProperty] = {0, hostile};
    refresh();
    EXPECT_TRUE(hasDetails(table[0]));
    EXPECT_EQ(table[0].vendor, "");
    EXPECT_EQ(table[0].product, "");
    EXPECT_EQ(table[0].serial, "xxxx") << "up to the buffer end, and no hexadecimal pairs";
    EXPECT_EQ(table[0].displayName, "");
}

}  // namespace
}  // namespace kestrine
