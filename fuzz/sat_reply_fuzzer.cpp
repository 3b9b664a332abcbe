// A bridge's reply to an ATA PASS-THROUGH, of any length and with any Length, status, offsets
// and sense data: the reply is read only within the bytes returned, a sector only from where
// the structure puts it, and nothing that fails a sector's checks is kept. The same bytes then
// answer every request of the reader, which keeps only checked sectors.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "little_endian_bytes.h"
#include "probe/sat_reader.h"
#include "probe/sat_sector_checks.h"

namespace kestrine::fuzz {
namespace {

// A 32-bit field of the reply as the driver left it: bytes past `size` count as 0, as in a
// zero-filled buffer.
std::uint32_t fieldAt(const std::uint8_t* data, std::size_t size, std::size_t offset) {
    std::uint8_t field[4] = {};
    if (offset < size) std::memcpy(field, data + offset, std::min<std::size_t>(sizeof field, size - offset));
    return testing::le32At(field);
}

std::uint64_t dataOffsetOf(const std::uint8_t* data, std::size_t size, bool narrow) {
    if (narrow) return fieldAt(data, size, 20);
    return fieldAt(data, size, 24) | std::uint64_t{fieldAt(data, size, 28)} << 32;
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
    require(offset >= length && offset + 512 <= size && fieldAt(data, size, 12) >= 512,
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
    return 0;
}
