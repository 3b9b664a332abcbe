#include "probe/sat_reply.h"

#include <algorithm>

#include "probe/drive_texts.h"
#include "probe/little_endian.h"
#include "probe/sat_layouts.h"

namespace kestrine {

namespace {

namespace layout = device::passThrough;
namespace senseLayout = device::sense;

std::string count(std::uint64_t value) { return std::to_string(value); }

std::string codeText(const SenseCode& code) {
    return joined({"sense key ", hexByte(code.key), ", ASC/ASCQ ", hexByte(code.asc), "/", hexByte(code.ascq)});
}

AtaRegisters registersAt(const std::uint8_t* bytes, const device::AtaRegisterOffsets& at) {
    AtaRegisters registers;
    registers.extend = (bytes[at.extendFlags] & at.extendBit) != 0;
    registers.error = bytes[at.error];
    registers.count = bytes[at.count];
    registers.lbaLow = bytes[at.lbaLow];
    registers.lbaMid = bytes[at.lbaMid];
    registers.lbaHigh = bytes[at.lbaHigh];
    registers.device = bytes[at.device];
    registers.status = bytes[at.status];
    return registers;
}

// The bytes the sense data says it holds, within the bytes there are.
std::size_t senseEnd(const std::uint8_t* sense, std::size_t length) {
    return std::min(length, senseLayout::additionalLength + 1 + sense[senseLayout::additionalLength]);
}

void decodeDescriptorFormat(const std::uint8_t* sense, std::size_t length, DecodedSense& decoded) {
    namespace format = senseLayout::descriptorFormat;
    namespace status = senseLayout::ataStatusReturn;
    decoded.code = SenseCode{static_cast<std::uint8_t>(sense[format::senseKey] & senseLayout::senseKeyMask),
                             sense[format::asc], sense[format::ascq]};
    const std::size_t end = senseEnd(sense, length);
    for (std::size_t at = format::firstDescriptor; at + 2 <= end; at += 2 + std::size_t{sense[at + 1]}) {
        if (sense[at] == status::code && sense[at + 1] >= status::additionalLength && at + status::size <= end) {
            decoded.registers = registersAt(sense + at, status::registers);
            return;
        }
    }
}

void decodeFixedFormat(const std::uint8_t* sense, std::size_t length, DecodedSense& decoded) {
    namespace format = senseLayout::fixedFormat;
    if (senseEnd(sense, length) < format::minimumSize) return;
    decoded.code = SenseCode{static_cast<std::uint8_t>(sense[format::senseKey] & senseLayout::senseKeyMask),
                             sense[format::asc], sense[format::ascq]};
    if (decoded.code->asc == senseLayout::ataInformationAsc && decoded.code->ascq == senseLayout::ataInformationAscq)
        decoded.registers = registersAt(sense, format::registers);
}

// A range the structure gives, inside the reply and behind the structure.
bool inside(std::uint64_t offset, std::uint64_t length, std::size_t structureSize, std::size_t bytesReturned) {
    return offset >= structureSize && offset <= bytesReturned && length <= bytesReturned - offset;
}

SatReply failed(SatOutcome outcome, std::string problem) {
    SatReply reply;
    reply.outcome = outcome;
    reply.problem = std::move(problem);
    return reply;
}

// A check condition or another status: refused, or failed with what the sense data says.
void judgeFailure(SatReply& reply, const DecodedSense& decoded, bool hasSense) {
    if (reply.scsiStatus != layout::statusCheckCondition) {
        reply.outcome = SatOutcome::CheckCondition;
        reply.problem = joined({"the bridge answered with SCSI status ", hexByte(reply.scsiStatus)});
        return;
    }
    if (reply.sense && reply.sense->key == senseLayout::illegalRequest) {
        reply.outcome = SatOutcome::Refused;
        reply.problem = joined({"the bridge refused the command (", codeText(*reply.sense), ")"});
        return;
    }
    reply.outcome = SatOutcome::CheckCondition;
    // The drive's registers close the reason when the sense data holds them.
    HexByte statusByte{}, errorByte{};
    std::string_view status, statusValue, error, errorValue;
    if (reply.registers) {
        statusByte = hexByte(reply.registers->status);
        errorByte = hexByte(reply.registers->error);
        status = "; the drive's status ";
        statusValue = statusByte;
        error = ", error ";
        errorValue = errorByte;
    }
    if (!hasSense)
        reply.problem = joined(
            {"the bridge reported a check condition without sense data", status, statusValue, error, errorValue});
    else if (!reply.sense)
        reply.problem =
            joined({"the bridge reported a check condition with sense data of no known format (response code ",
                    hexByte(decoded.responseCode), ")", status, statusValue, error, errorValue});
    else
        reply.problem = joined({"the bridge reported a check condition (sense key ", hexByte(reply.sense->key),
                                ", ASC/ASCQ ", hexByte(reply.sense->asc), "/", hexByte(reply.sense->ascq), ")", status,
                                statusValue, error, errorValue});
}

void readSector(SatReply& reply, const std::uint8_t* bytes, std::size_t bytesReturned,
                const device::PassThroughLayout& structure) {
    const std::uint64_t offset = readLittleEndian(bytes + structure.dataBufferOffset, structure.dataBufferOffsetWidth);
    const std::uint32_t length = readLe32(bytes + layout::dataTransferLength);
    if (!inside(offset, length, structure.size, bytesReturned)) {
        reply.outcome = SatOutcome::Malformed;
        reply.problem = "the data (" + count(length) + " bytes at offset " + count(offset) +
                        ") lies outside the reply's " + count(bytesReturned) + " bytes";
    } else if (length < ataSectorSize) {
        reply.outcome = SatOutcome::ShortTransfer;
        reply.problem = "the bridge transferred " + count(length) + " of " + count(ataSectorSize) + " bytes";
    } else {
        reply.outcome = SatOutcome::Sector;
        std::copy_n(bytes + offset, ataSectorSize, reply.sector.begin());
    }
}

}  // namespace

// Spelt out rather than printed: a bridge that refuses a command gets several of these per
// command at every refresh.
HexByte hexByte(std::uint8_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    return {{'0', 'x', digits[value >> 4], digits[value & 0xF]}};
}

DecodedSense decodeSense(const std::uint8_t* sense, std::size_t length) {
    DecodedSense decoded;
    if (length <= senseLayout::additionalLength) return decoded;
    decoded.responseCode = sense[0] & senseLayout::responseCodeMask;
    switch (decoded.responseCode) {
        case senseLayout::descriptorCurrent:
        case senseLayout::descriptorDeferred: decodeDescriptorFormat(sense, length, decoded); break;
        case senseLayout::fixedCurrent:
        case senseLayout::fixedDeferred: decodeFixedFormat(sense, length, decoded); break;
        default: break;
    }
    return decoded;
}

SatReply readSatReply(const std::uint8_t* bytes, std::size_t bytesReturned, bool readsSector) {
    if (bytes == nullptr || bytesReturned < layout::length + 2)
        return failed(SatOutcome::Malformed, "the reply holds " + count(bytes ? bytesReturned : 0) +
                                                 " bytes, too few for the pass-through structure");
    const std::uint16_t length = readLe16(bytes + layout::length);
    const device::PassThroughLayout* structure = device::passThroughLayoutOfLength(length);
    if (structure == nullptr)
        return failed(SatOutcome::Malformed, "the structure's Length is " + count(length) + ", neither " +
                                                 count(device::narrowPassThrough.size) + " nor " +
                                                 count(device::widePassThrough.size));
    if (bytesReturned < length)
        return failed(SatOutcome::Malformed,
                      "the reply holds " + count(bytesReturned) + " of the structure's " + count(length) + " bytes");

    const std::uint8_t senseLength = bytes[layout::senseInfoLength];
    const std::uint32_t senseOffset = readLe32(bytes + structure->senseInfoOffset);
    if (senseLength > 0 && !inside(senseOffset, senseLength, length, bytesReturned))
        return failed(SatOutcome::Malformed, "the sense data (" + count(senseLength) + " bytes at offset " +
                                                 count(senseOffset) + ") lies outside the reply's " +
                                                 count(bytesReturned) + " bytes");
    SatReply reply;
    reply.scsiStatus = bytes[layout::scsiStatus];
    const DecodedSense decoded = senseLength > 0 ? decodeSense(bytes + senseOffset, senseLength) : DecodedSense{};
    reply.sense = decoded.code;
    reply.registers = decoded.registers;

    const bool ended = reply.scsiStatus == layout::statusGood;
    if (reply.registers && !readsSector && !(reply.sense && reply.sense->key == senseLayout::illegalRequest))
        reply.outcome = SatOutcome::Registers;
    else if (!ended)
        judgeFailure(reply, decoded, senseLength > 0);
    else if (readsSector)
        readSector(reply, bytes, bytesReturned, *structure);
    else {
        reply.outcome = SatOutcome::NoRegisters;
        reply.problem = "the bridge returned no ATA registers";
    }
    return reply;
}

}  // namespace kestrine
