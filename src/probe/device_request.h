#pragma once
// One control request into a fixed-size reply buffer, shared by the identity and health probes.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "probe/device_port.h"

namespace kestrine {

// Sends one request whose reply goes into `reply`. The returned count is cut to the buffer's
// size, so a driver that claims more than it could have written is never believed.
template <std::size_t N>
ControlResult request(OpenDevice& drive, std::uint32_t code, std::array<std::uint8_t, N>& reply,
                      const std::uint8_t* input = nullptr, std::uint32_t inputSize = 0) {
    static_assert(N <= UINT32_MAX);
    ControlResult result = drive.control(code, input, inputSize, reply.data(), static_cast<std::uint32_t>(N));
    result.bytesReturned = std::min(result.bytesReturned, static_cast<std::uint32_t>(N));
    return result;
}

}  // namespace kestrine
