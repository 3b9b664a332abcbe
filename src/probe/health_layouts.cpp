#include "probe/health_layouts.h"

#include "probe/little_endian.h"

namespace kestrine::device {

SmartCommand makeSmartReadCommand(std::int32_t driveNumber, std::uint8_t feature) {
    SmartCommand command{};
    writeLe32(command.data() + smartCommand::bufferSize, smartRead::sectorSize);
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
    writeLe32(query.data() + propertyQuery::propertyId, nvmeQuery::protocolSpecificProperty);
    writeLe32(query.data() + nvmeQuery::protocolType, nvmeQuery::protocolNvme);
    writeLe32(query.data() + nvmeQuery::dataType, nvmeQuery::dataTypeLogPage);
    writeLe32(query.data() + nvmeQuery::requestValue, nvmeQuery::healthLogPage);
    writeLe32(query.data() + nvmeQuery::dataOffset, nvmeQuery::protocolDataSize);
    writeLe32(query.data() + nvmeQuery::dataLength, nvmeQuery::logSize);
    return query;
}

PropertyQuery makeTemperatureQuery() {
    PropertyQuery query{};
    writeLe32(query.data() + propertyQuery::propertyId, temperatureQuery::temperatureProperty);
    return query;
}

}  // namespace kestrine::device
