#pragma once
// The volume scan's view of the drive letters through the Windows volume calls.
#include "volumes/volume_source.h"

namespace kestrine {

// How labels arrive: in the system's code page (GetVolumeInformationA), as the window shows
// them, or whole in UTF-8 (GetVolumeInformationW), as the report writes them.
enum class LabelEncoding { Ansi, Utf8 };

class Win32VolumeSource : public VolumeSource {
public:
    explicit Win32VolumeSource(LabelEncoding encoding = LabelEncoding::Ansi) : encoding_(encoding) {}
    std::uint32_t logicalDrives() override;
    bool freeSpace(const std::string& root, VolumeSpace& space) override;
    bool label(const std::string& root, std::string& label) override;

private:
    LabelEncoding encoding_;
};

}  // namespace kestrine
