#include "platform/win32_device_port.h"

#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <memory>

#include "platform/win32_handle.h"
#include "probe/device_layouts.h"

namespace kestrine {

// The probe builds and reads every buffer by hand; they must match the SDK's structures.
namespace checked {
namespace query = device::propertyQuery;
namespace descriptor = device::deviceDescriptor;
namespace version = device::versionReply;
namespace predict = device::predictFailureReply;
namespace command = device::smartCommand;
namespace reply = device::smartReply;

static_assert(IOCTL_STORAGE_QUERY_PROPERTY == device::ioctlStorageQueryProperty);
static_assert(SMART_GET_VERSION == device::smartGetVersion);
static_assert(IOCTL_STORAGE_PREDICT_FAILURE == device::ioctlStoragePredictFailure);
static_assert(SMART_SEND_DRIVE_COMMAND == device::smartSendDriveCommand);

static_assert(sizeof(STORAGE_PROPERTY_QUERY) == query::size);
static_assert(offsetof(STORAGE_PROPERTY_QUERY, PropertyId) == query::propertyId);
static_assert(offsetof(STORAGE_PROPERTY_QUERY, QueryType) == query::queryType);
static_assert(offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters) == query::additionalParameters);
static_assert(StorageDeviceProperty == 0 && PropertyStandardQuery == 0);

static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, RemovableMedia) == descriptor::removableMedia);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset) == descriptor::vendorIdOffset);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductIdOffset) == descriptor::productIdOffset);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductRevisionOffset) == descriptor::productRevisionOffset);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset) == descriptor::serialNumberOffset);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) == descriptor::busType);
static_assert(sizeof(STORAGE_BUS_TYPE) == 4);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, RawPropertiesLength) == descriptor::rawPropertiesLength);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties) == descriptor::rawDeviceProperties);

static_assert(sizeof(GETVERSIONINPARAMS) == version::size);
static_assert(offsetof(GETVERSIONINPARAMS, fCapabilities) == version::capabilities);
static_assert(CAP_SMART_CMD == version::capSmartCmd);

static_assert(sizeof(STORAGE_PREDICT_FAILURE) == predict::size);
static_assert(offsetof(STORAGE_PREDICT_FAILURE, PredictFailure) == predict::predictFailure);
static_assert(offsetof(STORAGE_PREDICT_FAILURE, VendorSpecific) == predict::vendorSpecific);

static_assert(sizeof(SENDCMDINPARAMS) == command::size);
static_assert(offsetof(SENDCMDINPARAMS, cBufferSize) == command::bufferSize);
static_assert(offsetof(SENDCMDINPARAMS, irDriveRegs) == command::registers);
static_assert(sizeof(IDEREGS) == 8);
static_assert(command::registers + offsetof(IDEREGS, bFeaturesReg) == command::featuresReg);
static_assert(command::registers + offsetof(IDEREGS, bSectorCountReg) == command::sectorCountReg);
static_assert(command::registers + offsetof(IDEREGS, bSectorNumberReg) == command::sectorNumberReg);
static_assert(command::registers + offsetof(IDEREGS, bCylLowReg) == command::cylLowReg);
static_assert(command::registers + offsetof(IDEREGS, bCylHighReg) == command::cylHighReg);
static_assert(command::registers + offsetof(IDEREGS, bDriveHeadReg) == command::driveHeadReg);
static_assert(command::registers + offsetof(IDEREGS, bCommandReg) == command::commandReg);
static_assert(offsetof(SENDCMDINPARAMS, bDriveNumber) == command::driveNumber);
static_assert(offsetof(SENDCMDINPARAMS, bBuffer) == command::buffer);
static_assert(RETURN_SMART_STATUS == command::returnSmartStatus && SMART_CMD == command::smartCmd);
static_assert(SMART_CYL_LOW == command::smartCylLow && SMART_CYL_HI == command::smartCylHigh);

static_assert(sizeof(SENDCMDOUTPARAMS) == reply::outParamsSize);
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == reply::registers);
static_assert(reply::registers + offsetof(IDEREGS, bCylLowReg) == reply::cylLowReg);
static_assert(reply::registers + offsetof(IDEREGS, bCylHighReg) == reply::cylHighReg);
static_assert(sizeof(SENDCMDOUTPARAMS) + sizeof(IDEREGS) == reply::size);
}  // namespace checked

namespace {

class Win32OpenDevice : public OpenDevice {
public:
    explicit Win32OpenDevice(UniqueHandle handle) : handle_(std::move(handle)) {}

    ControlResult control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                          std::uint32_t outSize) override {
        DWORD returned = 0;
        if (DeviceIoControl(handle_.get(), code, const_cast<std::uint8_t*>(in), inSize, out, outSize, &returned,
                            nullptr))
            return {0, returned};
        const DWORD error = GetLastError();
        // A failure must never read as success, even from a driver that leaves no code.
        return {error != 0 ? error : ERROR_GEN_FAILURE, 0};
    }

private:
    UniqueHandle handle_;
};

// Owns a buffer that the system allocated with LocalAlloc.
class LocalText {
public:
    LocalText() = default;
    ~LocalText() {
        if (text_ != nullptr) LocalFree(text_);
    }
    LocalText(const LocalText&) = delete;
    LocalText& operator=(const LocalText&) = delete;

    char** receiver() { return &text_; }
    const char* get() const { return text_; }

private:
    char* text_ = nullptr;
};

}  // namespace

OpenResult Win32DevicePort::open(const std::string& path, DeviceAccess access) {
    const DWORD desired = access == DeviceAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : 0;
    UniqueHandle handle(
        CreateFileA(path.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!handle.valid()) return {nullptr, GetLastError()};
    return {std::make_unique<Win32OpenDevice>(std::move(handle)), 0};
}

bool Win32SystemMessages::lookup(std::uint32_t code, std::string& text) const {
    constexpr DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER;
    static_assert(flags == 0x1300);
    constexpr DWORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
    static_assert(language == 0x0400);
    LocalText message;
    // With ALLOCATE_BUFFER the system stores a pointer to its buffer through the text argument.
    const DWORD length =
        FormatMessageA(flags, nullptr, code, language, reinterpret_cast<LPSTR>(message.receiver()), 0, nullptr);
    if (length == 0 || message.get() == nullptr) return false;
    text.assign(message.get(), length);
    return true;
}

}  // namespace kestrine
