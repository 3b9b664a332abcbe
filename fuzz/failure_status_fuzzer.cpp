// The SMART version, predict-failure and SMART RETURN STATUS replies, each possibly refused or
// cut short, and opens that fail: what pass 1 and pass 2 record from them.
//   byte 0: bit 0 version refused, 1 predict refused, 2 SMART refused, 3 first open denied,
//           4 second open denied
//   byte 1: the drive number in its low four bits
//   bytes 2-4: how many bytes of each reply the driver writes
//   then the version, predict-failure and SMART replies, one after the other
#include <array>
#include <cstddef>
#include <cstdint>

#include "fakes/fake_device_port.h"
#include "fuzz_support.h"
#include "probe/drive_probe.h"
#include "probe/drive_texts.h"
#include "scripted_device.h"
#include "ui/drive_panel.h"

namespace kestrine::fuzz {
namespace {

constexpr std::uint32_t invalidFunction = 1;
constexpr std::uint32_t accessDenied = 5;
constexpr std::uint32_t notReady = 21;
constexpr std::uint32_t ioDeviceError = 1117;

struct Reply {
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
};

// Takes up to `wanted` bytes from the input.
Reply take(const std::uint8_t*& data, std::size_t& size, std::size_t wanted) {
    const Reply reply{data, std::min(wanted, size)};
    data += reply.size;
    size -= reply.size;
    return reply;
}

void checkSmartCommand(const ScriptedDrive& drive, std::int32_t number) {
    device::SmartCommand expected{};
    expected[4] = 0xDA;  // RETURN_SMART_STATUS
    expected[7] = 0x4F;
    expected[8] = 0xC2;
    expected[10] = 0xB0;  // SMART_CMD
    expected[12] = static_cast<std::uint8_t>(number);
    require(drive.smartCommand.size() == expected.size() &&
                std::equal(expected.begin(), expected.end(), drive.smartCommand.begin()),
            "the SMART command carries RETURN STATUS for this drive number and nothing else");
}

void check(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return;
    const std::uint8_t flags = data[0];
    const std::int32_t number = data[1] & 0x0F;
    const std::size_t lengths[3] = {data[2] % (device::versionReply::size + 1u),
                                    data[3] * 3u % (device::predictFailureReply::size + 1u),
                                    data[4] % (device::smartReply::size + 1u)};
    data += 5;
    size -= 5;
    const Reply version = take(data, size, lengths[0]);
    const Reply predict = take(data, size, lengths[1]);
    const Reply smart = take(data, size, lengths[2]);

    ScriptedDrive drive;
    const std::array<std::uint8_t, 64> descriptor{};  // no strings: every offset is 0
    drive.answers[device::ioctlStorageQueryProperty] = {0, descriptor.data(), descriptor.size()};
    drive.answers[device::smartGetVersion] = {flags & 1 ? invalidFunction : 0, version.bytes, version.size};
    drive.answers[device::ioctlStoragePredictFailure] = {flags & 2 ? notReady : 0, predict.bytes, predict.size};
    drive.answers[device::smartSendDriveCommand] = {flags & 4 ? ioDeviceError : 0, smart.bytes, smart.size};
    drive.openError = flags & 8 ? accessDenied : 0;
    drive.secondOpenError = flags & 16 ? accessDenied : 0;

    // Values a previous refresh left behind, so unchanged fields show.
    DriveRecord record;
    record.driveNumber = number;
    record.statusError = 77;
    record.thresholdExceeded = true;
    record.predictQueried = true;
    record.predictOk = true;
    const DriveRecord before = record;

    require(probeIdentity(record, drive), "a drive that exists goes on to pass 2");
    const bool passTwoOpened = probeFailureStatus(record, drive);
    const int refused = (flags & 8 ? 1 : 0) + (flags & 16 ? 1 : 0);
    require(drive.opens == 2 + refused, "each pass opens the drive once, and once more without access when refused");

    if (flags & 8) {
        require(record.present && record.probed && !record.identityValid, "a denied open lists the drive bare");
        require(record.versionError == before.versionError && record.smartCapable == before.smartCapable,
                "a denied open sends no request");
    } else {
        const bool capable = (le32Within(version.bytes, version.size, 4) & 0x04) != 0;
        require(record.versionError == (flags & 1 ? invalidFunction : 0), "the version error is kept");
        require(record.smartCapable == (!(flags & 1) && capable), "SMART capability from bit 0x04 only");
    }

    require(passTwoOpened == !(flags & 16), "pass 2 reports its open");
    const bool usable = smartUsable(record);
    require(drive.smartCommandSent == (passTwoOpened && usable), "SMART status is asked exactly when usable");
    if (!passTwoOpened) {
        require(record.predictQueried && record.predictOk && record.statusError == 77 && record.thresholdExceeded,
                "a failed second open records nothing");
    } else {
        const bool predictAnswered = !(flags & 2);
        require(record.predictQueried == predictAnswered, "predictQueried follows the request");
        require(record.predictOk == (predictAnswered && le32Within(predict.bytes, predict.size, 0) == 0),
                "no failure predicted exactly when the first field is 0");
        if (drive.smartCommandSent) {
            checkSmartCommand(drive, number);
            const bool answered = !(flags & 4);
            const bool exceeded = smart.size > 20 && smart.bytes[19] == 0xF4 && smart.bytes[20] == 0x2C;
            require(record.statusError == (answered ? 0 : ioDeviceError), "the status error is kept");
            require(record.thresholdExceeded == (answered && exceeded), "threshold exceeded only on F4/2C");
        } else {
            require(record.statusError == 77 && record.thresholdExceeded, "an unsent SMART request changes nothing");
        }
    }

    const int level = static_cast<int>(indicatorLevel(record, DriveHealth{}));
    require(level >= 0 && level <= 2, "the indicator is one of three pictures");
    const testing::NoSystemMessages messages;
    const DrivePanelTexts texts = drivePanelTexts(&record, HealthTable{}, messages);
    require(!texts.spfStatus.empty() && !texts.smartStatus.empty(), "both verdicts are always worded");
}

}  // namespace
}  // namespace kestrine::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrine::fuzz::check(data, size);
    return 0;
}
