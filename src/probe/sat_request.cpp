#include "probe/sat_request.h"

#include <algorithm>
#include <array>

#include "probe/device_layouts.h"
#include "probe/health_layouts.h"
#include "probe/little_endian.h"

namespace kestrine {

namespace {

namespace cdbBits = device::ataCdb;
namespace smart = device::smartCommand;

// The ATA registers of each command, in the order of SatCommand.
struct AtaCommand {
    std::uint8_t command;
    std::uint8_t features;
    std::uint8_t lbaMid;
    std::uint8_t lbaHigh;
};

constexpr std::array<AtaCommand, satRequestNames.size()> ataCommands = {{
    {cdbBits::identifyDevice, 0, 0, 0},
    {smart::smartCmd, device::smartRead::readAttributes, smart::smartCylLow, smart::smartCylHigh},
    {smart::smartCmd, device::smartRead::readThresholds, smart::smartCylLow, smart::smartCylHigh},
    {smart::smartCmd, smart::returnSmartStatus, smart::smartCylLow, smart::smartCylHigh},
}};

const AtaCommand& ataCommand(SatCommand which) { return ataCommands[static_cast<std::size_t>(which)]; }

const device::AtaCdbLayout& cdbLayout(CdbSize size) {
    return size == CdbSize::Twelve ? device::ataPassThrough12 : device::ataPassThrough16;
}

constexpr std::size_t alignedUp(std::size_t offset) {
    constexpr std::size_t alignment = device::passThrough::bufferAlignment;
    return (offset + alignment - 1) / alignment * alignment;
}

constexpr std::uint32_t timeOutSeconds = 10;

}  // namespace

bool readsSector(SatCommand command) { return command != SatCommand::SmartReturnStatus; }

PassThroughBuffer passThroughBuffer(device::PointerWidth width) {
    namespace layout = device::passThrough;
    const std::size_t sense = alignedUp(device::passThroughLayout(width).size);
    const std::size_t data = alignedUp(sense + layout::senseBufferSize);
    return {sense, data, data + layout::dataBufferSize};
}

std::size_t satReplyCapacity() {
    return std::max(passThroughBuffer(device::PointerWidth::Bits32).size,
                    passThroughBuffer(device::PointerWidth::Bits64).size);
}

void makeSatRequest(SatCommand command, CdbSize cdbSize, device::PointerWidth width, std::vector<std::uint8_t>& bytes) {
    namespace layout = device::passThrough;
    const device::PassThroughLayout& structure = device::passThroughLayout(width);
    const PassThroughBuffer buffer = passThroughBuffer(width);
    const AtaCommand& ata = ataCommand(command);
    const bool dataIn = readsSector(command);

    bytes.assign(buffer.size, 0);
    static_assert(device::widePassThrough.size < 256, "Length's high byte stays 0");
    bytes[layout::length] = static_cast<std::uint8_t>(structure.size);
    bytes[layout::cdbLength] = static_cast<std::uint8_t>(cdbSize);
    bytes[layout::senseInfoLength] = layout::senseBufferSize;
    bytes[layout::dataIn] = dataIn ? layout::dataInFromDevice : layout::dataUnspecified;
    writeLe32(&bytes[layout::dataTransferLength], dataIn ? layout::dataBufferSize : 0);
    writeLe32(&bytes[layout::timeOutValue], timeOutSeconds);
    // Offsets within the buffer fit in 32 bits; a ULONG_PTR's upper half stays 0.
    writeLe32(&bytes[structure.dataBufferOffset], static_cast<std::uint32_t>(buffer.dataOffset));
    writeLe32(&bytes[structure.senseInfoOffset], static_cast<std::uint32_t>(buffer.senseOffset));

    const device::AtaCdbLayout& cdb = cdbLayout(cdbSize);
    std::uint8_t* fields = &bytes[structure.cdb];
    fields[0] = cdb.opcode;
    const std::uint8_t protocol = dataIn ? cdbBits::protocolPioDataIn : cdbBits::protocolNonData;
    fields[cdbBits::protocol] = static_cast<std::uint8_t>(protocol << cdbBits::protocolShift);
    fields[cdbBits::flags] =
        dataIn ? cdbBits::fromDevice | cdbBits::countInBlocks | cdbBits::lengthInCount : cdbBits::checkCondition;
    fields[cdb.features] = ata.features;
    fields[cdb.count] = dataIn ? 1 : 0;
    fields[cdb.lbaMid] = ata.lbaMid;
    fields[cdb.lbaHigh] = ata.lbaHigh;
    fields[cdb.command] = ata.command;
}

std::optional<std::string_view> satRequestName(const std::uint8_t* in, std::size_t inSize) {
    namespace layout = device::passThrough;
    if (in == nullptr || inSize < layout::length + 2) return std::nullopt;
    const std::uint16_t length = readLe16(in + layout::length);
    const device::PassThroughLayout* structure = device::passThroughLayoutOfLength(length);
    if (structure == nullptr || inSize < structure->size) return std::nullopt;
    const std::uint8_t* fields = in + structure->cdb;
    for (const CdbSize size : {CdbSize::Sixteen, CdbSize::Twelve}) {
        const device::AtaCdbLayout& cdb = cdbLayout(size);
        if (in[layout::cdbLength] != cdb.size || fields[0] != cdb.opcode) continue;
        for (std::size_t index = 0; index < ataCommands.size(); ++index)
            if (fields[cdb.command] == ataCommands[index].command &&
                fields[cdb.features] == ataCommands[index].features)
                return satRequestNames[index];
    }
    return std::nullopt;
}

}  // namespace kestrine
