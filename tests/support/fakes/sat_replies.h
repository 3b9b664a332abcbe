#pragma once
// What a USB bridge gives back for an ATA PASS-THROUGH through the buffered SCSI pass-through
// request, for the SAT tests and the fuzz seeds. Every field sits where the published layouts
// put it, written here as numbers: SCSI_PASS_THROUGH of a 32-bit build (44 bytes) and of a
// 64-bit one (56), descriptor-format and fixed-format sense data, and the ATA Status Return
// descriptor. A wrong offset in the product must not move the fake along with it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/device_answers.h"
#include "fakes/device_replies.h"
#include "probe/device_port.h"
#include "probe/sat_reply.h"

namespace kestrine::testing {

// Descriptor-format sense data (response code 0x72): the sense key in byte 1, ASC and ASCQ in
// 2 and 3, the additional length in 7, then `other` descriptors and, with registers, the ATA
// Status Return descriptor: code 0x09, length 0x0C, EXTEND in bit 0 of byte 2, error 3,
// count 5, LBA low 7, mid 9, high 11 (each 16-bit register's high byte before it), device 12,
// status 13.
inline std::vector<std::uint8_t> descriptorSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq,
                                                 std::optional<AtaRegisters> registers,
                                                 const std::vector<std::uint8_t>& other = {}) {
    std::vector<std::uint8_t> sense = {0x72, key, asc, ascq, 0, 0, 0, 0};
    // Byte by byte: GCC 12 at -O2 takes a range insert of an empty vector here for a move past
    // the end.
    for (const std::uint8_t byte : other) sense.push_back(byte);
    if (registers) {
        std::vector<std::uint8_t> d(14, 0xEE);  // high bytes of a 28-bit command: never read
        d[0] = 0x09;
        d[1] = 0x0C;
        d[2] = registers->extend ? 0x01 : 0x00;
        d[3] = registers->error;
        d[5] = registers->count;
        d[7] = registers->lbaLow;
        d[9] = registers->lbaMid;
        d[11] = registers->lbaHigh;
        d[12] = registers->device;
        d[13] = registers->status;
        for (const std::uint8_t byte : d) sense.push_back(byte);
    }
    sense[7] = static_cast<std::uint8_t>(sense.size() - 8);
    return sense;
}

// Fixed-format sense data (response code 0x70, 18 bytes): the sense key in byte 2, the
// Information field (3 to 6) holding error, status, device and count, the additional length
// in 7, the Command-specific information (8 to 11) holding EXTEND in bit 7 of byte 8 and LBA
// low, mid and high, ASC and ASCQ in 12 and 13.
inline std::vector<std::uint8_t> fixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq,
                                            const AtaRegisters& registers) {
    std::vector<std::uint8_t> sense(18, 0);
    sense[0] = 0x70;
    sense[2] = key;
    sense[3] = registers.error;
    sense[4] = registers.status;
    sense[5] = registers.device;
    sense[6] = registers.count;
    sense[7] = 10;
    sense[8] = registers.extend ? 0x80 : 0x00;
    sense[9] = registers.lbaLow;
    sense[10] = registers.lbaMid;
    sense[11] = registers.lbaHigh;
    sense[12] = asc;
    sense[13] = ascq;
    return sense;
}

// One answer of a bridge, in the structure of a 32-bit (`narrow`) or 64-bit build.
struct BridgeAnswer {
    std::uint8_t scsiStatus = 0;
    std::vector<std::uint8_t> sense;  // none unless a check condition brought some
    std::vector<std::uint8_t> data;   // the bytes transferred
    // Where the structure says they are; by default the sense buffer right behind the
    // structure, 8-byte aligned, and the data 32 bytes after it.
    std::optional<std::uint64_t> senseOffset;
    std::optional<std::uint64_t> dataOffset;
    std::optional<std::uint32_t> returned;  // the byte count the driver reports, if not all
};

// The output buffer as the driver fills it, as long as the bytes it returns: Length (0, 2
// bytes), ScsiStatus 2, CdbLength 6, SenseInfoLength 7, DataIn 8, DataTransferLength 12;
// DataBufferOffset at 20 (4 bytes) or 24 (8 bytes), SenseInfoOffset at 24 or 32.
inline std::vector<std::uint8_t> passThroughReply(const BridgeAnswer& answer, bool narrow) {
    const std::size_t size = narrow ? 44 : 56;
    const std::uint64_t senseOffset = answer.senseOffset.value_or(narrow ? 48 : 56);
    const std::uint64_t dataOffset = answer.dataOffset.value_or(senseOffset + 32);
    std::vector<std::uint8_t> bytes(size, 0);
    bytes[0] = static_cast<std::uint8_t>(size);
    bytes[2] = answer.scsiStatus;
    bytes[6] = 16;
    bytes[7] = static_cast<std::uint8_t>(answer.sense.size());
    bytes[8] = answer.data.empty() ? 2 : 1;
    putLe32(bytes, 12, static_cast<std::uint32_t>(answer.data.size()));
    putLe32(bytes, narrow ? 20 : 24, static_cast<std::uint32_t>(dataOffset));
    if (!narrow) putLe32(bytes, 28, static_cast<std::uint32_t>(dataOffset >> 32));
    putLe32(bytes, narrow ? 24 : 32, static_cast<std::uint32_t>(senseOffset));
    const auto place = [&bytes](std::uint64_t offset, const std::vector<std::uint8_t>& part) {
        if (part.empty() || offset > 4096) return;  // an offset far outside: nothing there
        if (bytes.size() < offset + part.size()) bytes.resize(offset + part.size());
        std::copy(part.begin(), part.end(), bytes.begin() + static_cast<long>(offset));
    };
    place(senseOffset, answer.sense);
    place(dataOffset, answer.data);
    if (answer.returned) bytes.resize(*answer.returned);
    return bytes;
}

// A bridge in front of one drive: it reads each request as the published layouts put it (the
// structure's Length picks the CDB's place, 28 or 36; (16) is 0x85 with the command at 14 and
// the features at 4, (12) is 0xA1 with them at 9 and 3) and answers the command from
// `answers`, keyed "identify", "smart-data", "smart-thresholds", "smart-status"; an unknown
// command or a refused CDB size gets ILLEGAL REQUEST, INVALID COMMAND OPERATION CODE.
class FakeBridge : public OpenDevice {
public:
    std::map<std::string, BridgeAnswer> answers;
    std::set<int> refusedCdbs;
    std::uint32_t error = 0;           // the driver refuses every request with this code
    std::optional<bool> answerNarrow;  // a reply saved by the other build; else the request's own
    std::vector<std::string> seen;     // "16 identify", "12 smart-status", ...

    ControlResult control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                          std::uint32_t outSize) override {
        if (code != sdk::ioctlScsiPassThrough || inSize < 44) return {1, 0};
        const bool narrowRequest = in[0] == 44;
        const std::uint8_t* cdb = in + (narrowRequest ? 28 : 36);
        const int cdbSize = cdb[0] == 0x85 ? 16 : cdb[0] == 0xA1 ? 12 : 0;
        const std::uint8_t command = cdb[cdbSize == 16 ? 14 : 9];
        const std::uint8_t features = cdb[cdbSize == 16 ? 4 : 3];
        const std::string name = command == 0xEC    ? "identify"
                                 : features == 0xD0 ? "smart-data"
                                 : features == 0xD1 ? "smart-thresholds"
                                 : features == 0xDA ? "smart-status"
                                                    : "unknown";
        seen.push_back(std::to_string(cdbSize) + " " + name);
        if (error != 0) return {error, 0};
        BridgeAnswer refusal{0x02, descriptorSense(0x05, 0x20, 0x00, std::nullopt), {}, {}, {}, {}};
        const auto found = answers.find(name);
        const bool refused = refusedCdbs.count(cdbSize) != 0 || found == answers.end();
        const std::vector<std::uint8_t> reply =
            passThroughReply(refused ? refusal : found->second, answerNarrow.value_or(narrowRequest));
        const std::size_t count = std::min<std::size_t>(reply.size(), outSize);
        std::copy_n(reply.begin(), count, out);
        return {0, static_cast<std::uint32_t>(count)};
    }
};

// The answers of a bridge that passes each command on: a sector read, or SMART RETURN STATUS
// with CK_COND (descriptor-format sense, "ATA pass-through information available") whose LBA
// mid/high say 4F/C2, or F4/2C when the threshold is exceeded.
inline BridgeAnswer sectorAnswer(const std::vector<std::uint8_t>& sector) { return {0x00, {}, sector, {}, {}, {}}; }
inline BridgeAnswer returnStatusAnswer(bool thresholdExceeded) {
    const AtaRegisters registers{0x00,
                                 0x00,
                                 0x00,
                                 static_cast<std::uint8_t>(thresholdExceeded ? 0xF4 : 0x4F),
                                 static_cast<std::uint8_t>(thresholdExceeded ? 0x2C : 0xC2),
                                 0xA0,
                                 0x50,
                                 false};
    return {0x02, descriptorSense(0x01, 0x00, 0x1D, registers), {}, {}, {}, {}};
}

// Byte 511 set so that the sector's bytes sum to 0 modulo 256.
inline void sealChecksum(std::vector<std::uint8_t>& sector) {
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < sector.size(); ++i) sum += sector[i];
    sector.at(511) = static_cast<std::uint8_t>(0x100 - sum % 0x100);
}

// An IDENTIFY DEVICE sector: the serial number in words 10 to 19 and the model in words 27 to
// 46, blank-padded, two characters a word with the first in the high byte; the signature 0xA5
// in byte 510 and the checksum in 511.
inline std::vector<std::uint8_t> identifySector(const std::string& model, const std::string& serial) {
    std::vector<std::uint8_t> sector(512, 0);
    const auto put = [&sector](std::size_t word, std::size_t words, const std::string& text) {
        for (std::size_t i = 0; i < 2 * words; ++i)
            sector[2 * word + (i ^ 1)] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
    };
    put(10, 10, serial);
    put(27, 20, model);
    sector[0] = 0x40;  // fixed device
    sector[510] = 0xA5;
    sealChecksum(sector);
    return sector;
}

// The 512-byte sector of a SMART READ reply (`smartDataReply`, `smartThresholdsReply`: behind
// a 16-byte header) as a drive sends it, with its revision 0x0010 and its checksum.
inline std::vector<std::uint8_t> smartSectorOf(const std::vector<std::uint8_t>& reply) {
    std::vector<std::uint8_t> sector(reply.begin() + 16, reply.begin() + 16 + 512);
    sector[0] = 0x10;
    sealChecksum(sector);
    return sector;
}

// A bridge that passes every command on to a drive with these sectors.
inline FakeBridge passingBridge(const std::vector<std::uint8_t>& identify, const std::vector<std::uint8_t>& data,
                                const std::vector<std::uint8_t>& thresholds, bool thresholdExceeded) {
    FakeBridge bridge;
    bridge.answers = {{"identify", sectorAnswer(identify)},
                      {"smart-data", sectorAnswer(data)},
                      {"smart-thresholds", sectorAnswer(thresholds)},
                      {"smart-status", returnStatusAnswer(thresholdExceeded)}};
    return bridge;
}

}  // namespace kestrine::testing
