#include "probe/sat_reader.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "probe/device_layouts.h"
#include "probe/drive_health.h"
#include "probe/drive_probe.h"
#include "probe/drive_texts.h"
#include "probe/sat_sector_checks.h"

namespace kestrine {

namespace {

constexpr std::array<std::string_view, 4> commandNames = {"IDENTIFY DEVICE", "SMART READ DATA", "SMART READ THRESHOLDS",
                                                          "SMART RETURN STATUS"};

std::string_view commandName(SatCommand command) { return commandNames[static_cast<std::size_t>(command)]; }

// One command's reply; `reason` is empty exactly when it holds the sector or the registers.
struct Answer {
    SatReply reply;
    std::string reason;
};

// The drive's bridge, which speaks (16) until it refuses it.
class Bridge {
public:
    Bridge(OpenDevice& drive, device::PointerWidth width) : drive_(drive), width_(width) {}

    Answer send(SatCommand command) {
        Answer answer = sendOnce(command);
        if (answer.reply.outcome == SatOutcome::Refused && cdb_ == CdbSize::Sixteen) {
            cdb_ = CdbSize::Twelve;
            answer = sendOnce(command);
        }
        return answer;
    }

    std::optional<CdbSize> answered() const { return answered_; }
    bool accessDenied() const { return accessDenied_; }

private:
    Answer sendOnce(SatCommand command) {
        makeSatRequest(command, cdb_, width_, in_);
        std::fill(out_.begin(), out_.end(), std::uint8_t{0});
        const auto outSize = static_cast<std::uint32_t>(out_.size());
        const ControlResult result = drive_.control(device::ioctlScsiPassThrough, in_.data(),
                                                    static_cast<std::uint32_t>(in_.size()), out_.data(), outSize);
        if (result.error == errorAccessDenied) {
            accessDenied_ = true;
            return {{}, "SCSI pass-through needs administrator rights (the request was refused with error 5)"};
        }
        if (result.error != 0)
            return {{},
                    joined({commandName(command), " through SCSI pass-through: ", requestFailedReason(result.error)})};
        // The reply made in place: it carries a whole sector.
        Answer answer{readSatReply(out_.data(), std::min(result.bytesReturned, outSize), readsSector(command)), {}};
        if (answer.reply.outcome != SatOutcome::Refused) answered_ = cdb_;
        if (answer.reply.outcome != SatOutcome::Sector && answer.reply.outcome != SatOutcome::Registers)
            answer.reason = joined({commandName(command), " through ATA PASS-THROUGH (",
                                    cdb_ == CdbSize::Sixteen ? "16" : "12", "): ", answer.reply.problem});
        return answer;
    }

    OpenDevice& drive_;
    device::PointerWidth width_;
    std::vector<std::uint8_t> in_;                                                   // each command's request
    std::vector<std::uint8_t> out_ = std::vector<std::uint8_t>(satReplyCapacity());  // and its reply
    CdbSize cdb_ = CdbSize::Sixteen;
    std::optional<CdbSize> answered_;
    bool accessDenied_ = false;
};

SatSector checkedSector(Answer&& answer, std::string_view what) {
    SatSector sector;
    sector.unavailableReason =
        answer.reason.empty() ? smartSectorProblem(what, answer.reply.sector) : std::move(answer.reason);
    if (sector.unavailableReason.empty()) sector.bytes = answer.reply.sector;
    return sector;
}

void readIdentity(BridgeHealth& health, Answer&& answer) {
    health.identityUnavailableReason =
        answer.reason.empty() ? identifyProblem(answer.reply.sector) : std::move(answer.reason);
    if (!health.identityUnavailableReason.empty()) return;
    AtaIdentity identity = ataIdentity(answer.reply.sector);
    health.model = std::move(identity.model);
    health.serial = std::move(identity.serial);
}

void judgeStatus(BridgeHealth& health, Answer&& answer) {
    namespace smart = device::smartCommand;
    namespace verdict = device::smartReply;
    if (!answer.reason.empty()) {
        health.statusUnknownReason = std::move(answer.reason);
        return;
    }
    const AtaRegisters& registers = *answer.reply.registers;
    if ((registers.status & device::ataCdb::statusError) != 0)
        health.statusUnknownReason = joined({"the drive aborted SMART RETURN STATUS (status ",
                                             hexByte(registers.status), ", error ", hexByte(registers.error), ")"});
    else if (registers.lbaMid == smart::smartCylLow && registers.lbaHigh == smart::smartCylHigh)
        health.status = SatStatus::Ok;
    else if (registers.lbaMid == verdict::thresholdCylLow && registers.lbaHigh == verdict::thresholdCylHigh)
        health.status = SatStatus::ThresholdExceeded;
    else
        health.statusUnknownReason = joined({"SMART RETURN STATUS gave LBA mid/high ", hexByte(registers.lbaMid), "/",
                                             hexByte(registers.lbaHigh), ", which is no verdict"});
}

// What the bridge showed of itself over all its commands.
void noteBridge(BridgeHealth& health, const Bridge& bridge) {
    health.cdbSize = bridge.answered();
    health.accessDenied = bridge.accessDenied();
}

}  // namespace

SatHealth readSatHealth(OpenDevice& drive, device::PointerWidth width) {
    Bridge bridge(drive, width);
    SatHealth health;
    readIdentity(health, bridge.send(SatCommand::Identify));
    health.smartData = checkedSector(bridge.send(SatCommand::SmartReadData), "data");
    health.smartThresholds = checkedSector(bridge.send(SatCommand::SmartReadThresholds), "thresholds");
    judgeStatus(health, bridge.send(SatCommand::SmartReturnStatus));
    noteBridge(health, bridge);
    return health;
}

}  // namespace kestrine
