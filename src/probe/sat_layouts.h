#pragma once
// SCSI/ATA Translation: the buffered SCSI pass-through request that carries an ATA command to a
// drive behind a USB (or other translating) bridge, the ATA PASS-THROUGH CDBs, and the sense
// data a bridge answers with. All offsets are bytes, all fields little-endian except where the
// SCSI standards say otherwise (the sense data's registers are single bytes). The Windows build
// checks the structure's layout against the SDK's SCSI_PASS_THROUGH.
#include <cstddef>
#include <cstdint>

namespace kestrine::device {

// CTL_CODE(IOCTL_SCSI_BASE, 0x401, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS).
inline constexpr std::uint32_t ioctlScsiPassThrough = 0x0004D004;

// SCSI_PASS_THROUGH: the same fields on both pointer widths up to DataBufferOffset, a ULONG_PTR
// that moves the fields after it. A reply names its layout by its Length field, so a reply
// saved by either build reads in both.
namespace passThrough {
inline constexpr std::size_t length = 0;  // USHORT: the structure's own size
inline constexpr std::size_t scsiStatus = 2;
inline constexpr std::size_t pathId = 3;
inline constexpr std::size_t targetId = 4;
inline constexpr std::size_t lun = 5;
inline constexpr std::size_t cdbLength = 6;
inline constexpr std::size_t senseInfoLength = 7;
inline constexpr std::size_t dataIn = 8;
inline constexpr std::size_t dataTransferLength = 12;  // ULONG
inline constexpr std::size_t timeOutValue = 16;        // ULONG, seconds
inline constexpr std::size_t cdbCapacity = 16;

inline constexpr std::uint8_t dataInFromDevice = 1;  // SCSI_IOCTL_DATA_IN
inline constexpr std::uint8_t dataUnspecified = 2;   // SCSI_IOCTL_DATA_UNSPECIFIED: no transfer
inline constexpr std::uint8_t statusGood = 0x00;
inline constexpr std::uint8_t statusCheckCondition = 0x02;

// The buffer behind the structure: sense data, then one sector, each starting 8-byte aligned.
inline constexpr std::size_t senseBufferSize = 32;
inline constexpr std::size_t dataBufferSize = 512;
inline constexpr std::size_t bufferAlignment = 8;
}  // namespace passThrough

// The fields that sit where the pointer width puts them.
struct PassThroughLayout {
    std::uint16_t size;                 // also the value of its Length field
    std::size_t dataBufferOffset;       // ULONG_PTR
    std::size_t dataBufferOffsetWidth;  // 4 or 8 bytes
    std::size_t senseInfoOffset;        // ULONG
    std::size_t cdb;                    // UCHAR[16]
};

inline constexpr PassThroughLayout narrowPassThrough = {44, 20, 4, 24, 28};  // 32-bit builds
inline constexpr PassThroughLayout widePassThrough = {56, 24, 8, 32, 36};    // 64-bit builds

static_assert(narrowPassThrough.dataBufferOffset == passThrough::timeOutValue + 4);
static_assert(narrowPassThrough.senseInfoOffset == narrowPassThrough.dataBufferOffset + 4);
static_assert(narrowPassThrough.cdb + passThrough::cdbCapacity == narrowPassThrough.size);
// A ULONG_PTR on an 8-byte boundary, and the structure padded to one.
static_assert(widePassThrough.dataBufferOffset % 8 == 0);
static_assert(widePassThrough.senseInfoOffset == widePassThrough.dataBufferOffset + 8);
static_assert(widePassThrough.cdb == widePassThrough.senseInfoOffset + 4);
static_assert(widePassThrough.cdb + passThrough::cdbCapacity + 4 == widePassThrough.size);

enum class PointerWidth { Bits32, Bits64 };
inline constexpr PointerWidth ownPointerWidth = sizeof(void*) == 8 ? PointerWidth::Bits64 : PointerWidth::Bits32;

constexpr const PassThroughLayout& passThroughLayout(PointerWidth width) {
    return width == PointerWidth::Bits64 ? widePassThrough : narrowPassThrough;
}

// The layout whose size a structure's Length field gives, or none.
constexpr const PassThroughLayout* passThroughLayoutOfLength(std::uint16_t length) {
    if (length == narrowPassThrough.size) return &narrowPassThrough;
    if (length == widePassThrough.size) return &widePassThrough;
    return nullptr;
}

// ATA PASS-THROUGH (16) and (12). Byte 1 holds the protocol in bits 1 to 4, byte 2 the
// transfer flags; the registers sit at these offsets (the (16) one's low bytes: this program
// sends no 48-bit command).
struct AtaCdbLayout {
    std::uint8_t size;
    std::uint8_t opcode;
    std::size_t features;
    std::size_t count;
    std::size_t lbaLow;
    std::size_t lbaMid;
    std::size_t lbaHigh;
    std::size_t device;
    std::size_t command;
};

inline constexpr AtaCdbLayout ataPassThrough16 = {16, 0x85, 4, 6, 8, 10, 12, 13, 14};
inline constexpr AtaCdbLayout ataPassThrough12 = {12, 0xA1, 3, 4, 5, 6, 7, 8, 9};

static_assert(ataPassThrough16.command < ataPassThrough16.size && ataPassThrough12.command < ataPassThrough12.size);
static_assert(ataPassThrough16.size <= passThrough::cdbCapacity);

namespace ataCdb {
inline constexpr std::size_t protocol = 1;
inline constexpr std::size_t flags = 2;
inline constexpr unsigned protocolShift = 1;
inline constexpr std::uint8_t protocolNonData = 3;
inline constexpr std::uint8_t protocolPioDataIn = 4;
inline constexpr std::uint8_t checkCondition = 0x20;  // CK_COND: return the registers in the sense data
inline constexpr std::uint8_t fromDevice = 0x08;      // T_DIR
inline constexpr std::uint8_t countInBlocks = 0x04;   // BYT_BLOK
inline constexpr std::uint8_t lengthInCount = 0x02;   // T_LENGTH: the transfer length is the count field

// The SMART command's codes are the device control interface's (probe/device_layouts.h,
// probe/health_layouts.h); IDENTIFY DEVICE is the one command it does not send.
inline constexpr std::uint8_t identifyDevice = 0xEC;
inline constexpr std::uint8_t statusError = 0x01;  // ERR in the status register
}  // namespace ataCdb

// Where a sense format keeps the ATA registers a drive returned.
struct AtaRegisterOffsets {
    std::size_t error;
    std::size_t count;
    std::size_t lbaLow;
    std::size_t lbaMid;
    std::size_t lbaHigh;
    std::size_t device;
    std::size_t status;
    std::size_t extendFlags;
    std::uint8_t extendBit;
};

// Sense data: fixed format (response codes 0x70 and 0x71) and descriptor format (0x72, 0x73).
namespace sense {
inline constexpr std::uint8_t responseCodeMask = 0x7F;
inline constexpr std::uint8_t fixedCurrent = 0x70;
inline constexpr std::uint8_t fixedDeferred = 0x71;
inline constexpr std::uint8_t descriptorCurrent = 0x72;
inline constexpr std::uint8_t descriptorDeferred = 0x73;
inline constexpr std::uint8_t senseKeyMask = 0x0F;
inline constexpr std::uint8_t illegalRequest = 0x05;
// ASC/ASCQ "ATA pass-through information available".
inline constexpr std::uint8_t ataInformationAsc = 0x00;
inline constexpr std::uint8_t ataInformationAscq = 0x1D;
inline constexpr std::size_t additionalLength = 7;  // both formats: the bytes after byte 7

namespace descriptorFormat {
inline constexpr std::size_t senseKey = 1;
inline constexpr std::size_t asc = 2;
inline constexpr std::size_t ascq = 3;
inline constexpr std::size_t firstDescriptor = 8;
}  // namespace descriptorFormat

namespace fixedFormat {
inline constexpr std::size_t senseKey = 2;
inline constexpr std::size_t asc = 12;
inline constexpr std::size_t ascq = 13;
inline constexpr std::size_t minimumSize = 14;  // through the ASCQ
// The ATA registers in the Information field (3 to 6) and the Command-specific information
// field (8 to 11).
inline constexpr AtaRegisterOffsets registers = {.error = 3,
                                                 .count = 6,
                                                 .lbaLow = 9,
                                                 .lbaMid = 10,
                                                 .lbaHigh = 11,
                                                 .device = 5,
                                                 .status = 4,
                                                 .extendFlags = 8,
                                                 .extendBit = 0x80};
}  // namespace fixedFormat

// The ATA Status Return descriptor: a code, its length, then the registers (each 16-bit one as
// its high byte and then its low byte).
namespace ataStatusReturn {
inline constexpr std::uint8_t code = 0x09;
inline constexpr std::uint8_t additionalLength = 0x0C;
inline constexpr std::size_t size = 2 + additionalLength;
inline constexpr AtaRegisterOffsets registers = {.error = 3,
                                                 .count = 5,
                                                 .lbaLow = 7,
                                                 .lbaMid = 9,
                                                 .lbaHigh = 11,
                                                 .device = 12,
                                                 .status = 13,
                                                 .extendFlags = 2,
                                                 .extendBit = 0x01};
}  // namespace ataStatusReturn
}  // namespace sense

static_assert(sense::ataStatusReturn::registers.status + 1 == sense::ataStatusReturn::size);
static_assert(sense::fixedFormat::registers.lbaHigh < sense::fixedFormat::asc);
static_assert(sense::descriptorFormat::firstDescriptor + sense::ataStatusReturn::size <= passThrough::senseBufferSize);

}  // namespace kestrine::device
