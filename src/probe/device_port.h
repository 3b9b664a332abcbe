#pragma once
// The drive probe's only door to the storage stack: open one device path, send control
// requests on it, close it. The Win32 adapter maps this onto CreateFileA / DeviceIoControl /
// CloseHandle; tests replay scripted answers.
#include <cstdint>
#include <memory>
#include <string>

namespace kestrine {

// What one control request gave back.
struct ControlResult {
    std::uint32_t error = 0;          // 0 on success, else the system error code
    std::uint32_t bytesReturned = 0;  // the count the driver reported writing into `out`; 0 on failure
};

// One open device. Destroying it closes the handle, so a pass can never leak one.
class OpenDevice {
public:
    virtual ~OpenDevice() = default;
    // Sends one synchronous control request. `out` is zero-filled by the caller; the adapter
    // never writes past outSize. The count comes from the driver: a reader trusts it no
    // further than outSize.
    virtual ControlResult control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                                  std::uint32_t outSize) = 0;
};

struct OpenResult {
    std::unique_ptr<OpenDevice> device;  // null when the open failed
    std::uint32_t error = 0;             // the system error code of a failed open
};

// What an open asks for. A standard user may not open a physical drive for reading and
// writing, but may open it without any access: requests whose control code needs no access
// (the storage property query and the predict-failure request) still work on such a handle;
// the SMART requests need read access and are refused with ERROR_ACCESS_DENIED.
enum class DeviceAccess { ReadWrite, None };

class DevicePort {
public:
    virtual ~DevicePort() = default;
    virtual OpenResult open(const std::string& path, DeviceAccess access) = 0;
};

// The system's message text for an error code (FormatMessageA on Windows).
class SystemMessages {
public:
    virtual ~SystemMessages() = default;
    // False when the system has no text for the code.
    virtual bool lookup(std::uint32_t code, std::string& text) const = 0;
};

}  // namespace kestrine
