// The scripted host's hostile drives: the scenario words that name them, and replies that are
// broken in exactly the announced way. If these lied, the hostile-drive tests would prove
// nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <vector>

#include "little_endian_bytes.h"
#include "scripted_device_port.h"

namespace kestrine::scripted {
namespace {

using Buffer = std::vector<std::uint8_t>;

constexpr std::uint32_t queryProperty = 0x002D1400;
constexpr std::uint32_t predictFailure = 0x002D1100;

DriveScript parsedDrive(const std::string& line) {
    Scenario scenario;
    std::string error;
    EXPECT_TRUE(parseScenario(line, scenario, error)) << error;
    return scenario.drives.empty() ? DriveScript{} : scenario.drives.begin()->second;
}

std::uint32_t at32(const Buffer& b, std::size_t at) { return testing::le32At(b, at); }

// One reply of a freshly opened hostile drive, into a zero-filled buffer of `size` bytes.
Buffer reply(const std::string& line, std::uint32_t code, std::size_t size, ControlResult& result) {
    auto device = makeScriptedDevice(0, parsedDrive(line));
    Buffer in(12, 0), out(size, 0);
    result = device->control(code, in.data(), static_cast<std::uint32_t>(in.size()), out.data(),
                             static_cast<std::uint32_t>(out.size()));
    return out;
}

TEST(FaultHostileReplies, ScenarioNamesEveryKindAndRejectsUnknownOnes) {
    DriveScript drive = parsedDrive("3 hostile reply=random-bytes seed=9");
    EXPECT_EQ(drive.state, DriveState::Hostile);
    EXPECT_EQ(drive.hostile, HostileReply::RandomBytes);
    EXPECT_EQ(drive.seed, 9u);
    EXPECT_EQ(parsedDrive("0 hostile reply=short-replies").hostile, HostileReply::ShortReplies);
    EXPECT_EQ(parsedDrive("0 hostile reply=silent-open-failure").hostile, HostileReply::SilentOpenFailure);
    for (const char* bad : {"1 hostile reply=sideways", "1 hostile reply=", "1 hostile seed=x"}) {
        Scenario scenario;
        std::string error;
        EXPECT_FALSE(parseScenario(bad, scenario, error)) << bad;
    }
}

TEST(FaultHostileReplies, OffsetKindsPointOutsideTheReplyAndClaimSuccess) {
    ControlResult result;
    Buffer past = reply("0 hostile reply=offsets-past-end vendor=V", queryProperty, 8192, result);
    EXPECT_EQ(result.error, 0u);
    for (std::size_t field : {12u, 16u, 24u}) EXPECT_GE(at32(past, field), 8192u) << field;
    Buffer negative = reply("0 hostile reply=negative-offsets", queryProperty, 8192, result);
    EXPECT_EQ(result.error, 0u);
    for (std::size_t field : {12u, 16u, 20u, 24u})
        EXPECT_LT(static_cast<std::int32_t>(at32(negative, field)), 0) << field;
    // Only the descriptor is broken: the predict-failure reply is a healthy one.
    Buffer predict = reply("0 hostile reply=negative-offsets", predictFailure, 516, result);
    EXPECT_EQ(result.error, 0u);
    EXPECT_EQ(at32(predict, 0), 0u);
}

TEST(FaultHostileReplies, UnterminatedFillsEveryByteAndShortWritesTwo) {
    ControlResult result;
    Buffer full = reply("0 hostile reply=unterminated", queryProperty, 8192, result);
    EXPECT_EQ(result.error, 0u);
    // Past the 36-byte header there is no zero: the vendor runs on to the very end.
    EXPECT_EQ(std::count(full.begin() + 36, full.end(), 0), 0);
    EXPECT_EQ(at32(full, 12), 36u);
    EXPECT_EQ(result.bytesReturned, 8192u);
    Buffer shortOne = reply("0 hostile reply=short-replies", predictFailure, 516, result);
    EXPECT_EQ(result.error, 0u);
    EXPECT_EQ(result.bytesReturned, 2u);
    EXPECT_EQ(shortOne[0], 0xFF);
    EXPECT_EQ(shortOne[1], 0xFF);
    EXPECT_EQ(std::count(shortOne.begin() + 2, shortOne.end(), 0), 514);
}

TEST(FaultHostileReplies, RandomRepliesFollowTheirSeed) {
    ControlResult result;
    Buffer a = reply("0 hostile reply=random-bytes seed=5", predictFailure, 516, result);
    Buffer again = reply("0 hostile reply=random-bytes seed=5", predictFailure, 516, result);
    Buffer other = reply("0 hostile reply=random-bytes seed=6", predictFailure, 516, result);
    EXPECT_EQ(result.error, 0u);
    EXPECT_EQ(a, again);
    EXPECT_NE(a, other);
    ReplyBytes generator(5);
    for (std::uint8_t byte : a) ASSERT_EQ(byte, generator.next());
}

TEST(FaultHostileReplies, SilentOpenFailureOpensNothingAndLeavesNoCode) {
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "hos", 0, path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "4 hostile reply=silent-open-failure\n";
    ScriptedDevicePort port(path);
    OpenResult opened = port.open("\\\\.\\PhysicalDrive4", DeviceAccess::ReadWrite);
    EXPECT_EQ(opened.device, nullptr);
    EXPECT_EQ(opened.error, 0u);
    EXPECT_EQ(port.open("\\\\.\\PhysicalDrive5", DeviceAccess::ReadWrite).error, errorFileNotFound);
    DeleteFileA(path);
}

}  // namespace
}  // namespace kestrine::scripted
