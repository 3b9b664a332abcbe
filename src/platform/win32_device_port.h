#pragma once
// The drive probe's ports on the real storage stack and the system's message table.
#include <cstdint>
#include <string>

#include "probe/device_port.h"

namespace kestrine {

// Opens device paths with CreateFileA (read and write access or none, shared, synchronous)
// and sends synchronous DeviceIoControl requests on them.
class Win32DevicePort : public DevicePort {
public:
    OpenResult open(const std::string& path, DeviceAccess access) override;
};

// The system's own text for an error code, in the default language (FormatMessageA).
class Win32SystemMessages : public SystemMessages {
public:
    bool lookup(std::uint32_t code, std::string& text) const override;
};

}  // namespace kestrine
