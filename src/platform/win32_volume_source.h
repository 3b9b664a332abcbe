#pragma once
// The volume scan's view of the drive letters through the Windows volume calls.
#include "volumes/volume_source.h"

namespace kestrine {

class Win32VolumeSource : public VolumeSource {
public:
    std::uint32_t logicalDrives() override;
    bool freeSpace(const std::string& root, VolumeSpace& space) override;
    bool label(const std::string& root, std::string& label) override;
};

}  // namespace kestrine
