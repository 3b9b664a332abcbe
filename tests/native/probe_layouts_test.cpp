#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/fake_device_port.h"
#include "probe/device_layouts.h"

namespace kestrine::device {
namespace {

using testing::putLe32;

DescriptorBuffer descriptorFrom(const std::vector<std::uint8_t>& bytes) {
    DescriptorBuffer buffer{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), buffer.size()), buffer.begin());
    return buffer;
}

// A descriptor whose vendor offset field holds `offset`, with "ACME" at byte 64.
DescriptorBuffer descriptorWithVendorAt(std::int32_t offset) {
    std::vector<std::uint8_t> bytes(80, 0);
    putLe32(bytes, deviceDescriptor::vendorIdOffset, static_cast<std::uint32_t>(offset));
    const std::string vendor = "ACME";
    std::copy(vendor.begin(), vendor.end(), bytes.begin() + 64);
    return descriptorFrom(bytes);
}

TEST(DeviceLayouts, PropertyQueryAsksForTheStandardDeviceDescriptor) {
    const PropertyQuery query = makePropertyQuery();
    EXPECT_EQ(std::vector<std::uint8_t>(query.begin(), query.end()), std::vector<std::uint8_t>(12, 0));
}

TEST(DeviceLayouts, SmartStatusCommandCarriesTheDriveNumberAndFixedRegisters) {
    const SmartCommand command = makeSmartStatusCommand(5);
    std::vector<std::uint8_t> expected(33, 0);
    expected[4] = 0xDA;   // RETURN SMART STATUS
    expected[7] = 0x4F;   // cylinder low
    expected[8] = 0xC2;   // cylinder high
    expected[10] = 0xB0;  // SMART command; drive/head (9) stays 0
    expected[12] = 5;     // bDriveNumber
    EXPECT_EQ(std::vector<std::uint8_t>(command.begin(), command.end()), expected);
    EXPECT_EQ(makeSmartStatusCommand(15)[12], 15);
}

TEST(DeviceLayouts, DescriptorStringIsReadAtItsOffset) {
    EXPECT_EQ(descriptorString(descriptorWithVendorAt(64), deviceDescriptor::vendorIdOffset), "ACME");
    EXPECT_EQ(descriptorString(descriptorWithVendorAt(66), deviceDescriptor::vendorIdOffset), "ME");
}

TEST(DeviceLayouts, ZeroOrNegativeOffsetGivesEmptyString) {
    EXPECT_EQ(descriptorString(descriptorWithVendorAt(0), deviceDescriptor::vendorIdOffset), "");
    EXPECT_EQ(descriptorString(descriptorWithVendorAt(-4), deviceDescriptor::vendorIdOffset), "");
    EXPECT_EQ(descriptorString(descriptorWithVendorAt(INT32_MIN), deviceDescriptor::vendorIdOffset), "");
}

TEST(DeviceLayouts, OffsetAtOrPastTheBufferEndGivesEmptyString) {
    EXPECT_EQ(descriptorString(descriptorWithVendorAt(8192), deviceDescriptor::vendorIdOffset), "");
    EXPECT_EQ(descriptorString(descriptorWithVendorAt(100000), deviceDescriptor::vendorIdOffset), "");
    EXPECT_EQ(descriptorString(descriptorWithVendorAt(INT32_MAX), deviceDescriptor::vendorIdOffset), "");
}

TEST(DeviceLayouts, UnterminatedStringEndsAtTheBufferEnd) {
    std::vector<std::uint8_t> bytes(8192, 'x');
    putLe32(bytes, deviceDescriptor::productIdOffset, 8190);
    EXPECT_EQ(descriptorString(descriptorFrom(bytes), deviceDescriptor::productIdOffset), "xx");
    putLe32(bytes, deviceDescriptor::productIdOffset, 8191);
    EXPECT_EQ(descriptorString(descriptorFrom(bytes), deviceDescriptor::productIdOffset), "x");
}

TEST(DeviceLayouts, SmartCapabilityIsBitFourOnly) {
    VersionReply reply{};
    reply[4] = 0x03;  // ATA and ATAPI identify only
    EXPECT_FALSE(isSmartCapable(reply));
    reply[4] = 0x04;
    EXPECT_TRUE(isSmartCapable(reply));
}

TEST(DeviceLayouts, AnyNonZeroPredictFailureValuePredictsFailure) {
    PredictFailureReply reply{};
    EXPECT_FALSE(isFailurePredicted(reply));
    reply[3] = 0x01;  // 0x01000000
    EXPECT_TRUE(isFailurePredicted(reply));
}

}  // namespace
}  // namespace kestrine::device
