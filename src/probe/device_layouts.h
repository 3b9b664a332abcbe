#pragma once
// The four storage control requests the drive probe sends: their codes, and every request
// and reply as a fixed-size byte buffer with its fields at fixed offsets (little-endian).
// The Windows build checks these numbers against the SDK's own structures.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrine::device {

inline constexpr std::uint32_t ioctlStorageQueryProperty = 0x002D1400;
inline constexpr std::uint32_t smartGetVersion = 0x00074080;
inline constexpr std::uint32_t ioctlStoragePredictFailure = 0x002D1100;
inline constexpr std::uint32_t smartSendDriveCommand = 0x0007C084;

// STORAGE_PROPERTY_QUERY asking for the standard device descriptor: all twelve bytes zero
// (StorageDeviceProperty, PropertyStandardQuery, no additional parameter).
namespace propertyQuery {
inline constexpr std::size_t size = 12;
inline constexpr std::size_t propertyId = 0;
inline constexpr std::size_t queryType = 4;
inline constexpr std::size_t additionalParameters = 8;
}  // namespace propertyQuery

// STORAGE_DEVICE_DESCRIPTOR, read from a buffer of this size.
namespace deviceDescriptor {
inline constexpr std::size_t bufferSize = 8192;
inline constexpr std::size_t removableMedia = 10;
inline constexpr std::size_t vendorIdOffset = 12;
inline constexpr std::size_t productIdOffset = 16;
inline constexpr std::size_t productRevisionOffset = 20;
inline constexpr std::size_t serialNumberOffset = 24;
inline constexpr std::size_t busType = 28;
inline constexpr std::size_t rawPropertiesLength = 32;
inline constexpr std::size_t rawDeviceProperties = 36;
}  // namespace deviceDescriptor

// GETVERSIONINPARAMS.
namespace versionReply {
inline constexpr std::size_t size = 24;
inline constexpr std::size_t capabilities = 4;
inline constexpr std::uint32_t capSmartCmd = 0x04;
}  // namespace versionReply

// STORAGE_PREDICT_FAILURE.
namespace predictFailureReply {
inline constexpr std::size_t size = 516;
inline constexpr std::size_t predictFailure = 0;
inline constexpr std::size_t vendorSpecific = 4;
}  // namespace predictFailureReply

// SENDCMDINPARAMS (byte-packed) carrying SMART RETURN STATUS.
namespace smartCommand {
inline constexpr std::size_t size = 33;
inline constexpr std::size_t bufferSize = 0;
inline constexpr std::size_t registers = 4;  // IDEREGS, eight bytes
inline constexpr std::size_t featuresReg = registers + 0;
inline constexpr std::size_t sectorCountReg = registers + 1;
inline constexpr std::size_t sectorNumberReg = registers + 2;
inline constexpr std::size_t cylLowReg = registers + 3;
inline constexpr std::size_t cylHighReg = registers + 4;
inline constexpr std::size_t driveHeadReg = registers + 5;
inline constexpr std::size_t commandReg = registers + 6;
inline constexpr std::size_t driveNumber = 12;
inline constexpr std::size_t buffer = 32;
inline constexpr std::uint8_t returnSmartStatus = 0xDA;
inline constexpr std::uint8_t smartCmd = 0xB0;
inline constexpr std::uint8_t smartCylLow = 0x4F;
inline constexpr std::uint8_t smartCylHigh = 0xC2;
}  // namespace smartCommand

// SENDCMDOUTPARAMS (17 bytes, its one-byte bBuffer included) followed by the returned IDEREGS.
namespace smartReply {
inline constexpr std::size_t outParamsSize = 17;
inline constexpr std::size_t registers = 16;  // SENDCMDOUTPARAMS.bBuffer
inline constexpr std::size_t size = outParamsSize + 8;
inline constexpr std::size_t cylLowReg = registers + 3;
inline constexpr std::size_t cylHighReg = registers + 4;
// The drive's answer when a threshold is exceeded (0x4F/0xC2 when none is).
inline constexpr std::uint8_t thresholdCylLow = 0xF4;
inline constexpr std::uint8_t thresholdCylHigh = 0x2C;
}  // namespace smartReply

using PropertyQuery = std::array<std::uint8_t, propertyQuery::size>;
using DescriptorBuffer = std::array<std::uint8_t, deviceDescriptor::bufferSize>;
using VersionReply = std::array<std::uint8_t, versionReply::size>;
using PredictFailureReply = std::array<std::uint8_t, predictFailureReply::size>;
using SmartCommand = std::array<std::uint8_t, smartCommand::size>;
using SmartReply = std::array<std::uint8_t, smartReply::size>;

static_assert(sizeof(PropertyQuery) == 12);
static_assert(sizeof(DescriptorBuffer) == 8192);
static_assert(sizeof(VersionReply) == 24);
static_assert(sizeof(PredictFailureReply) == 516);
static_assert(sizeof(SmartCommand) == 33);
static_assert(sizeof(SmartReply) == 25);
static_assert(deviceDescriptor::rawDeviceProperties < deviceDescriptor::bufferSize);
static_assert(smartCommand::driveNumber + 1 + 3 + 16 == smartCommand::buffer);
static_assert(smartReply::cylHighReg < smartReply::size);

PropertyQuery makePropertyQuery();
// SMART RETURN STATUS for the drive numbered `driveNumber` (its low eight bits go to
// bDriveNumber); the drive/head register stays 0.
SmartCommand makeSmartStatusCommand(std::int32_t driveNumber);

// The zero-terminated string that one of the descriptor's offset fields points at. An offset
// of 0, a negative one or one at or past the buffer's end gives an empty string; a string
// with no zero before the buffer's end stops there. It is seen in the buffer, not copied.
std::string_view descriptorString(const DescriptorBuffer& descriptor, std::size_t offsetField);

bool isSmartCapable(const VersionReply& reply);
bool isFailurePredicted(const PredictFailureReply& reply);
bool isThresholdExceeded(const SmartReply& reply);

}  // namespace kestrine::device
