#include "probe/nvme_log.h"

#include "probe/device_request.h"
#include "probe/little_endian.h"

namespace kestrine {

namespace {

namespace layout = device::nvmeQuery;

}  // namespace

ControlResult requestNvmeLog(OpenDevice& drive, device::NvmeHealthQuery& reply) {
    const device::NvmeHealthQuery query = device::makeNvmeHealthQuery();
    return request(drive, device::ioctlStorageQueryProperty, reply, query.data(), layout::size);
}

NvmeLogFraming nvmeLogFraming(const std::uint8_t* data, std::size_t bytesReturned) {
    if (data == nullptr || bytesReturned < layout::expectedVersion) return NvmeLogFraming::ShortHeader;
    if (readLe32(data + layout::version) != layout::expectedVersion ||
        readLe32(data + layout::descriptorSize) != layout::expectedVersion)
        return NvmeLogFraming::BadDescriptor;
    const std::uint32_t offset = readLe32(data + layout::dataOffset);
    if (offset < layout::protocolDataSize) return NvmeLogFraming::OffsetInDescriptor;
    if (readLe32(data + layout::dataLength) < layout::logSize) return NvmeLogFraming::ShortLog;
    // In 64 bits, so that no offset a driver writes can wrap around.
    const std::uint64_t logEnd = std::uint64_t{layout::protocolData} + offset + layout::logSize;
    return logEnd > bytesReturned ? NvmeLogFraming::OutsideReply : NvmeLogFraming::Whole;
}

const std::uint8_t* nvmeLogPage(const std::uint8_t* data) {
    return data + layout::protocolData + readLe32(data + layout::dataOffset);
}

}  // namespace kestrine
