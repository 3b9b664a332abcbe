#include "probe/saved_replies.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <memory>
#include <utility>

#include "probe/device_layouts.h"
#include "probe/drive_probe.h"
#include "probe/health_layouts.h"
#include "probe/little_endian.h"
#include "probe/sat_layouts.h"
#include "probe/sat_request.h"

namespace kestrine {

namespace {

constexpr std::uint32_t errorInvalidFunction = 1;  // ERROR_INVALID_FUNCTION
constexpr std::string_view openRequest = "open";

// The requests that share a control code are told apart by one field of their input: a byte,
// or for the property queries the whole 32-bit property id.
struct NamedRequest {
    std::uint32_t code;
    std::size_t field;  // offset of the distinguishing field in the input
    std::uint32_t value;
    std::string_view name;
};
constexpr std::size_t anyInput = SIZE_MAX;

constexpr std::array<NamedRequest, 8> namedRequests = {{
    {device::ioctlStorageQueryProperty, device::propertyQuery::propertyId, 0, "descriptor"},
    {device::smartGetVersion, anyInput, 0, "smart-version"},
    {device::ioctlStoragePredictFailure, anyInput, 0, "predict-failure"},
    {device::smartSendDriveCommand, anyInput, 0, "smart-status"},
    {device::smartRcvDriveData, device::smartCommand::featuresReg, device::smartRead::readAttributes, "smart-data"},
    {device::smartRcvDriveData, device::smartCommand::featuresReg, device::smartRead::readThresholds,
     "smart-thresholds"},
    {device::ioctlStorageQueryProperty, device::propertyQuery::propertyId, device::nvmeQuery::protocolSpecificProperty,
     "nvme-log"},
    {device::ioctlStorageQueryProperty, device::propertyQuery::propertyId,
     device::temperatureQuery::temperatureProperty, "temperature"},
}};

std::string driveFolder(const std::string& folder, int drive) { return folder + "\\drive" + std::to_string(drive); }

std::string fileOf(const std::string& folder, int drive, std::string_view request, std::string_view kind) {
    return driveFolder(folder, drive) + '\\' + std::string(request) + std::string(kind);
}

}  // namespace

std::string folderPath(std::string folder) {
    // "C:\" stays: "C:" alone is the current folder of drive C:.
    const bool root = folder.size() <= 1 || folder[folder.size() - 2] == ':';
    if (!root && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

bool holdsSavedDrive(FileReader& files, const std::string& folder) {
    for (int drive = 0; drive < driveTableSize; ++drive)
        if (files.exists(driveFolder(folderPath(folder), drive))) return true;
    return false;
}

std::optional<std::string_view> savedRequestName(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize) {
    if (code == device::ioctlScsiPassThrough) return satRequestName(in, inSize);
    for (const NamedRequest& request : namedRequests) {
        if (request.code != code) continue;
        if (request.field == anyInput) return request.name;
        const std::size_t width = code == device::ioctlStorageQueryProperty ? 4 : 1;
        if (in == nullptr || inSize < 4 || request.field + width > inSize) return std::nullopt;
        const std::uint32_t value = width == 4 ? readLe32(in + request.field) : in[request.field];
        if (value == request.value) return request.name;
    }
    return std::nullopt;
}

// --- saving -------------------------------------------------------------------------------

class RecordingDevicePort::RecordedDrive : public OpenDevice {
public:
    RecordedDrive(RecordingDevicePort& port, int drive, std::unique_ptr<OpenDevice> device)
        : port_(port), drive_(drive), device_(std::move(device)) {}

    ControlResult control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                          std::uint32_t outSize) override {
        const ControlResult result = device_->control(code, in, inSize, out, outSize);
        if (const std::optional<std::string_view> request = savedRequestName(code, in, inSize)) {
            if (result.error != 0)
                port_.saveError(drive_, *request, result.error);
            else
                port_.save(drive_, *request, out, std::min(result.bytesReturned, outSize));
        }
        return result;
    }

private:
    RecordingDevicePort& port_;
    int drive_;
    std::unique_ptr<OpenDevice> device_;
};

RecordingDevicePort::RecordingDevicePort(DevicePort& devices, FileStore& files, std::string folder)
    : devices_(devices), files_(files), folder_(folderPath(std::move(folder))) {}

OpenResult RecordingDevicePort::open(const std::string& path, DeviceAccess access) {
    OpenResult opened = devices_.open(path, access);
    const std::optional<int> drive = physicalDriveNumber(path);
    if (!drive) return opened;
    // A drive that is not there leaves no folder; the last failed open of one that is, its code.
    if (!opened.device && opened.error != errorFileNotFound) saveError(*drive, openRequest, opened.error);
    if (opened.device) opened.device = std::make_unique<RecordedDrive>(*this, *drive, std::move(opened.device));
    return opened;
}

void RecordingDevicePort::save(int drive, std::string_view request, const std::uint8_t* bytes, std::size_t size) {
    write(fileOf(folder_, drive, request, ".bin"), drive, bytes, size);
}

void RecordingDevicePort::saveError(int drive, std::string_view request, std::uint32_t error) {
    const std::string code = std::to_string(error);
    write(fileOf(folder_, drive, request, ".error"), drive, reinterpret_cast<const std::uint8_t*>(code.data()),
          code.size());
}

void RecordingDevicePort::write(const std::string& file, int drive, const std::uint8_t* bytes, std::size_t size) {
    files_.createFolder(folder_);
    files_.createFolder(driveFolder(folder_, drive));
    if (!files_.replace(file, bytes, size)) complete_ = false;
}

// --- replaying ----------------------------------------------------------------------------

class ReplayDevicePort::ReplayedDrive : public OpenDevice {
public:
    ReplayedDrive(ReplayDevicePort& port, int drive) : port_(port), drive_(drive) {}

    ControlResult control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                          std::uint32_t outSize) override {
        const std::optional<std::string_view> request = savedRequestName(code, in, inSize);
        if (!request) return {errorInvalidFunction, 0};
        return port_.answer(drive_, *request, out, outSize);
    }

private:
    ReplayDevicePort& port_;
    int drive_;
};

ReplayDevicePort::ReplayDevicePort(FileStore& files, std::string folder)
    : files_(files), folder_(folderPath(std::move(folder))) {}

OpenResult ReplayDevicePort::open(const std::string& path, DeviceAccess access) {
    const std::optional<int> drive = physicalDriveNumber(path);
    if (!drive || !files_.exists(driveFolder(folder_, *drive))) return {nullptr, errorFileNotFound};
    if (const std::optional<std::uint32_t> error = savedError(*drive, openRequest))
        if (access == DeviceAccess::ReadWrite || !answeredAnyRequest(*drive)) return {nullptr, *error};
    return {std::make_unique<ReplayedDrive>(*this, *drive), 0};
}

ControlResult ReplayDevicePort::answer(int drive, std::string_view request, std::uint8_t* out, std::uint32_t outSize) {
    std::size_t got = 0;
    if (files_.read(fileOf(folder_, drive, request, ".bin"), out, outSize, got).status == ReadStatus::Read)
        return {0, static_cast<std::uint32_t>(got)};
    std::fill_n(out, outSize, std::uint8_t{0});  // nothing of a failed read stays behind
    return {savedError(drive, request).value_or(errorInvalidFunction), 0};
}

std::optional<std::uint32_t> ReplayDevicePort::savedError(int drive, std::string_view request) {
    std::array<char, 16> text{};
    std::size_t got = 0;
    if (files_
            .read(fileOf(folder_, drive, request, ".error"), reinterpret_cast<std::uint8_t*>(text.data()), text.size(),
                  got)
            .status != ReadStatus::Read)
        return std::nullopt;
    // Digits, then at most white space (a line end an editor added).
    std::uint32_t code = 0;
    const char* end = text.data() + got;
    const auto [stop, problem] = std::from_chars(text.data(), end, code);
    const bool blanksOnly = std::all_of(stop, end, [](char c) { return c == ' ' || c == '\r' || c == '\n'; });
    if (problem != std::errc() || !blanksOnly || code == 0) return errorInvalidFunction;
    return code;
}

bool ReplayDevicePort::answeredAnyRequest(int drive) {
    const auto saved = [this, drive](std::string_view request) {
        return files_.exists(fileOf(folder_, drive, request, ".bin")) ||
               files_.exists(fileOf(folder_, drive, request, ".error"));
    };
    return std::any_of(namedRequests.begin(), namedRequests.end(),
                       [&saved](const NamedRequest& request) { return saved(request.name); }) ||
           std::any_of(satRequestNames.begin(), satRequestNames.end(), saved);
}

}  // namespace kestrine
