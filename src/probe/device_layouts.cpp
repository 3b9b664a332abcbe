#include "probe/device_layouts.h"

#include "probe/little_endian.h"

#include <algorithm>

namespace kestrine::device {

PropertyQuery makePropertyQuery() {
    // StorageDeviceProperty and PropertyStandardQuery are both 0.
    return PropertyQuery{};
}

SmartCommand makeSmartStatusCommand(std::int32_t driveNumber) {
    SmartCommand command{};
    command[smartCommand::featuresReg] = smartCommand::returnSmartStatus;
    command[smartCommand::cylLowReg] = smartCommand::smartCylLow;
    command[smartCommand::cylHighReg] = smartCommand::smartCylHigh;
    command[smartCommand::commandReg] = smartCommand::smartCmd;
    command[smartCommand::driveNumber] = static_cast<std::uint8_t>(driveNumber & 0xFF);
    return command;
}

std::string_view descriptorString(const DescriptorBuffer& descriptor, std::size_t offsetField) {
    // The driver's offsets are signed; anything outside the buffer is treated as no string.
    const auto offset = static_cast<std::int32_t>(readLe32(descriptor.data() + offsetField));
    if (offset <= 0 || static_cast<std::size_t>(offset) >= descriptor.size()) return {};
    const auto begin = descriptor.begin() + offset;
    const auto end = std::find(begin, descriptor.end(), std::uint8_t{0});
    return {reinterpret_cast<const char*>(&*begin), static_cast<std::size_t>(end - begin)};
}

bool isSmartCapable(const VersionReply& reply) {
    return (readLe32(reply.data() + versionReply::capabilities) & versionReply::capSmartCmd) != 0;
}

bool isFailurePredicted(const PredictFailureReply& reply) {
    return readLe32(reply.data() + predictFailureReply::predictFailure) != 0;
}

bool isThresholdExceeded(const SmartReply& reply) {
    return reply[smartReply::cylLowReg] == smartReply::thresholdCylLow &&
           reply[smartReply::cylHighReg] == smartReply::thresholdCylHigh;
}

}  // namespace kestrine::device
