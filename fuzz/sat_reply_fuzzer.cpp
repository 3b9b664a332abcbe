// A bridge's reply to an ATA PASS-THROUGH, of any length and with any Length, status, offsets
// and sense data: the reply is read only within the bytes returned, a sector only from where
// the structure puts it, and nothing that fails a sector's checks is kept. The same bytes then
// answer every request of the reader, which keeps only checked sectors, and of the health reads
// of a USB drive behind a bridge, whose attribute table and SMART state come only from those
// sectors and a verdict the registers gave.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "probe/drive_health.h"
#include "probe/drive_record.h"
#include "probe/drive_verdict.h"
#include "probe/sat_reader.h"
#include "probe/sat_sector_checks.h"

namespace kestrine::fuzz {
namespace {

std::uint64_t dataOffsetOf(const std::uint8_t* data, std::size_t size, bool narrow) {
    if (narrow) return le32Within(data, size, 20);
    return le32Within(data, size, 24) | std::uint64_t{le32Within(data, size, 28)} << 32;
}

void checkReply(const std::uint8_t* data, std::size_t size, bool readsSector) {
    const SatReply reply = readSatReply(data, size, readsSector);
    const bool success = reply.outcome == SatOutcome::Sector || reply.outcome == SatOutcome::Registers;
    require(reply.problem.empty() == success, "a reason exactly when neither a sector nor registers came");
    const std::uint32_t length = size >= 2 ? (data[0] | data[1] << 8) : 0;
    if (length != 44 && length != 56) {
        require(reply.outcome == SatOutcome::Malformed, "no known Length, no reply");
        return;
    }
    if (reply.outcome == SatOutcome::Registers) require(!readsSector && reply.registers.has_value(), "registers");
    if (reply.outcome != SatOutcome::Sector) return;
    const std::uint64_t offset = dataOffsetOf(data, size, length == 44);
    require(readsSector && size >= length && data[2] == 0, "a sector only from a good data command");
    require(offset >= length && offset + 512 <= size && le32Within(data, size, 12) >= 512,
            "the sector lies wholly inside the reply, behind the structure");
    require(std::memcmp(reply.sector.data(), data + offset, 512) == 0, "the sector as it stands");
}

void checkSectors(const AtaSector& sector) {
    const bool allSame = std::all_of(sector.begin(), sector.end(), [&](std::uint8_t b) { return b == sector[0]; });
    if (smartSectorProblem("data", sector).empty()) {
        require(std::accumulate(sector.begin(), sector.end(), 0u) % 256 == 0, "a kept sector sums to 0");
        require(!allSame && (sector[0] | sector[1]) != 0, "a kept sector is no pattern and has a revision");
    }
    if (identifyProblem(sector).empty()) {
        const AtaIdentity identity = ataIdentity(sector);
        require(!allSame && !identity.model.empty(), "a kept identity has a model");
        require(identity.model.front() != ' ' && identity.model.back() != ' ', "trimmed");
    }
}

// Every request answered with the fuzz input.
class EchoBridge : public OpenDevice {
public:
    EchoBridge(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    ControlResult control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                          std::uint32_t outSize) override {
        require(code == device::ioctlScsiPassThrough && satRequestName(in, inSize).has_value(), "a named request");
        require(outSize == satReplyCapacity() && std::all_of(out, out + outSize, [](std::uint8_t b) { return b == 0; }),
                "a zeroed buffer for either layout");
        const std::size_t count = std::min<std::size_t>(size_, outSize);
        std::copy_n(data_, count, out);
        return {0, static_cast<std::uint32_t>(count)};
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

void checkReader(const std::uint8_t* data, std::size_t size) {
    EchoBridge bridge(data, size);
    const SatHealth health = readSatHealth(bridge);
    for (const SatSector* part : {&health.smartData, &health.smartThresholds}) {
        require(part->bytes.has_value() == part->unavailableReason.empty(), "a sector or a reason");
        if (part->bytes) require(smartSectorProblem("data", *part->bytes).empty(), "only checked sectors");
    }
    require(health.identityUnavailableReason.empty() == !health.model.empty(), "a model or a reason");
    require((health.status == SatStatus::Unknown) == !health.statusUnknownReason.empty(), "a verdict or a reason");
}

// A USB drive whose SMART version request was refused: read through its bridge.
DriveRecord bridgedDrive() {
    DriveRecord record;
    record.present = record.probed = record.identityValid = true;
    record.busType = busUsb;
    record.versionError = 1;
    return record;
}

void checkHealthReads(const std::uint8_t* data, std::size_t size) {
    const DriveRecord record = bridgedDrive();
    EchoBridge bridge(data, size);
    const DriveHealth health = readBridgeHealth(bridge, record);
    require(health.bridge.has_value(), "what the bridge said is kept");
    if (health.source == HealthSource::SatSmart) {
        require(
            !health.ata.attributes.empty() && health.ata.attributes.size() <= 30 && health.unavailableReason.empty(),
            "a table of 1 to 30 attributes");
        for (const AtaAttribute& attribute : health.ata.attributes)
            require(!attribute.failingNow || (attribute.preFailure && attribute.hasThreshold), "judged by a threshold");
    } else {
        require(health.source == HealthSource::None && !health.unavailableReason.empty() &&
                    health.ata.attributes.empty() && !isHealthCritical(health),
                "no table: a reason, no count and no verdict");
    }
    const SmartState smart = smartState(record, health);
    require((smart == SmartState::FailurePredicted) == (health.bridge->status == SatStatus::ThresholdExceeded),
            "the SMART state is the registers' verdict");
    judgeDrive(record, health);
}

}  // namespace
}  // namespace kestrine::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrine::fuzz::checkReply(data, size, true);
    kestrine::fuzz::checkReply(data, size, false);
    if (size >= 512) {
        kestrine::AtaSector sector{};
        std::copy_n(data + size - 512, 512, sector.begin());
        kestrine::fuzz::checkSectors(sector);
    }
    kestrine::fuzz::checkReader(data, size);
    kestrine::fuzz::checkHealthReads(data, size);
    return 0;
}
