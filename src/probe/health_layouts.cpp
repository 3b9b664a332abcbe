#include "probe/health_layouts.h"

namespace kestrine::device {

namespace {

void putLe32(std::uint8_t* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

SmartCommand makeSmartReadCommand(std::int32_t driveNumber, std::uint8_t feature) {
    SmartCommand command{};
    putLe32(command.data() + smartCommand::bufferSize, smartRead::sectorSize);
    command[smartCommand::featuresReg] = feature;
    command[smartCommand::sectorCountReg] = 1;
    command[smartCommand::sectorNumberReg] = 1;
    command[smartCommand::cylLowReg] = smartCommand::smartCylLow;
    command[smartCommand::cylHighReg] = smartCommand::smartCylHigh;
    command[smartCommand::commandReg] = smartCommand::smartCmd;
    command[smartCommand::driveNumber] = static_cast<std::uint8_t>(driveNumber & 0xFF);
    return command;
}

NvmeHealthQuery makeNvmeHealthQuery() {
    NvmeHealthQuery query{};  // PropertyStandardQuery and every sub-value are 0
    putLe32(query.data() + propertyQuery::propertyId, nvmeQuery::protocolSpecificProperty);
    putLe32(query.data() + nvmeQuery::protocolType, nvmeQuery::protocolNvme);
    putLe32(query.data() + nvmeQuery::dataType, nvmeQuery::dataTypeLogPage);
    putLe32(query.data() + nvmeQuery::requestValue, nvmeQuery::healthLogPage);
    putLe32(query.data() + nvmeQuery::dataOffset, nvmeQuery::protocolDataSize);
    putLe32(query.data() + nvmeQuery::dataLength, nvmeQuery::logSize);
    return query;
}

PropertyQuery makeTemperatureQuery() {
    PropertyQuery query{};
    putLe32(query.data() + propertyQuery::propertyId, temperatureQuery::temperatureProperty);
    return query;
}

}  // namespace kestrine::device
