#pragma once
// Saved replies: what each drive answered, as files a user can send and the report can answer
// from again. A folder holds, per drive number N that answered, a folder "driveN" with one
// file per request: "<request>.bin" with the reply bytes exactly as long as the driver said it
// returned them, or "<request>.error" with the system error code in decimal; "open.error"
// when opening the drive for reading and writing failed.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "probe/device_port.h"
#include "settings/file_store.h"

namespace kestrine {

// The name of a request the probes send: "descriptor", "smart-version", "predict-failure",
// "smart-status", "smart-data", "smart-thresholds", "nvme-log" or "temperature", or for a SCSI
// pass-through one of `satRequestNames`; none for any other request.
std::optional<std::string_view> savedRequestName(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize);

// The folder's path without a separator at its end, as the ports use it.
std::string folderPath(std::string folder);

// True when `folder` holds the saved replies of at least one drive.
bool holdsSavedDrive(FileReader& files, const std::string& folder);

// Passes every open and request on to `devices`, and saves each answer into `folder`, which
// should be new: an answer that is not given again leaves an older file in place.
class RecordingDevicePort : public DevicePort {
public:
    RecordingDevicePort(DevicePort& devices, FileStore& files, std::string folder);
    OpenResult open(const std::string& path, DeviceAccess access) override;

    // False once a file could not be written.
    bool complete() const { return complete_; }

private:
    class RecordedDrive;
    void save(int drive, std::string_view request, const std::uint8_t* bytes, std::size_t size);
    void saveError(int drive, std::string_view request, std::uint32_t error);
    void write(const std::string& file, int drive, const std::uint8_t* bytes, std::size_t size);

    DevicePort& devices_;
    FileStore& files_;
    std::string folder_;
    bool complete_ = true;
};

// Answers every open and request from a folder of saved replies. A drive number without its
// folder does not exist (ERROR_FILE_NOT_FOUND); a request with neither file, or an error file
// that holds no error code, fails with ERROR_INVALID_FUNCTION. A saved open error refuses the
// read-and-write open; the open without access then succeeds when the drive answered requests
// after it, as a standard user's open does.
class ReplayDevicePort : public DevicePort {
public:
    ReplayDevicePort(FileStore& files, std::string folder);
    OpenResult open(const std::string& path, DeviceAccess access) override;

private:
    class ReplayedDrive;
    ControlResult answer(int drive, std::string_view request, std::uint8_t* out, std::uint32_t outSize);
    std::optional<std::uint32_t> savedError(int drive, std::string_view request);
    bool answeredAnyRequest(int drive);

    FileStore& files_;
    std::string folder_;
};

}  // namespace kestrine
