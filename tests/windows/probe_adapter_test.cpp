#include <windows.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32_device_port.h"
#include "probe/device_layouts.h"
#include "probe/drive_probe.h"
#include "probe/drive_texts.h"
#include "probe/drive_verdict.h"
#include "probe/health_probe.h"
#include "probe/sat_layouts.h"

namespace kestrine {
namespace {

// Passes every call on to the real adapter and notes what the storage stack answered.
class ObservingPort : public DevicePort {
public:
    struct Seen {
        std::vector<std::uint32_t> openErrors;           // one per open, 0 when it succeeded
        std::map<std::uint32_t, std::uint32_t> answers;  // control code -> last result
    };
    std::map<std::string, Seen> seen;

    OpenResult open(const std::string& path, DeviceAccess access) override {
        OpenResult result = real_.open(path, access);
        seen[path].openErrors.push_back(result.error);
        if (result.device) result.device = std::make_unique<ObservingDevice>(std::move(result.device), seen[path]);
        return result;
    }

private:
    class ObservingDevice : public OpenDevice {
    public:
        ObservingDevice(std::unique_ptr<OpenDevice> real, Seen& seen) : real_(std::move(real)), seen_(seen) {}
        ControlResult control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                              std::uint32_t outSize) override {
            const ControlResult result = real_->control(code, in, inSize, out, outSize);
            seen_.answers[code] = result.error;
            return result;
        }

    private:
        std::unique_ptr<OpenDevice> real_;
        Seen& seen_;
    };

    Win32DevicePort real_;
};

class Win32DriveProbe : public ::testing::Test {
protected:
    ObservingPort port;
    DriveTable table;
};

TEST_F(Win32DriveProbe, RecordsAgreeWithWhatTheStorageStackAnswered) {
    probeAllDrives(table, port);

    ASSERT_EQ(port.seen.size(), 16u) << "every number 0 to 15 is tried, nothing else";
    for (int number = 0; number < driveTableSize; ++number) {
        const DriveRecord& record = table[number];
        const ObservingPort::Seen& seen = port.seen[devicePath(number)];
        ASSERT_FALSE(seen.openErrors.empty()) << number;
        SCOPED_TRACE(number);
        if (seen.openErrors[0] == ERROR_FILE_NOT_FOUND) {
            EXPECT_EQ(seen.openErrors.size(), 1u) << "no second pass without a device";
            EXPECT_FALSE(isListed(record));
            continue;
        }
        if (seen.openErrors[0] != 0) {
            EXPECT_TRUE(isListed(record));
            EXPECT_FALSE(hasDetails(record));
            continue;
        }
        const std::uint32_t identity = seen.answers.at(device::ioctlStorageQueryProperty);
        EXPECT_EQ(hasDetails(record), identity == 0);
        if (identity != 0) {
            EXPECT_EQ(record.identityError, identity);
        }
        EXPECT_EQ(record.versionError, seen.answers.at(device::smartGetVersion));
        if (seen.openErrors.size() == 2 && seen.openErrors[1] == 0) {
            EXPECT_EQ(record.predictQueried, seen.answers.at(device::ioctlStoragePredictFailure) == 0);
        }
        EXPECT_EQ(seen.answers.count(device::smartSendDriveCommand) == 1, smartUsable(record));
    }
}

// Wine's storage stack has one disk at number 0: it describes itself as a SCSI disk (without
// vendor, product or serial) but takes neither SMART nor predict-failure requests.
TEST_F(Win32DriveProbe, WineListsItsOneDiskWithIdentityAndNoFailureData) {
    probeAllDrives(table, port);

    EXPECT_TRUE(hasDetails(table[0]));
    EXPECT_EQ(table[0].identityError, 0u);
    EXPECT_EQ(table[0].busType, 1u);  // BusTypeScsi
    EXPECT_EQ(table[0].busTypeText, "SCSI");
    EXPECT_NE(table[0].versionError, 0u);
    EXPECT_EQ(indicatorLevel(table[0], DriveHealth{}), IndicatorLevel::NoData);
    for (int number = 1; number < driveTableSize; ++number) EXPECT_FALSE(isListed(table[number])) << number;
    EXPECT_EQ(failingDriveCount(judgeDrives(table, HealthTable{})), 0);
}

// The health reads on Wine's disk: a SCSI disk that refuses the SMART requests is asked
// through SCSI pass-through, which Wine's storage stack refuses too: no source, the refusal as
// the reason, and the temperature property as the storage stack answered it (the last property
// query sent; Wine refuses it with ERROR_NOT_SUPPORTED).
TEST_F(Win32DriveProbe, WineDiskHealthHasNoSourceAndSaysWhy) {
    probeAllDrives(table, port);
    const HealthTable health = probeAllHealth(table, port);

    ASSERT_TRUE(hasDetails(table[0]));
    EXPECT_EQ(healthSourceFor(table[0]), HealthSource::SatSmart) << "bus " << table[0].busType;
    EXPECT_EQ(health[0].source, HealthSource::None);
    const std::uint32_t passThrough = port.seen[devicePath(0)].answers.at(device::ioctlScsiPassThrough);
    ASSERT_NE(passThrough, 0u);
    EXPECT_EQ(health[0].unavailableReason,
              "SMART READ DATA through SCSI pass-through: " + requestFailedReason(passThrough));
    EXPECT_EQ(smartState(table[0], health[0]), SmartState::NoData);
    const std::uint32_t temperature = port.seen[devicePath(0)].answers.at(device::ioctlStorageQueryProperty);
    EXPECT_EQ(health[0].temperature.available, temperature == 0 && health[0].temperature.unavailableReason.empty());
    if (temperature != 0) {
        EXPECT_EQ(health[0].temperature.unavailableReason, requestFailedReason(temperature));
    }
    for (int number = 1; number < driveTableSize; ++number) EXPECT_EQ(health[number].unavailableReason, "") << number;
}

// Opened without access, as a standard user may, the disk still describes itself.
TEST(Win32DevicePort, OpenWithoutAccessTakesTheStoragePropertyQuery) {
    Win32DevicePort port;
    const OpenResult opened = port.open(devicePath(0), DeviceAccess::None);
    ASSERT_NE(opened.device, nullptr) << opened.error;
    const device::PropertyQuery query = device::makePropertyQuery();
    device::DescriptorBuffer descriptor{};
    const ControlResult result =
        opened.device->control(device::ioctlStorageQueryProperty, query.data(), device::propertyQuery::size,
                               descriptor.data(), static_cast<std::uint32_t>(descriptor.size()));
    EXPECT_EQ(result.error, 0u);
    // The count the driver reports covers at least the descriptor's fixed header.
    EXPECT_GE(result.bytesReturned, device::deviceDescriptor::rawDeviceProperties);
    EXPECT_LE(result.bytesReturned, descriptor.size());
    EXPECT_EQ(port.open(devicePath(9), DeviceAccess::None).error, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

std::string formatMessageText(DWORD code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(0x1300, nullptr, code, 0x0400, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text(buffer != nullptr ? buffer : "", length);
    LocalFree(buffer);
    return text;
}

TEST(Win32SystemMessages, AccessDeniedReadsAsTheSystemText) {
    const std::string system = formatMessageText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(system.empty());
    const std::string text = identityErrorText(ERROR_ACCESS_DENIED, Win32SystemMessages());
    EXPECT_EQ(text, "Cannot Read - " + system);
    EXPECT_NE(text, "Cannot Read - Unknown Error");
}

TEST(Win32SystemMessages, CodeWithoutSystemTextIsUnknown) {
    constexpr DWORD applicationDefined = 0x2000ABCD;  // the customer bit: never a system code
    EXPECT_EQ(identityErrorText(applicationDefined, Win32SystemMessages()), "Cannot Read - Unknown Error");
}

}  // namespace
}  // namespace kestrine
