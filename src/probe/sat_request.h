#pragma once
// One ATA command as a buffered SCSI pass-through request to a drive behind a translating
// bridge: the whole input buffer (the structure, a sense buffer, a sector buffer), and the
// name its reply is saved under.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "probe/sat_layouts.h"

namespace kestrine {

enum class SatCommand { Identify, SmartReadData, SmartReadThresholds, SmartReturnStatus };
enum class CdbSize : std::uint8_t { Sixteen = 16, Twelve = 12 };

// True for the commands that read one sector; SMART RETURN STATUS returns registers only.
bool readsSector(SatCommand command);

// Where the sense and data buffers sit behind the structure, and the whole buffer's size.
struct PassThroughBuffer {
    std::size_t senseOffset;
    std::size_t dataOffset;
    std::size_t size;
};
PassThroughBuffer passThroughBuffer(device::PointerWidth width);

// An output buffer long enough for a reply in either layout, so that a reply saved by a build of
// the other pointer width replays whole.
std::size_t satReplyCapacity();

// The input buffer for `command` in the structure of `width`: SMART RETURN STATUS as non-data
// with CK_COND, so that the registers come back in the sense data; the others as PIO data-in
// of one sector. The reply needs an output buffer as long. Written over whatever `bytes` held,
// so that a bridge's commands share one buffer.
void makeSatRequest(SatCommand command, CdbSize cdb, device::PointerWidth width, std::vector<std::uint8_t>& bytes);

// The names the replies to the commands are saved under, in the order of SatCommand.
inline constexpr std::array<std::string_view, 4> satRequestNames = {"sat-identify", "sat-smart-data",
                                                                    "sat-smart-thresholds", "sat-smart-status"};

// One of `satRequestNames` for a request that makeSatRequest builds, in either layout and with
// either CDB; none for other input.
std::optional<std::string_view> satRequestName(const std::uint8_t* in, std::size_t inSize);

}  // namespace kestrine
