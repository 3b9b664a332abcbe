#include "scripted_device_port.h"

#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "fakes/sat_replies.h"
#include "little_endian_bytes.h"
#include "probe/drive_probe.h"

namespace kestrine::scripted {
namespace {

using testing::sdk::errorAccessDenied;
using testing::sdk::ioctlScsiPassThrough;
using testing::sdk::ioctlStoragePredictFailure;
using testing::sdk::ioctlStorageQueryProperty;
using testing::sdk::smartGetVersion;
using testing::sdk::smartRcvDriveData;
using testing::sdk::smartSendDriveCommand;

// Storage property ids besides the device descriptor's 0.
constexpr std::uint32_t protocolSpecificProperty = 50;
constexpr std::uint32_t temperatureProperty = 52;

// Sizes of the structures as the Windows SDK lays them out.
constexpr std::uint32_t propertyQuerySize = 12;     // STORAGE_PROPERTY_QUERY
constexpr std::uint32_t descriptorHeaderSize = 36;  // STORAGE_DEVICE_DESCRIPTOR up to RawDeviceProperties
constexpr std::uint32_t versionReplySize = 24;      // GETVERSIONINPARAMS
constexpr std::uint32_t predictReplySize = 516;     // STORAGE_PREDICT_FAILURE
constexpr std::uint32_t smartCommandSize = 33;      // SENDCMDINPARAMS, byte-packed
constexpr std::uint32_t smartRegistersEnd = 24;     // SENDCMDOUTPARAMS header + IDEREGS
constexpr std::uint32_t protocolQuerySize = 48;     // STORAGE_PROPERTY_QUERY up to the protocol data's end

using testing::le32At;
using testing::putLe32;

ControlResult failed(std::uint32_t error) { return {error, 0}; }
ControlResult wrote(std::uint32_t count) { return {0, count}; }

// A whole reply, or nothing when the caller's buffer cannot hold it.
ControlResult copyReply(const std::vector<std::uint8_t>& reply, std::uint8_t* out, std::uint32_t outSize) {
    if (out == nullptr || outSize < reply.size()) return failed(errorInsufficientBuffer);
    std::memcpy(out, reply.data(), reply.size());
    return wrote(static_cast<std::uint32_t>(reply.size()));
}

class ScriptedDevice : public OpenDevice {
public:
    ScriptedDevice(int number, DriveScript drive, DeviceAccess access)
        : number_(number), drive_(std::move(drive)), access_(access) {}

    ControlResult control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                          std::uint32_t outSize) override {
        // The system checks the handle's access against bits 14 and 15 of the control code
        // before any driver sees the request.
        if (access_ == DeviceAccess::None && testing::needsAccess(code)) return failed(errorAccessDenied);
        if (is(DriveState::Hostile) && out != nullptr) {
            if (std::optional<ControlResult> broken = hostile(code, out, outSize)) return *broken;
        }
        // A bridge passes no SMART request on: its driver does not know them.
        const bool bridged = drive_.bridge != BridgeKind::None;
        if (bridged && (code == smartGetVersion || code == smartSendDriveCommand || code == smartRcvDriveData))
            return failed(errorInvalidFunction);
        switch (code) {
            case ioctlStorageQueryProperty: return queryProperty(in, inSize, out, outSize);
            case ioctlScsiPassThrough:
                return bridged ? bridge().control(code, in, inSize, out, outSize) : failed(errorInvalidFunction);
            case smartGetVersion: return version(out, outSize);
            case ioctlStoragePredictFailure: return predict(out, outSize);
            case smartSendDriveCommand: return smartStatus(in, inSize, out, outSize);
            case smartRcvDriveData: return smartRead(in, inSize, out, outSize);
            default: return failed(errorInvalidFunction);
        }
    }

private:
    bool is(DriveState state) const { return drive_.state == state; }

    // The property id picks the device descriptor, the NVMe health log or the temperature.
    ControlResult queryProperty(const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                                std::uint32_t outSize) const {
        if (in != nullptr && inSize >= propertyQuerySize) {
            if (le32At(in) == protocolSpecificProperty) return nvmeLog(in, inSize, out, outSize);
            if (le32At(in) == temperatureProperty) return temperature(in, out, outSize);
        }
        return describe(in, inSize, out, outSize);
    }

    // STORAGE_DEVICE_DESCRIPTOR: the fixed header, then the identity strings, each
    // zero-terminated, found through their offsets from the start of the descriptor.
    ControlResult describe(const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                           std::uint32_t outSize) const {
        if (is(DriveState::IdentityFails)) return failed(failureCode(drive_));
        if (in == nullptr || inSize < propertyQuerySize || le32At(in) != 0 || le32At(in + 4) != 0)
            return failed(errorInvalidParameter);
        std::vector<std::uint8_t> reply(descriptorHeaderSize, 0);
        auto appendString = [&reply](const std::string& text) -> std::uint32_t {
            if (text.empty()) return 0;  // drivers give offset 0 for a string they lack
            auto offset = static_cast<std::uint32_t>(reply.size());
            reply.insert(reply.end(), text.begin(), text.end());
            reply.push_back(0);
            return offset;
        };
        std::uint32_t vendor = appendString(drive_.vendor);
        std::uint32_t product = appendString(drive_.product);
        std::uint32_t revision = appendString("1.0");
        std::uint32_t serial = appendString(drive_.serial);
        putLe32(&reply[0], 1);                                         // Version
        putLe32(&reply[4], static_cast<std::uint32_t>(reply.size()));  // Size
        reply[10] = drive_.removable ? 1 : 0;                          // RemovableMedia
        putLe32(&reply[12], vendor);
        putLe32(&reply[16], product);
        putLe32(&reply[20], revision);
        putLe32(&reply[24], serial);
        putLe32(&reply[28], drive_.bus);
        return copyReply(reply, out, outSize);
    }

    // STORAGE_PROTOCOL_DATA_DESCRIPTOR with the log page behind it, for a standard query that
    // asks for exactly the NVMe SMART / Health log: protocol NVMe (3), data type log page (2),
    // page 2, placed right behind the 40-byte protocol data, 512 bytes.
    ControlResult nvmeLog(const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                          std::uint32_t outSize) const {
        if (!drive_.nvmeLog) return failed(errorNotSupported);
        const bool wellFormed = inSize >= protocolQuerySize && le32At(in + 4) == 0 && le32At(in + 8) == 3 &&
                                le32At(in + 12) == 2 && le32At(in + 16) == 2 && le32At(in + 24) == 40 &&
                                le32At(in + 28) == 512;
        if (!wellFormed) return failed(errorInvalidParameter);
        return copyReply(testing::nvmeHealthReply(*drive_.nvmeLog), out, outSize);
    }

    // STORAGE_TEMPERATURE_DATA_DESCRIPTOR with one sensor entry, for a standard query.
    ControlResult temperature(const std::uint8_t* in, std::uint8_t* out, std::uint32_t outSize) const {
        if (!drive_.temperature) return failed(errorNotSupported);
        if (le32At(in + 4) != 0) return failed(errorInvalidParameter);
        const TemperatureScript& degrees = *drive_.temperature;
        return copyReply(testing::temperatureReply(degrees.current, degrees.warning, degrees.critical), out, outSize);
    }

    // GETVERSIONINPARAMS: version 1.1, one IDE device, capabilities at offset 4.
    ControlResult version(std::uint8_t* out, std::uint32_t outSize) const {
        if (is(DriveState::VersionFails)) return failed(failureCode(drive_));
        if (out == nullptr || outSize < versionReplySize) return failed(errorInsufficientBuffer);
        std::memset(out, 0, versionReplySize);
        out[0] = 1;
        out[1] = 1;
        out[3] = 1;
        std::uint32_t ataIdentify = 0x01, atapiIdentify = 0x02, smartCommands = 0x04;
        putLe32(out + 4, ataIdentify | atapiIdentify | (is(DriveState::SmartUnsupported) ? 0 : smartCommands));
        return wrote(versionReplySize);
    }

    // STORAGE_PREDICT_FAILURE: PredictFailure at offset 0, vendor bytes after it.
    ControlResult predict(std::uint8_t* out, std::uint32_t outSize) const {
        if (is(DriveState::PredictFails)) return failed(failureCode(drive_));
        if (out == nullptr || outSize < predictReplySize) return failed(errorInsufficientBuffer);
        std::memset(out, 0, predictReplySize);
        putLe32(out, is(DriveState::FailingSpf) ? 1 : 0);
        return wrote(predictReplySize);
    }

    // SMART RETURN STATUS through SMART_SEND_DRIVE_COMMAND. The request must be exactly the
    // ATA command for this drive; the reply carries the returned task-file registers after
    // the 16-byte SENDCMDOUTPARAMS header.
    ControlResult smartStatus(const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                              std::uint32_t outSize) const {
        if (is(DriveState::SmartUnsupported) || is(DriveState::VersionFails)) return failed(errorInvalidFunction);
        if (is(DriveState::SmartQueryFails)) return failed(failureCode(drive_));
        bool wellFormed = in != nullptr && inSize >= smartCommandSize && in[4] == 0xDA && in[7] == 0x4F &&
                          in[8] == 0xC2 && in[9] == 0 && in[10] == 0xB0 && in[12] == static_cast<std::uint8_t>(number_);
        if (!wellFormed) return failed(errorInvalidParameter);
        if (out == nullptr || outSize < smartRegistersEnd) return failed(errorInsufficientBuffer);
        std::memset(out, 0, smartRegistersEnd);
        putLe32(out, 8);  // cBufferSize: one IDEREGS follows
        bool exceeded = is(DriveState::ThresholdExceeded);
        out[16] = 0xDA;                    // features
        out[19] = exceeded ? 0xF4 : 0x4F;  // cylinder low
        out[20] = exceeded ? 0x2C : 0xC2;  // cylinder high
        out[21] = 0xA0;                    // drive/head
        out[22] = 0x50;                    // status: drive ready, seek complete
        return wrote(smartRegistersEnd);
    }

    // SMART READ DATA (0xD0) or READ THRESHOLDS (0xD1) through SMART_RCV_DRIVE_DATA: exactly
    // the one-sector command for this drive. The reply is SENDCMDOUTPARAMS without its bBuffer
    // byte (16 bytes) and the sector.
    ControlResult smartRead(const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                            std::uint32_t outSize) const {
        if (is(DriveState::SmartUnsupported) || is(DriveState::VersionFails) || drive_.attributes.empty())
            return failed(errorInvalidFunction);
        if (is(DriveState::SmartQueryFails)) return failed(failureCode(drive_));
        const bool wellFormed = in != nullptr && inSize >= smartCommandSize && le32At(in) == 512 &&
                                (in[4] == 0xD0 || in[4] == 0xD1) && in[5] == 1 && in[6] == 1 && in[7] == 0x4F &&
                                in[8] == 0xC2 && in[9] == 0 && in[10] == 0xB0 &&
                                in[12] == static_cast<std::uint8_t>(number_);
        if (!wellFormed) return failed(errorInvalidParameter);
        return copyReply(in[4] == 0xD0 ? testing::smartDataReply(drive_.attributes)
                                       : testing::smartThresholdsReply(drive_.attributes),
                         out, outSize);
    }

    // The drive's answers as its bridge passes them on.
    testing::FakeBridge bridge() const {
        using testing::smartSectorOf;
        testing::FakeBridge bridge = testing::passingBridge(
            testing::identifySector(drive_.model, drive_.driveSerial),
            smartSectorOf(testing::smartDataReply(drive_.attributes)),
            smartSectorOf(testing::smartThresholdsReply(drive_.attributes)), is(DriveState::ThresholdExceeded));
        if (drive_.attributes.empty()) {
            bridge.answers.erase("smart-data");
            bridge.answers.erase("smart-thresholds");
        }
        if (drive_.bridge == BridgeKind::Sat12) bridge.refusedCdbs = {16};
        return bridge;
    }

    // A broken driver: it claims success, but what it writes is not a sane reply. Nothing
    // (the other requests of the offset kinds) means: answer like a healthy drive, so that
    // only the property queries are at fault (the health properties share the descriptor's
    // control code, and get the broken descriptor too).
    std::optional<ControlResult> hostile(std::uint32_t code, std::uint8_t* out, std::uint32_t outSize) {
        switch (drive_.hostile) {
            case HostileReply::OffsetsPastEnd:
                if (code == ioctlStorageQueryProperty)
                    return brokenDescriptor(out, outSize, {outSize, 0x7FFFFFFF, outSize + 1, 0x0000FFFF});
                break;
            case HostileReply::NegativeOffsets:
                if (code == ioctlStorageQueryProperty)
                    return brokenDescriptor(out, outSize, {0x80000000, 0xFFFFFFFF, 0xFFFFFFDC, 0xFFFFFFFE});
                break;
            case HostileReply::Unterminated:
                std::memset(out, 'A', outSize);
                if (code == ioctlStorageQueryProperty && outSize >= descriptorHeaderSize)
                    return brokenDescriptor(out, outSize, {descriptorHeaderSize, outSize - 1, 100, 200});
                return wrote(outSize);
            case HostileReply::RandomBytes:
                for (std::uint32_t k = 0; k < outSize; ++k) out[k] = random_.next();
                return wrote(outSize);
            case HostileReply::ShortReplies: {
                const std::uint32_t count = outSize < 2 ? outSize : 2;
                std::memset(out, 0xFF, count);
                return wrote(count);
            }
            case HostileReply::SilentOpenFailure: break;  // never opened
        }
        return std::nullopt;
    }

    // A descriptor header with these vendor, product, revision and serial offsets, over
    // whatever the buffer already holds.
    static ControlResult brokenDescriptor(std::uint8_t* out, std::uint32_t outSize, const std::uint32_t (&offsets)[4]) {
        if (outSize < descriptorHeaderSize) return failed(errorInsufficientBuffer);
        putLe32(out, 1);
        putLe32(out + 4, outSize);
        for (int k = 0; k < 4; ++k) putLe32(out + 12 + 4 * k, offsets[k]);
        putLe32(out + 28, 11);
        return wrote(outSize);
    }

    int number_;
    DriveScript drive_;
    DeviceAccess access_;
    ReplyBytes random_{drive_.seed};
};

bool readFile(const std::string& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream content;
    content << file.rdbuf();
    text = content.str();
    return true;
}

}  // namespace

std::unique_ptr<OpenDevice> makeScriptedDevice(int number, const DriveScript& drive, DeviceAccess access) {
    return std::make_unique<ScriptedDevice>(number, drive, access);
}

ScriptedDevicePort::ScriptedDevicePort(std::string scenarioPath) : scenarioPath_(std::move(scenarioPath)) {}

OpenResult ScriptedDevicePort::open(const std::string& path, DeviceAccess access) {
    OpenResult result;
    result.error = errorFileNotFound;
    const std::optional<int> number = physicalDriveNumber(path);
    std::string text;
    if (!number || scenarioPath_.empty() || !readFile(scenarioPath_, text)) return result;
    Scenario scenario;
    std::string problem;
    if (!parseScenario(text, scenario, problem)) {
        result.error = errorInvalidData;
        return result;
    }
    auto found = scenario.drives.find(*number);
    if (found == scenario.drives.end()) return result;
    const DriveScript& drive = found->second;
    if (drive.state == DriveState::AccessDenied || drive.state == DriveState::OpenFails) {
        result.error = failureCode(drive);
        return result;
    }
    if (drive.state == DriveState::Hostile && drive.hostile == HostileReply::SilentOpenFailure) {
        result.error = 0;
        return result;
    }
    if (scenario.standardUser && access == DeviceAccess::ReadWrite) {
        result.error = errorAccessDenied;
        return result;
    }
    result.error = 0;
    result.device = makeScriptedDevice(*number, drive, access);
    return result;
}

}  // namespace kestrine::scripted
