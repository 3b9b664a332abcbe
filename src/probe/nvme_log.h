#pragma once
// The NVMe SMART / Health log request and the framing of its reply: the protocol data
// descriptor must hold a whole 512-byte log page within the bytes the driver returned before
// the page is decoded (nvme_health.h).
#include <cstddef>
#include <cstdint>

#include "probe/device_port.h"
#include "probe/health_layouts.h"

namespace kestrine {

// Sends the health log request on an open drive; the reply lands in `reply`.
ControlResult requestNvmeLog(OpenDevice& drive, device::NvmeHealthQuery& reply);

enum class NvmeLogFraming {
    Whole,               // a whole log page lies within the reply
    ShortHeader,         // fewer bytes than the descriptor's header
    BadDescriptor,       // Version or Size is not the descriptor's own size
    OffsetInDescriptor,  // the page would start inside the protocol data
    ShortLog,            // the page is said to be shorter than a log page
    OutsideReply,        // the page would end past the bytes returned
};

NvmeLogFraming nvmeLogFraming(const std::uint8_t* data, std::size_t bytesReturned);
// The log page of a reply whose framing is whole.
const std::uint8_t* nvmeLogPage(const std::uint8_t* data);

}  // namespace kestrine
