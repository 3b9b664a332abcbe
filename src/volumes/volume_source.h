#pragma once
// What the volume scan asks the system about drive letters (GetLogicalDrives,
// GetDiskFreeSpaceExA, GetVolumeInformationA on Windows).
#include <cstdint>
#include <string>

namespace kestrine {

struct VolumeSpace {
    std::int64_t totalBytes = 0;
    std::int64_t freeBytes = 0;  // all free bytes, not only those available to the caller
};

class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    virtual std::uint32_t logicalDrives() = 0;  // bit i set: letter A+i exists
    // `root` is the letter's root path, "X:\". False when the query fails.
    virtual bool freeSpace(const std::string& root, VolumeSpace& space) = 0;
    virtual bool label(const std::string& root, std::string& label) = 0;
};

}  // namespace kestrine
