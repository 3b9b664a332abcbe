// The SCSI/ATA translation transport: the pass-through requests of both pointer widths and CDB
// sizes, the replies a bridge gives (built by tests/support/fakes/sat_replies.h from the
// published layouts), the checks a sector passes, and the reader over a scripted bridge with
// the real Intel SSD's IDENTIFY, SMART data and thresholds behind it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/sat_replies.h"
#include "probe/sat_reader.h"
#include "probe/sat_sector_checks.h"
#include "real_drives.h"

namespace kestrine {
namespace {

using Bytes = std::vector<std::uint8_t>;
using device::PointerWidth;
using testing::BridgeAnswer;
using testing::descriptorSense;
using testing::FakeBridge;
using testing::fixedSense;

constexpr PointerWidth bits32 = PointerWidth::Bits32;
constexpr PointerWidth bits64 = PointerWidth::Bits64;
const std::optional<AtaRegisters> noRegisters;

// Distinct values in every register, so that a field read from the wrong byte shows.
AtaRegisters registers(std::uint8_t mid, std::uint8_t high, std::uint8_t status = 0x50, bool extend = false) {
    return {0x04, 0x11, 0x22, mid, high, 0xA0, status, extend};
}

Bytes bytesOf(const std::optional<AtaSector>& sector) {
    return sector ? Bytes(sector->begin(), sector->end()) : Bytes();
}

AtaSector sectorOf(const Bytes& bytes) {
    AtaSector sector{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), sector.size()), sector.begin());
    return sector;
}

BridgeAnswer dataAnswer(const Bytes& data) { return {0x00, {}, data, {}, {}, {}}; }
BridgeAnswer senseAnswer(const Bytes& sense) { return {0x02, sense, {}, {}, {}, {}}; }
BridgeAnswer statusOnly(std::uint8_t status) { return {status, {}, {}, {}, {}, {}}; }

// Random bytes whose checksum is wrong; the same each run.
Bytes randomBytes() {
    Bytes bytes(512);
    std::uint32_t state = 0x2545F491, sum = 0;
    for (std::uint8_t& byte : bytes)
        sum += byte = static_cast<std::uint8_t>((state = state * 1664525 + 1013904223) >> 24);
    if (sum % 256 == 0) bytes[511] ^= 1;
    return bytes;
}

// The request written over a longer buffer that held other bytes, as a bridge's next command finds it.
Bytes requestFor(SatCommand command, CdbSize cdb, device::PointerWidth width) {
    Bytes bytes(700, 0xEE);
    makeSatRequest(command, cdb, width, bytes);
    return bytes;
}

TEST(SatRequests, EachCommandInEachCdbAndLayoutCarriesItsFieldsWhereTheStructureSays) {
    const struct {
        PointerWidth width;
        int length, bufferSize, dataOffsetAt, senseOffsetAt, cdbAt, dataOffset, senseOffset;
    } structures[] = {{bits32, 44, 592, 20, 24, 28, 80, 48}, {bits64, 56, 600, 24, 32, 36, 88, 56}};
    const struct {
        CdbSize size;
        int opcode, features, count, mid, high, command;
    } cdbs[] = {{CdbSize::Sixteen, 0x85, 4, 6, 10, 12, 14}, {CdbSize::Twelve, 0xA1, 3, 4, 6, 7, 9}};
    const struct {
        SatCommand command;
        int protocol, flags, features, count, mid, high, ata;
        const char* name;
    } commands[] = {
        {SatCommand::Identify, 0x08, 0x0E, 0x00, 1, 0x00, 0x00, 0xEC, "sat-identify"},
        {SatCommand::SmartReadData, 0x08, 0x0E, 0xD0, 1, 0x4F, 0xC2, 0xB0, "sat-smart-data"},
        {SatCommand::SmartReadThresholds, 0x08, 0x0E, 0xD1, 1, 0x4F, 0xC2, 0xB0, "sat-smart-thresholds"},
        {SatCommand::SmartReturnStatus, 0x06, 0x20, 0xDA, 0, 0x4F, 0xC2, 0xB0, "sat-smart-status"},
    };
    for (const auto& s : structures) {
        for (const auto& c : cdbs) {
            for (const auto& a : commands) {
                SCOPED_TRACE(std::string(a.name) + " " + std::to_string(s.length) + " " + std::to_string(c.opcode));
                const Bytes in = requestFor(a.command, c.size, s.width);
                ASSERT_EQ(in.size(), s.bufferSize);
                EXPECT_EQ(std::count(in.begin(), in.end(), std::uint8_t{0xEE}), 0) << "nothing left of before";
                const bool data = a.count == 1;
                EXPECT_EQ(std::vector<int>({in[0] | in[1] << 8, in[6], in[7], in[8], in[12] | in[13] << 8, in[16],
                                            in[s.dataOffsetAt], in[s.senseOffsetAt]}),
                          std::vector<int>({s.length, static_cast<int>(c.size), 32, data ? 1 : 2, data ? 512 : 0, 10,
                                            s.dataOffset, s.senseOffset}));
                const std::uint8_t* cdb = &in[s.cdbAt];
                EXPECT_EQ(std::vector<int>({cdb[0], cdb[1], cdb[2], cdb[c.features], cdb[c.count], cdb[c.mid],
                                            cdb[c.high], cdb[c.command]}),
                          std::vector<int>({c.opcode, a.protocol, a.flags, a.features, a.count, a.mid, a.high, a.ata}));
                EXPECT_EQ(satRequestName(in.data(), in.size()), std::optional<std::string_view>(a.name));
                EXPECT_EQ(satRequestName(in.data(), s.length - 1), std::nullopt) << "cut";
            }
        }
    }
    Bytes other = requestFor(SatCommand::Identify, CdbSize::Sixteen, bits64);
    other[0] = 48;
    EXPECT_EQ(satRequestName(other.data(), other.size()), std::nullopt) << "no layout has Length 48";
    other = requestFor(SatCommand::SmartReadData, CdbSize::Twelve, bits32);
    other[28 + 3] = 0xD5;  // SMART READ LOG: not one of ours
    EXPECT_EQ(satRequestName(other.data(), other.size()), std::nullopt);
}

TEST(SatReplies, EachAnswerGivesItsOutcomeAndEveryBadOneAReason) {
    const Bytes sector = testing::realAtaSectors().data;
    BridgeAnswer moved = dataAnswer(sector);
    moved.dataOffset = 64;  // the data first, the sense buffer behind it
    moved.senseOffset = 600;
    BridgeAnswer truncated = dataAnswer(sector);
    truncated.returned = 300;
    BridgeAnswer dataOutside = dataAnswer(sector);
    dataOutside.dataOffset = std::uint64_t{1} << 32;
    BridgeAnswer senseInStructure = senseAnswer(descriptorSense(0x01, 0x00, 0x1D, registers(0x4F, 0xC2)));
    senseInStructure.senseOffset = 8;
    const Bytes vendorDescriptor = {0x80, 0x02, 0x09, 0x0C};
    const AtaRegisters extended = registers(0x4F, 0xC2, 0x50, true);
    const AtaRegisters aborted = registers(0x00, 0x00, 0x51);
    struct Row {
        const char* name;
        BridgeAnswer answer;
        bool narrow, readsSector;
        SatOutcome outcome;
        std::optional<AtaRegisters> registers;
        const char* problem;
    };
    const std::vector<Row> rows = {
        {"sector, 64-bit", dataAnswer(sector), false, true, SatOutcome::Sector, noRegisters, ""},
        {"sector, 32-bit", dataAnswer(sector), true, true, SatOutcome::Sector, noRegisters, ""},
        {"sector where the structure moved it", moved, false, true, SatOutcome::Sector, noRegisters, ""},
        {"descriptor", senseAnswer(descriptorSense(0x01, 0x00, 0x1D, registers(0xF4, 0x2C))), true, false,
         SatOutcome::Registers, registers(0xF4, 0x2C), ""},
        {"extended, after another descriptor", senseAnswer(descriptorSense(0, 0, 0, extended, vendorDescriptor)), false,
         false, SatOutcome::Registers, extended, ""},
        {"fixed", senseAnswer(fixedSense(0x01, 0x00, 0x1D, extended)), true, false, SatOutcome::Registers, extended,
         ""},
        {"fixed without 00/1D", senseAnswer(fixedSense(0x0B, 0x00, 0x00, extended)), false, false,
         SatOutcome::CheckCondition, noRegisters, "check condition (sense key 0x0B, ASC/ASCQ 0x00/0x00)"},
        {"refused", senseAnswer(descriptorSense(0x05, 0x24, 0x00, noRegisters)), false, true, SatOutcome::Refused,
         noRegisters, "the bridge refused the command (sense key 0x05, ASC/ASCQ 0x24/0x00)"},
        {"aborted read", senseAnswer(descriptorSense(0x0B, 0x00, 0x00, aborted)), false, true,
         SatOutcome::CheckCondition, aborted,
         "the bridge reported a check condition (sense key 0x0B, ASC/ASCQ 0x00/0x00); the drive's status 0x51, error "
         "0x04"},
        {"check condition, no sense", senseAnswer({}), false, true, SatOutcome::CheckCondition, noRegisters,
         "the bridge reported a check condition without sense data"},
        {"sense of no known format", senseAnswer(Bytes(18, 0x7F)), false, false, SatOutcome::CheckCondition,
         noRegisters, "the bridge reported a check condition with sense data of no known format (response code 0x7F)"},
        {"busy", statusOnly(0x08), false, true, SatOutcome::CheckCondition, noRegisters, "SCSI status 0x08"},
        {"done, no registers", statusOnly(0x00), false, false, SatOutcome::NoRegisters, noRegisters,
         "no ATA registers"},
        {"short transfer", dataAnswer(Bytes(sector.begin(), sector.begin() + 256)), true, true,
         SatOutcome::ShortTransfer, noRegisters, "transferred 256 of 512 bytes"},
        {"reply cut inside the data", truncated, false, true, SatOutcome::Malformed, noRegisters,
         "the data (512 bytes at offset 88) lies outside the reply's 300 bytes"},
        {"data offset past 4 GiB", dataOutside, false, true, SatOutcome::Malformed, noRegisters,
         "(512 bytes at offset 4294967296)"},
        {"sense inside the structure", senseInStructure, false, false, SatOutcome::Malformed, noRegisters,
         "the sense data (22 bytes at offset 8) lies outside"},
    };
    const auto values = [](const auto& r) {
        return std::vector<int>({r.error, r.count, r.lbaLow, r.lbaMid, r.lbaHigh, r.device, r.status, r.extend});
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Bytes bytes = testing::passThroughReply(row.answer, row.narrow);
        const SatReply reply = readSatReply(bytes.data(), bytes.size(), row.readsSector);
        EXPECT_EQ(reply.outcome, row.outcome) << reply.problem;
        EXPECT_NE(reply.problem.find(row.problem), std::string::npos) << reply.problem;
        EXPECT_EQ(reply.problem.empty(), row.outcome == SatOutcome::Sector || row.outcome == SatOutcome::Registers);
        EXPECT_EQ(bytesOf(reply.sector), row.outcome == SatOutcome::Sector ? sector : Bytes(512, 0));
        EXPECT_EQ(reply.registers ? values(*reply.registers) : std::vector<int>(),
                  row.registers ? values(*row.registers) : std::vector<int>());
    }
}

TEST(SatReplies, BytesAreWrittenAsTwoUpperCaseHexDigits) {
    EXPECT_EQ(std::string_view(hexByte(0x00)), "0x00");
    EXPECT_EQ(std::string_view(hexByte(0x0B)), "0x0B");
    EXPECT_EQ(std::string_view(hexByte(0xA7)), "0xA7");
    EXPECT_EQ(std::string_view(hexByte(0xFF)), "0xFF");
}

TEST(SatReplies, AStructureThatDoesNotFitIsMalformed) {
    Bytes wrongLength = testing::passThroughReply(dataAnswer(testing::realAtaSectors().data), false);
    wrongLength[0] = 48;
    const Bytes full = testing::passThroughReply(dataAnswer(testing::realAtaSectors().data), true);
    const struct {
        Bytes bytes;
        const char* problem;
    } rows[] = {
        {Bytes(1, 44), "the reply holds 1 bytes, too few for the pass-through structure"},
        {wrongLength, "the structure's Length is 48, neither 44 nor 56"},
        {Bytes(full.begin(), full.begin() + 40), "the reply holds 40 of the structure's 44 bytes"},
    };
    for (const auto& row : rows) {
        const SatReply reply = readSatReply(row.bytes.data(), row.bytes.size(), true);
        EXPECT_EQ(reply.outcome, SatOutcome::Malformed);
        EXPECT_EQ(reply.problem, row.problem);
    }
    EXPECT_EQ(readSatReply(nullptr, 600, true).outcome, SatOutcome::Malformed);
}

TEST(SatSectorChecks, TheRealDrivesSectorsPassAndGarbageNever) {
    const AtaSector identify = sectorOf(testing::realAtaSectors().identify);
    EXPECT_EQ(identifyProblem(identify), "");
    // skdump --load: "Model: [INTEL SSDSA2CW120G3]", "Serial: [CVPR109301UZ120LGN]".
    EXPECT_EQ(ataIdentity(identify).model, "INTEL SSDSA2CW120G3");
    EXPECT_EQ(ataIdentity(identify).serial, "CVPR109301UZ120LGN");
    EXPECT_EQ(smartSectorProblem("data", sectorOf(testing::realAtaSectors().data)), "");
    EXPECT_EQ(smartSectorProblem("thresholds", sectorOf(testing::realAtaSectors().thresholds)), "");

    AtaSector unsigned_ = identify;  // no signature: no checksum to check
    unsigned_[510] = 0;
    unsigned_[100] ^= 0x40;
    EXPECT_EQ(identifyProblem(unsigned_), "");
    AtaSector flipped = identify;
    flipped[100] ^= 0x40;
    EXPECT_EQ(identifyProblem(flipped),
              "the IDENTIFY data has a wrong checksum (its bytes sum to 64 modulo 256, not 0)");
    AtaSector control = unsigned_;
    control[54] = 0x07;
    EXPECT_EQ(identifyProblem(control),
              "the IDENTIFY data holds no model name and serial number in printable characters");

    Bytes pattern(512);
    for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = "\xDE\xAD\xBE\xEF"[i % 4];
    Bytes noRevision = testing::realAtaSectors().data;
    noRevision[0] = 0;
    noRevision[511] = static_cast<std::uint8_t>(noRevision[511] + 5);
    Bytes noId(512, 0);
    noId[0] = 0x10;
    noId[511] = 0xF0;
    // Each as SMART data, and as IDENTIFY data where another check than the model's finds it.
    const struct {
        Bytes bytes;
        const char* smartProblem;
        const char* identifyProblem;
    } garbage[] = {
        {Bytes(512, 0), "the SMART data is all zeros", "the IDENTIFY data is all zeros"},
        {Bytes(512, 0xFF), "the SMART data repeats a pattern of 1 byte",
         "the IDENTIFY data repeats a pattern of 1 byte"},
        {pattern, "the SMART data repeats a pattern of 4 bytes", "the IDENTIFY data repeats a pattern of 4 bytes"},
        {randomBytes(), "the SMART data has a wrong checksum", nullptr},
        {noRevision, "the SMART data carries no structure revision", nullptr},
        {noId, "the SMART data lists no attribute", nullptr},
    };
    for (const auto& row : garbage) {
        EXPECT_EQ(smartSectorProblem("data", sectorOf(row.bytes)).rfind(row.smartProblem, 0), 0u) << row.smartProblem;
        if (row.identifyProblem != nullptr) {
            EXPECT_EQ(identifyProblem(sectorOf(row.bytes)), row.identifyProblem);
        }
    }
}

// A bridge that answers every command as the healthy drive behind it would, but for `changes`.
FakeBridge bridgeAnswering(const std::map<std::string, BridgeAnswer>& changes = {}) {
    FakeBridge bridge;
    bridge.answers = {{"identify", dataAnswer(testing::realAtaSectors().identify)},
                      {"smart-data", dataAnswer(testing::realAtaSectors().data)},
                      {"smart-thresholds", dataAnswer(testing::realAtaSectors().thresholds)},
                      {"smart-status", senseAnswer(descriptorSense(0x01, 0x00, 0x1D, registers(0x4F, 0xC2)))}};
    for (const auto& [command, answer] : changes) bridge.answers[command] = answer;
    return bridge;
}

TEST(SatReader, EachBridgeGivesItsHealthOrAReasonForEachPart) {
    FakeBridge refuses16 = bridgeAnswering(), refusesBoth = bridgeAnswering(), standardUser = bridgeAnswering();
    refuses16.refusedCdbs = {16};
    refusesBoth.refusedCdbs = {16, 12};
    standardUser.error = 5;
    FakeBridge saved32 = bridgeAnswering(), saved64 = bridgeAnswering();
    saved32.answerNarrow = true;
    saved64.answerNarrow = false;
    Bytes badChecksum = testing::realAtaSectors().data;
    badChecksum[2 + 12 + 5] += 1;  // the second attribute's raw value
    BridgeAnswer outside = dataAnswer(testing::realAtaSectors().data);
    outside.dataOffset = 2000;
    const BridgeAnswer notReady = senseAnswer(descriptorSense(0x02, 0x04, 0x00, noRegisters));
    struct Row {
        const char* name;
        FakeBridge bridge;
        PointerWidth width;
        SatStatus status;
        const char* reason;  // the status's, else the SMART data's
        const char* parts;   // "idt": identity, data and thresholds read; "-" where not
        std::optional<CdbSize> cdb;
    };
    const std::vector<Row> rows = {
        {"healthy", bridgeAnswering(), bits64, SatStatus::Ok, "", "idt", CdbSize::Sixteen},
        {"threshold exceeded, fixed-format sense",
         bridgeAnswering({{"smart-status", senseAnswer(fixedSense(0x01, 0x00, 0x1D, registers(0xF4, 0x2C)))}}), bits32,
         SatStatus::ThresholdExceeded, "", "idt", CdbSize::Sixteen},
        {"refuses (16), answers (12)", refuses16, bits64, SatStatus::Ok, "", "idt", CdbSize::Twelve},
        {"refuses both", refusesBoth, bits64, SatStatus::Unknown,
         "SMART RETURN STATUS through ATA PASS-THROUGH (12): the bridge refused the command", "---", std::nullopt},
        {"check condition", bridgeAnswering({{"smart-data", notReady}, {"smart-status", notReady}}), bits64,
         SatStatus::Unknown,
         "SMART RETURN STATUS through ATA PASS-THROUGH (16): the bridge reported a check condition (sense key 0x02, "
         "ASC/ASCQ 0x04/0x00)",
         "i-t", CdbSize::Sixteen},
        {"short transfer", bridgeAnswering({{"smart-data", dataAnswer(Bytes(128, 0x10))}}), bits64, SatStatus::Ok,
         "SMART READ DATA through ATA PASS-THROUGH (16): the bridge transferred 128 of 512 bytes", "i-t",
         CdbSize::Sixteen},
        {"bad checksum", bridgeAnswering({{"smart-data", dataAnswer(badChecksum)}}), bits64, SatStatus::Ok,
         "the SMART data has a wrong checksum (its bytes sum to 1 modulo 256, not 0)", "i-t", CdbSize::Sixteen},
        {"zeros, a pattern, random bytes, no registers",
         bridgeAnswering({{"identify", dataAnswer(Bytes(512, 0))},
                          {"smart-data", dataAnswer(Bytes(512, 0x5A))},
                          {"smart-thresholds", dataAnswer(randomBytes())},
                          {"smart-status", statusOnly(0x00)}}),
         bits64, SatStatus::Unknown, "the bridge returned no ATA registers", "---", CdbSize::Sixteen},
        {"saved by a 32-bit build, read by a 64-bit one", saved32, bits64, SatStatus::Ok, "", "idt", CdbSize::Sixteen},
        {"saved by a 64-bit build, read by a 32-bit one", saved64, bits32, SatStatus::Ok, "", "idt", CdbSize::Sixteen},
        {"offsets outside the reply, aborted status",
         bridgeAnswering({{"smart-data", outside},
                          {"smart-status", senseAnswer(descriptorSense(0x01, 0x00, 0x1D, registers(0, 0, 0x51)))}}),
         bits64, SatStatus::Unknown, "the drive aborted SMART RETURN STATUS (status 0x51, error 0x04)", "i-t",
         CdbSize::Sixteen},
        {"a standard user", standardUser, bits64, SatStatus::Unknown,
         "SCSI pass-through needs administrator rights (the request was refused with error 5)", "---", std::nullopt},
    };
    for (Row row : rows) {
        SCOPED_TRACE(row.name);
        const SatHealth health = readSatHealth(row.bridge, row.width);
        EXPECT_EQ(health.status, row.status);
        const std::string& reason =
            row.status == SatStatus::Unknown ? health.statusUnknownReason : health.smartData.unavailableReason;
        EXPECT_EQ(reason.find(row.reason) == std::string::npos ? reason : row.reason, row.reason);
        EXPECT_EQ(health.statusUnknownReason.empty(), row.status != SatStatus::Unknown);
        const std::string parts = {health.model.empty() ? '-' : 'i', health.smartData.bytes ? 'd' : '-',
                                   health.smartThresholds.bytes ? 't' : '-'};
        EXPECT_EQ(parts, row.parts) << health.identityUnavailableReason << health.smartThresholds.unavailableReason;
        EXPECT_EQ(health.model, row.parts[0] == 'i' ? "INTEL SSDSA2CW120G3" : "");
        EXPECT_EQ(health.serial, row.parts[0] == 'i' ? "CVPR109301UZ120LGN" : "");
        EXPECT_EQ(health.identityUnavailableReason.empty(), row.parts[0] == 'i');
        EXPECT_EQ(bytesOf(health.smartData.bytes), row.parts[1] == 'd' ? testing::realAtaSectors().data : Bytes());
        EXPECT_EQ(health.smartData.unavailableReason.empty(), row.parts[1] == 'd');
        EXPECT_EQ(bytesOf(health.smartThresholds.bytes),
                  row.parts[2] == 't' ? testing::realAtaSectors().thresholds : Bytes());
        EXPECT_EQ(health.cdbSize, row.cdb);
        // (16) until the bridge refuses it, then the refused command again and the rest in (12).
        const bool fellBack = row.bridge.refusedCdbs.count(16) != 0;
        std::vector<std::string> sent = {"16 identify"};
        if (fellBack) sent.push_back("12 identify");
        for (const char* command : {"smart-data", "smart-thresholds", "smart-status"})
            sent.push_back((fellBack ? "12 " : "16 ") + std::string(command));
        EXPECT_EQ(row.bridge.seen, sent);
    }
}

}  // namespace
}  // namespace kestrine
