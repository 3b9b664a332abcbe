#pragma once
// What every test storage stack shares: the control codes and system error codes as the SDK
// numbers them (written here as numbers, so that a wrong constant in the probe cannot move the
// fakes along), the access check the system makes before a driver sees a request, and how a
// driver's answer lands in the caller's buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "probe/device_port.h"

namespace kestrine::testing {

namespace sdk {
inline constexpr std::uint32_t ioctlStorageQueryProperty = 0x002D1400;
inline constexpr std::uint32_t ioctlStoragePredictFailure = 0x002D1100;
inline constexpr std::uint32_t smartGetVersion = 0x00074080;
inline constexpr std::uint32_t smartSendDriveCommand = 0x0007C084;
inline constexpr std::uint32_t smartRcvDriveData = 0x0007C088;
inline constexpr std::uint32_t ioctlScsiPassThrough = 0x0004D004;

inline constexpr std::uint32_t errorInvalidFunction = 1;
inline constexpr std::uint32_t errorFileNotFound = 2;
inline constexpr std::uint32_t errorAccessDenied = 5;
inline constexpr std::uint32_t errorInvalidData = 13;
inline constexpr std::uint32_t errorNotSupported = 50;
inline constexpr std::uint32_t errorInvalidParameter = 87;
inline constexpr std::uint32_t errorInsufficientBuffer = 122;
}  // namespace sdk

// Bits 14 and 15 of a control code: the access a handle needs for the request. A handle opened
// without access is refused such a request with ERROR_ACCESS_DENIED.
inline bool needsAccess(std::uint32_t code) { return ((code >> 14) & 3) != 0; }

// A driver's answer: at most `outSize` of the reply's bytes written to the start of `out`; a
// failure gives back its error and no count, a success the count written.
inline ControlResult answerWith(std::uint32_t error, const std::uint8_t* reply, std::size_t size, std::uint8_t* out,
                                std::uint32_t outSize) {
    const std::size_t count = std::min<std::size_t>(size, outSize);
    if (count > 0) std::copy_n(reply, count, out);
    if (error != 0) return {error, 0};
    return {0, static_cast<std::uint32_t>(count)};
}

}  // namespace kestrine::testing
