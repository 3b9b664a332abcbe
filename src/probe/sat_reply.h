#pragma once
// A bridge's answer to one SCSI pass-through request. The output buffer is read only as far as
// the driver returned it; the structure's Length names its layout, and the sense data and the
// sector are taken from the offsets and lengths the structure itself gives, each checked to lie
// inside the reply.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrine {

// The ATA registers a drive returned (of a 48-bit command the low bytes, with `extend` set).
struct AtaRegisters {
    std::uint8_t error = 0;
    std::uint8_t count = 0;
    std::uint8_t lbaLow = 0;
    std::uint8_t lbaMid = 0;
    std::uint8_t lbaHigh = 0;
    std::uint8_t device = 0;
    std::uint8_t status = 0;
    bool extend = false;
};

struct SenseCode {
    std::uint8_t key = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
};

// What one sense buffer holds: nothing when its format is none of the two.
struct DecodedSense {
    std::uint8_t responseCode = 0;
    std::optional<SenseCode> code;
    std::optional<AtaRegisters> registers;  // an ATA Status Return descriptor, or fixed format's 0x00/0x1D
};
DecodedSense decodeSense(const std::uint8_t* sense, std::size_t length);

enum class SatOutcome {
    Sector,          // a data command's sector, whole
    Registers,       // a non-data command's registers, from the sense data
    NoRegisters,     // a non-data command done, but the registers not returned
    Refused,         // sense key ILLEGAL REQUEST: the bridge does not take this command or CDB
    CheckCondition,  // any other check condition, or another SCSI status
    ShortTransfer,   // a data command's transfer shorter than a sector
    Malformed,       // the structure, or a range it gives, does not fit the reply
};

inline constexpr std::size_t ataSectorSize = 512;
using AtaSector = std::array<std::uint8_t, ataSectorSize>;

struct SatReply {
    SatOutcome outcome = SatOutcome::Malformed;
    std::string problem;  // why, for every outcome but Sector and Registers
    std::uint8_t scsiStatus = 0;
    std::optional<SenseCode> sense;
    std::optional<AtaRegisters> registers;
    AtaSector sector{};  // with Sector
};

// A byte as the reasons write it, "0x0B", held in place rather than in a string: a bridge that
// fails a command gets several of these in its reason at every refresh.
struct HexByte {
    std::array<char, 4> text;
    operator std::string_view() const { return {text.data(), text.size()}; }
};
HexByte hexByte(std::uint8_t value);

// The reply in `bytes`, of which the driver returned `bytesReturned` (the caller cuts it to its
// buffer); `readsSector` says whether the request asked for a sector.
SatReply readSatReply(const std::uint8_t* bytes, std::size_t bytesReturned, bool readsSector);

}  // namespace kestrine
