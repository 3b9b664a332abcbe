// The SCSI/ATA translation transport: the pass-through requests of both pointer widths and CDB
// sizes, the replies a bridge gives (built by tests/support/fakes/sat_replies.h from the
// published layouts), the checks a sector passes, and the reader over a scripted bridge with
// the real Intel SSD's IDENTIFY, SMART data and thresholds behind it.
#include <gtest/gtest.h>

#include <cstdint>
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
using testing::SatRegisters;

// Distinct values in every register, so that a field read from the wrong byte shows.
SatRegisters registers(std::uint8_t mid, std::uint8_t high, std::uint8_t status = 0x50) {
    return {0x04, 0x11, 0x22, mid, high, 0xA0, status, false};
}

struct RealSectors {
    Bytes identify, data, thresholds;
};
const RealSectors& real() {
    static const RealSectors sectors = [] {
        auto sections = testing::blobSections(testing::fileBytes(testing::ataBlob));
        return RealSectors{sections["IDFY"], sections["SMDT"], sections["SMTH"]};
    }();
    return sectors;
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

// A sector with every byte random but the checksum wrong; the same bytes each run.
Bytes randomBytes() {
    Bytes bytes(512);
    std::uint32_t state = 0x2545F491;
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>((state = state * 1664525 + 1013904223) >> 24);
    std::uint32_t sum = 0;
    for (const std::uint8_t byte : bytes) sum += byte;
    if (sum % 256 == 0) bytes[511] ^= 1;
    return bytes;
}

// --- requests ----------------------------------------------------------------------------------

TEST(SatRequests, EachCommandInEachCdbAndLayoutCarriesItsFieldsWhereTheStructureSays) {
    struct Row {
        SatCommand command;
        CdbSize cdb;
        PointerWidth width;
        std::size_t bufferSize, dataOffsetField, senseOffsetField, cdbAt, dataOffset, senseOffset;
        std::uint8_t opcode, protocol, flags, features, count, mid, high, ataCommand;
        std::size_t featuresAt, countAt, midAt, highAt, commandAt;
        const char* name;
    };
    const Row rows[] = {
        {SatCommand::Identify,
         CdbSize::Sixteen,
         PointerWidth::Bits64,
         600,
         24,
         32,
         36,
         88,
         56,
         0x85,
         0x08,
         0x0E,
         0x00,
         1,
         0x00,
         0x00,
         0xEC,
         4,
         6,
         10,
         12,
         14,
         "sat-identify"},
        {SatCommand::SmartReadData,
         CdbSize::Sixteen,
         PointerWidth::Bits32,
         592,
         20,
         24,
         28,
         80,
         48,
         0x85,
         0x08,
         0x0E,
         0xD0,
         1,
         0x4F,
         0xC2,
         0xB0,
         4,
         6,
         10,
         12,
         14,
         "sat-smart-data"},
        {SatCommand::SmartReadThresholds,
         CdbSize::Twelve,
         PointerWidth::Bits64,
         600,
         24,
         32,
         36,
         88,
         56,
         0xA1,
         0x08,
         0x0E,
         0xD1,
         1,
         0x4F,
         0xC2,
         0xB0,
         3,
         4,
         6,
         7,
         9,
         "sat-smart-thresholds"},
        {SatCommand::SmartReturnStatus,
         CdbSize::Twelve,
         PointerWidth::Bits32,
         592,
         20,
         24,
         28,
         80,
         48,
         0xA1,
         0x06,
         0x20,
         0xDA,
         0,
         0x4F,
         0xC2,
         0xB0,
         3,
         4,
         6,
         7,
         9,
         "sat-smart-status"},
        {SatCommand::SmartReturnStatus,
         CdbSize::Sixteen,
         PointerWidth::Bits64,
         600,
         24,
         32,
         36,
         88,
         56,
         0x85,
         0x06,
         0x20,
         0xDA,
         0,
         0x4F,
         0xC2,
         0xB0,
         4,
         6,
         10,
         12,
         14,
         "sat-smart-status"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name + std::string(row.width == PointerWidth::Bits32 ? " 32" : " 64"));
        const Bytes in = makeSatRequest(row.command, row.cdb, row.width);
        ASSERT_EQ(in.size(), row.bufferSize);
        const bool data = row.command != SatCommand::SmartReturnStatus;
        EXPECT_EQ(in[0] | in[1] << 8, row.width == PointerWidth::Bits32 ? 44 : 56);
        EXPECT_EQ(in[6], static_cast<int>(row.cdb));
        EXPECT_EQ(in[7], 32);
        EXPECT_EQ(in[8], data ? 1 : 2);
        EXPECT_EQ(in[12] | in[13] << 8, data ? 512 : 0);
        EXPECT_EQ(in[16], 10) << "timeout";
        EXPECT_EQ(in[row.dataOffsetField], row.dataOffset);
        EXPECT_EQ(in[row.senseOffsetField], row.senseOffset);
        const std::uint8_t* cdb = &in[row.cdbAt];
        EXPECT_EQ(cdb[0], row.opcode);
        EXPECT_EQ(cdb[1], row.protocol);
        EXPECT_EQ(cdb[2], row.flags);
        EXPECT_EQ(cdb[row.featuresAt], row.features);
        EXPECT_EQ(cdb[row.countAt], row.count);
        EXPECT_EQ(cdb[row.midAt], row.mid);
        EXPECT_EQ(cdb[row.highAt], row.high);
        EXPECT_EQ(cdb[row.commandAt], row.ataCommand);
        EXPECT_EQ(satRequestName(in.data(), in.size()), std::optional<std::string_view>(row.name));
        EXPECT_EQ(satRequestName(in.data(), row.width == PointerWidth::Bits32 ? 43 : 55), std::nullopt) << "cut";
    }
    Bytes other = makeSatRequest(SatCommand::Identify, CdbSize::Sixteen, PointerWidth::Bits64);
    other[0] = 48;
    EXPECT_EQ(satRequestName(other.data(), other.size()), std::nullopt) << "no layout has Length 48";
    other = makeSatRequest(SatCommand::SmartReadData, CdbSize::Twelve, PointerWidth::Bits32);
    other[28 + 3] = 0xD5;  // SMART READ LOG: not one of ours
    EXPECT_EQ(satRequestName(other.data(), other.size()), std::nullopt);
}

// --- replies -----------------------------------------------------------------------------------

TEST(SatReplies, EachAnswerGivesItsOutcomeAndEveryBadOneAReason) {
    const Bytes sector = real().data;
    BridgeAnswer moved = dataAnswer(sector);
    moved.dataOffset = 64;  // the data first, the sense buffer behind it
    moved.senseOffset = 600;
    BridgeAnswer truncated = dataAnswer(sector);
    truncated.returned = 300;
    BridgeAnswer dataOutside = dataAnswer(sector);
    dataOutside.dataOffset = std::uint64_t{1} << 32;
    BridgeAnswer senseInStructure = senseAnswer(testing::descriptorSense(0x01, 0x00, 0x1D, registers(0x4F, 0xC2)));
    senseInStructure.senseOffset = 8;
    const Bytes otherDescriptor = {0x80, 0x02, 0x09, 0x0C};  // vendor-specific, 4 bytes
    const SatRegisters extended = {0x04, 0x11, 0x22, 0x4F, 0xC2, 0xA0, 0x50, true};
    struct Row {
        const char* name;
        BridgeAnswer answer;
        bool narrow, readsSector;
        SatOutcome outcome;
        std::optional<SatRegisters> registers;
        const char* problem;
    };
    const std::vector<Row> rows = {
        {"sector, 64-bit", dataAnswer(sector), false, true, SatOutcome::Sector, {}, ""},
        {"sector, 32-bit", dataAnswer(sector), true, true, SatOutcome::Sector, {}, ""},
        {"sector where the structure moved it", moved, false, true, SatOutcome::Sector, {}, ""},
        {"descriptor registers", senseAnswer(testing::descriptorSense(0x01, 0x00, 0x1D, registers(0xF4, 0x2C))), true,
         false, SatOutcome::Registers, registers(0xF4, 0x2C), ""},
        {"extended, after another descriptor",
         senseAnswer(testing::descriptorSense(0x00, 0, 0, extended, otherDescriptor)), false, false,
         SatOutcome::Registers, extended, ""},
        {"fixed registers", senseAnswer(testing::fixedSense(0x01, 0x00, 0x1D, extended)), true, false,
         SatOutcome::Registers, extended, ""},
        {"fixed without 00/1D",
         senseAnswer(testing::fixedSense(0x0B, 0x00, 0x00, registers(0x4F, 0xC2))),
         false,
         false,
         SatOutcome::CheckCondition,
         {},
         "(sense key 0x0B, ASC/ASCQ 0x00/0x00)"},
        {"refused",
         senseAnswer(testing::descriptorSense(0x05, 0x24, 0x00, std::nullopt)),
         false,
         true,
         SatOutcome::Refused,
         {},
         "the bridge refused the command (sense key 0x05, ASC/ASCQ 0x24/0x00)"},
        {"aborted read", senseAnswer(testing::descriptorSense(0x0B, 0x00, 0x00, registers(0, 0, 0x51))), false, true,
         SatOutcome::CheckCondition, registers(0, 0, 0x51), "; the drive's status 0x51, error 0x04"},
        {"check condition without sense",
         senseAnswer({}),
         false,
         true,
         SatOutcome::CheckCondition,
         {},
         "a check condition without sense data"},
        {"sense of no known format",
         senseAnswer(Bytes(18, 0x7F)),
         false,
         false,
         SatOutcome::CheckCondition,
         {},
         "no known format (response code 0x7F)"},
        {"busy", {0x08, {}, {}, {}, {}, {}}, false, true, SatOutcome::CheckCondition, {}, "SCSI status 0x08"},
        {"done, no registers",
         {0x00, {}, {}, {}, {}, {}},
         false,
         false,
         SatOutcome::NoRegisters,
         {},
         "no ATA registers"},
        {"short transfer",
         dataAnswer(Bytes(sector.begin(), sector.begin() + 256)),
         true,
         true,
         SatOutcome::ShortTransfer,
         {},
         "transferred 256 of 512 bytes"},
        {"reply cut before the data ends",
         truncated,
         false,
         true,
         SatOutcome::Malformed,
         {},
         "the data (512 bytes at offset 88) lies outside the reply's 300 bytes"},
        {"data offset past 4 GiB",
         dataOutside,
         false,
         true,
         SatOutcome::Malformed,
         {},
         "(512 bytes at offset 4294967296)"},
        {"sense inside the structure",
         senseInStructure,
         false,
         false,
         SatOutcome::Malformed,
         {},
         "the sense data (22 bytes at offset 8) lies outside"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Bytes bytes = testing::passThroughReply(row.answer, row.narrow);
        const SatReply reply = readSatReply(bytes.data(), bytes.size(), row.readsSector);
        EXPECT_EQ(reply.outcome, row.outcome) << reply.problem;
        EXPECT_NE(reply.problem.find(row.problem), std::string::npos) << reply.problem;
        EXPECT_EQ(reply.problem.empty(), row.outcome == SatOutcome::Sector || row.outcome == SatOutcome::Registers);
        EXPECT_EQ(bytesOf(reply.sector), row.outcome == SatOutcome::Sector ? sector : Bytes(512, 0));
        ASSERT_EQ(reply.registers.has_value(), row.registers.has_value());
        if (!row.registers) continue;
        const SatRegisters& want = *row.registers;
        const AtaRegisters& got = *reply.registers;
        EXPECT_EQ(std::vector<int>(
                      {got.error, got.count, got.lbaLow, got.lbaMid, got.lbaHigh, got.device, got.status, got.extend}),
                  std::vector<int>({want.error, want.count, want.lbaLow, want.lbaMid, want.lbaHigh, want.device,
                                    want.status, want.extend}));
    }
}

TEST(SatReplies, AStructureThatDoesNotFitIsMalformed) {
    Bytes wrongLength = testing::passThroughReply(dataAnswer(real().data), false);
    wrongLength[0] = 48;
    const Bytes full = testing::passThroughReply(dataAnswer(real().data), true);
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

// --- sector checks -----------------------------------------------------------------------------

TEST(SatSectorChecks, TheRealDrivesSectorsPassAndGarbageNever) {
    const AtaSector identify = sectorOf(real().identify);
    EXPECT_EQ(identifyProblem(identify), "");
    // skdump --load: "Model: [INTEL SSDSA2CW120G3]", "Serial: [CVPR109301UZ120LGN]".
    EXPECT_EQ(ataIdentity(identify).model, "INTEL SSDSA2CW120G3");
    EXPECT_EQ(ataIdentity(identify).serial, "CVPR109301UZ120LGN");
    EXPECT_EQ(smartSectorProblem("data", sectorOf(real().data)), "");
    EXPECT_EQ(smartSectorProblem("thresholds", sectorOf(real().thresholds)), "");

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
    Bytes noRevision = real().data;
    noRevision[0] = 0;
    noRevision[511] = static_cast<std::uint8_t>(noRevision[511] + 5);
    Bytes noId(512, 0);
    noId[0] = 0x10;
    noId[511] = 0xF0;
    // The problem of each as SMART data, and as IDENTIFY data where that is another check's.
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

// --- the reader ----------------------------------------------------------------------------------

// A bridge that answers every command as a healthy drive behind it would, with the real sectors.
testing::FakeBridge healthyBridge() {
    testing::FakeBridge bridge;
    bridge.answers["identify"] = dataAnswer(real().identify);
    bridge.answers["smart-data"] = dataAnswer(real().data);
    bridge.answers["smart-thresholds"] = dataAnswer(real().thresholds);
    bridge.answers["smart-status"] = senseAnswer(testing::descriptorSense(0x01, 0x00, 0x1D, registers(0x4F, 0xC2)));
    return bridge;
}

std::vector<std::string> sequence(const char* cdb) {
    return {cdb + std::string(" identify"), cdb + std::string(" smart-data"), cdb + std::string(" smart-thresholds"),
            cdb + std::string(" smart-status")};
}

TEST(SatReader, EachBridgeGivesItsHealthOrAReasonForEachPart) {
    struct Row {
        const char* name;
        void (*script)(testing::FakeBridge&);
        PointerWidth width;
        SatStatus status;
        const char* statusReason;
        bool identity, data, thresholds;
        const char* dataReason;
        std::optional<CdbSize> cdb;
        std::vector<std::string> seen;
    };
    const auto none = [](testing::FakeBridge&) {};
    const std::vector<Row> rows = {
        {"healthy", none, PointerWidth::Bits64, SatStatus::Ok, "", true, true, true, "", CdbSize::Sixteen,
         sequence("16")},
        {"threshold exceeded, fixed-format sense",
         [](testing::FakeBridge& b) {
             b.answers["smart-status"] = senseAnswer(testing::fixedSense(0x01, 0x00, 0x1D, registers(0xF4, 0x2C)));
         },
         PointerWidth::Bits32, SatStatus::ThresholdExceeded, "", true, true, true, "", CdbSize::Sixteen,
         sequence("16")},
        {"refuses (16), answers (12)",
         [](testing::FakeBridge& b) { b.refusedCdbs = {16}; },
         PointerWidth::Bits64,
         SatStatus::Ok,
         "",
         true,
         true,
         true,
         "",
         CdbSize::Twelve,
         {"16 identify", "12 identify", "12 smart-data", "12 smart-thresholds", "12 smart-status"}},
        {"refuses both",
         [](testing::FakeBridge& b) {
             b.refusedCdbs = {16, 12};
         },
         PointerWidth::Bits64,
         SatStatus::Unknown,
         "SMART RETURN STATUS through ATA PASS-THROUGH (12): the bridge refused the command",
         false,
         false,
         false,
         "SMART READ DATA through ATA PASS-THROUGH (12): the bridge refused",
         std::nullopt,
         {"16 identify", "12 identify", "12 smart-data", "12 smart-thresholds", "12 smart-status"}},
        {"check condition",
         [](testing::FakeBridge& b) {
             b.answers["smart-data"] = senseAnswer(testing::descriptorSense(0x04, 0x44, 0x00, std::nullopt));
             b.answers["smart-status"] = senseAnswer(testing::descriptorSense(0x04, 0x44, 0x00, std::nullopt));
         },
         PointerWidth::Bits64, SatStatus::Unknown,
         "SMART RETURN STATUS through ATA PASS-THROUGH (16): the bridge reported a check condition (sense key 0x04, "
         "ASC/ASCQ 0x44/0x00)",
         true, false, true, "SMART READ DATA through ATA PASS-THROUGH (16): the bridge reported a check condition",
         CdbSize::Sixteen, sequence("16")},
        {"short transfer", [](testing::FakeBridge& b) { b.answers["smart-data"] = dataAnswer(Bytes(128, 0x10)); },
         PointerWidth::Bits64, SatStatus::Ok, "", true, false, true, "the bridge transferred 128 of 512 bytes",
         CdbSize::Sixteen, sequence("16")},
        {"bad checksum",
         [](testing::FakeBridge& b) {
             Bytes data = real().data;
             data[2 + 12 + 5] += 1;  // the second attribute's raw value
             b.answers["smart-data"] = dataAnswer(data);
         },
         PointerWidth::Bits64, SatStatus::Ok, "", true, false, true, "the SMART data has a wrong checksum",
         CdbSize::Sixteen, sequence("16")},
        {"zeros and patterns, no registers",
         [](testing::FakeBridge& b) {
             b.answers["identify"] = dataAnswer(Bytes(512, 0));
             b.answers["smart-data"] = dataAnswer(Bytes(512, 0x5A));
             b.answers["smart-thresholds"] = dataAnswer(randomBytes());
             b.answers["smart-status"] = {0x00, {}, {}, {}, {}, {}};
         },
         PointerWidth::Bits64, SatStatus::Unknown, "the bridge returned no ATA registers", false, false, false,
         "the SMART data repeats a pattern of 1 byte", CdbSize::Sixteen, sequence("16")},
        {"saved by a 32-bit build, read by a 64-bit one", [](testing::FakeBridge& b) { b.answerNarrow = true; },
         PointerWidth::Bits64, SatStatus::Ok, "", true, true, true, "", CdbSize::Sixteen, sequence("16")},
        {"saved by a 64-bit build, read by a 32-bit one", [](testing::FakeBridge& b) { b.answerNarrow = false; },
         PointerWidth::Bits32, SatStatus::Ok, "", true, true, true, "", CdbSize::Sixteen, sequence("16")},
        {"offsets outside the reply, aborted status",
         [](testing::FakeBridge& b) {
             b.answers["smart-data"].dataOffset = 2000;
             b.answers["smart-status"] =
                 senseAnswer(testing::descriptorSense(0x01, 0x00, 0x1D, registers(0x00, 0x00, 0x51)));
         },
         PointerWidth::Bits64, SatStatus::Unknown, "the drive aborted SMART RETURN STATUS (status 0x51, error 0x04)",
         true, false, true, "the data (512 bytes at offset 2000) lies outside the reply's 600 bytes", CdbSize::Sixteen,
         sequence("16")},
        {"a standard user", [](testing::FakeBridge& b) { b.error = 5; }, PointerWidth::Bits64, SatStatus::Unknown,
         "SCSI pass-through needs administrator rights", false, false, false,
         "SCSI pass-through needs administrator rights", std::nullopt, sequence("16")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::FakeBridge bridge = healthyBridge();
        row.script(bridge);
        const SatHealth health = readSatHealth(bridge, row.width);
        EXPECT_EQ(health.status, row.status);
        EXPECT_NE(health.statusUnknownReason.find(row.statusReason), std::string::npos) << health.statusUnknownReason;
        EXPECT_EQ(health.statusUnknownReason.empty(), row.status != SatStatus::Unknown);
        EXPECT_EQ(health.model, row.identity ? "INTEL SSDSA2CW120G3" : "");
        EXPECT_EQ(health.serial, row.identity ? "CVPR109301UZ120LGN" : "");
        EXPECT_EQ(health.identityUnavailableReason.empty(), row.identity) << health.identityUnavailableReason;
        EXPECT_EQ(bytesOf(health.smartData.bytes), row.data ? real().data : Bytes());
        EXPECT_NE(health.smartData.unavailableReason.find(row.dataReason), std::string::npos)
            << health.smartData.unavailableReason;
        EXPECT_EQ(health.smartData.unavailableReason.empty(), row.data);
        EXPECT_EQ(bytesOf(health.smartThresholds.bytes), row.thresholds ? real().thresholds : Bytes())
            << health.smartThresholds.unavailableReason;
        EXPECT_EQ(health.cdbSize, row.cdb);
        EXPECT_EQ(bridge.seen, row.seen);
    }
}

}  // namespace
}  // namespace kestrine
