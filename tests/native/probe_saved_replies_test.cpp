// Saved replies: which request each file holds, what a recording keeps of a reply, and what a
// replay answers from files a user may have sent, edited or left out.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_device_port.h"
#include "fakes/fake_file_store.h"
#include "probe/device_layouts.h"
#include "probe/drive_probe.h"
#include "probe/health_layouts.h"
#include "probe/saved_replies.h"

namespace kestrine {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <typename Buffer>
std::optional<std::string_view> nameOf(std::uint32_t code, const Buffer& input) {
    return savedRequestName(code, input.data(), static_cast<std::uint32_t>(input.size()));
}

TEST(SavedReplies, EachRequestOfTheProbesHasItsName) {
    using namespace device;
    EXPECT_EQ(nameOf(ioctlStorageQueryProperty, makePropertyQuery()), "descriptor");
    EXPECT_EQ(savedRequestName(smartGetVersion, nullptr, 0), "smart-version");
    EXPECT_EQ(savedRequestName(ioctlStoragePredictFailure, nullptr, 0), "predict-failure");
    EXPECT_EQ(nameOf(smartSendDriveCommand, makeSmartStatusCommand(3)), "smart-status");
    EXPECT_EQ(nameOf(smartRcvDriveData, makeSmartReadCommand(3, smartRead::readAttributes)), "smart-data");
    EXPECT_EQ(nameOf(smartRcvDriveData, makeSmartReadCommand(3, smartRead::readThresholds)), "smart-thresholds");
    EXPECT_EQ(nameOf(ioctlStorageQueryProperty, makeNvmeHealthQuery()), "nvme-log");
    EXPECT_EQ(nameOf(ioctlStorageQueryProperty, makeTemperatureQuery()), "temperature");

    PropertyQuery other = makeTemperatureQuery();
    other[0] = 51;  // another property
    EXPECT_EQ(nameOf(ioctlStorageQueryProperty, other), std::nullopt);
    other[0] = 52;
    for (const std::size_t upper : {1, 2, 3}) {  // properties 308, 65588 and 16777268
        other[upper] = 1;
        EXPECT_EQ(nameOf(ioctlStorageQueryProperty, other), std::nullopt) << "byte " << upper;
        other[upper] = 0;
    }
    EXPECT_EQ(nameOf(ioctlStorageQueryProperty, other), "temperature");
    EXPECT_EQ(nameOf(smartRcvDriveData, makeSmartReadCommand(3, 0xD5)), std::nullopt);  // READ LOG
    EXPECT_EQ(savedRequestName(ioctlStorageQueryProperty, nullptr, 0), std::nullopt);
    EXPECT_EQ(nameOf(ioctlStorageQueryProperty, Bytes{0, 0, 0}), std::nullopt);
    EXPECT_EQ(savedRequestName(0x00070000, nullptr, 0), std::nullopt);
}

TEST(SavedReplies, OnlyPhysicalDrivePathsHaveADriveNumber) {
    EXPECT_EQ(physicalDriveNumber(devicePath(0)), 0);
    EXPECT_EQ(physicalDriveNumber(devicePath(15)), 15);
    EXPECT_EQ(physicalDriveNumber(devicePath(123)), 123);
    for (const char* path : {"\\\\.\\PhysicalDrive", "\\\\.\\PhysicalDrive07", "\\\\.\\PhysicalDrive1x",
                             "\\\\.\\PhysicalDrive-1", "\\\\.\\PhysicalDrive99999999999", "C:\\drive0", ""})
        EXPECT_EQ(physicalDriveNumber(path), std::nullopt) << path;
    EXPECT_EQ(folderPath("C:\\replies\\"), "C:\\replies");
    EXPECT_EQ(folderPath("replies/"), "replies");
    EXPECT_EQ(folderPath("C:\\"), "C:\\");
    EXPECT_EQ(folderPath("\\"), "\\");
}

// A driver that claims more bytes than the buffer holds is saved only as far as the buffer.
TEST(SavedReplies, RecordingKeepsNoMoreThanTheBufferHeld) {
    testing::FakeDevicePort drives;
    drives.devices[devicePath(1)] = {{device::smartGetVersion, {0, Bytes(24, 7)}},
                                     {device::ioctlStoragePredictFailure, {0, Bytes(10, 9)}}};
    drives.claimedBytes[device::smartGetVersion] = 4096;
    testing::FakeFileStore files;
    files.folders.insert("C:");
    RecordingDevicePort recording(drives, files, "C:\\saved");
    const OpenResult opened = recording.open(devicePath(1), DeviceAccess::ReadWrite);
    ASSERT_TRUE(opened.device);
    std::uint8_t reply[516] = {};
    EXPECT_EQ(opened.device->control(device::smartGetVersion, nullptr, 0, reply, 24).bytesReturned, 4096u)
        << "passed on as the driver said it";
    EXPECT_EQ(opened.device->control(device::ioctlStoragePredictFailure, nullptr, 0, reply, 516).bytesReturned, 10u);
    EXPECT_EQ(files.files.at("C:\\saved\\drive1\\smart-version.bin"), Bytes(24, 7));
    EXPECT_EQ(files.files.at("C:\\saved\\drive1\\predict-failure.bin"), Bytes(10, 9));
    EXPECT_TRUE(recording.complete());
    EXPECT_FALSE(recording.open(devicePath(2), DeviceAccess::ReadWrite).device);
    EXPECT_FALSE(files.exists("C:\\saved\\drive2"));
}

class Replay : public ::testing::Test {
protected:
    void SetUp() override { files.folders = {"R:", "R:\\drive0", "R:\\drive3"}; }
    void put(const std::string& name, const std::string& text) {
        files.files["R:\\drive0\\" + name].assign(text.begin(), text.end());
    }
    ControlResult ask(std::uint32_t code, std::uint8_t* out, std::uint32_t outSize) {
        const OpenResult opened = replay.open(devicePath(0), DeviceAccess::ReadWrite);
        EXPECT_TRUE(opened.device);
        return opened.device ? opened.device->control(code, nullptr, 0, out, outSize) : ControlResult{};
    }

    testing::FakeFileStore files;
    ReplayDevicePort replay{files, "R:"};
};

TEST_F(Replay, ErrorFilesGiveTheirCodeAndAnythingElseFailsAsAnUnknownFunction) {
    const struct {
        const char* contents;  // of smart-version.error; null: no file
        std::uint32_t error;
    } rows[] = {
        {"5", 5},
        {"31\r\n", 31},
        {"4294967295", 4294967295u},
        {nullptr, 1},
        {"", 1},
        {"0", 1},
        {"x5", 1},
        {"5 x", 1},
        {"-5", 1},
        {"4294967296", 1},
        {"0000000000000007", 7},
    };
    for (const auto& row : rows) {
        files.files.clear();
        if (row.contents != nullptr) put("smart-version.error", row.contents);
        std::uint8_t reply[24] = {};
        const ControlResult result = ask(device::smartGetVersion, reply, sizeof reply);
        EXPECT_EQ(result.error, row.error) << (row.contents ? row.contents : "(none)");
        EXPECT_EQ(result.bytesReturned, 0u);
    }
}

TEST_F(Replay, RepliesAreAnsweredAsLongAsSavedAndNoLongerThanTheBuffer) {
    put("smart-version.bin", std::string(30, '\x04'));
    put("predict-failure.bin", "");
    std::uint8_t reply[24] = {};
    const ControlResult version = ask(device::smartGetVersion, reply, sizeof reply);
    EXPECT_EQ(version.error, 0u);
    EXPECT_EQ(version.bytesReturned, 24u);
    EXPECT_EQ(reply[23], 4);
    std::uint8_t predict[516] = {};
    EXPECT_EQ(ask(device::ioctlStoragePredictFailure, predict, sizeof predict).error, 0u) << "an empty reply";
    EXPECT_EQ(ask(0x00070000, reply, sizeof reply).error, 1u) << "a request no file can name";
}

TEST_F(Replay, OpensFollowTheFoldersAndTheSavedOpenError) {
    EXPECT_EQ(replay.open(devicePath(1), DeviceAccess::ReadWrite).error, errorFileNotFound);
    EXPECT_EQ(replay.open("C:\\other", DeviceAccess::ReadWrite).error, errorFileNotFound);
    EXPECT_TRUE(replay.open(devicePath(3), DeviceAccess::ReadWrite).device) << "a drive that answered nothing";

    put("open.error", "5");
    EXPECT_EQ(replay.open(devicePath(0), DeviceAccess::ReadWrite).error, 5u);
    EXPECT_EQ(replay.open(devicePath(0), DeviceAccess::None).error, 5u) << "no request answered after it";
    put("descriptor.bin", "x");
    EXPECT_EQ(replay.open(devicePath(0), DeviceAccess::ReadWrite).error, 5u);
    EXPECT_TRUE(replay.open(devicePath(0), DeviceAccess::None).device) << "the standard user's open";
}

}  // namespace
}  // namespace kestrine
