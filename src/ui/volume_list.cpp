#include "ui/volume_list.h"

#include "ui/list_sync.h"

namespace kestrine {

void refillVolumeList(const VolumeScanResult& scan, ListControl& list, const std::function<void()>& updateVolumePanel) {
    if (!scan.answered) return;
    ListSync sync(list, updateVolumePanel);
    for (const VolumeVerdict& volume : scan.verdicts) {
        if (!volume.present) {
            sync.drop(volume.slot);
            continue;
        }
        sync.keep(volume.slot, volumeItemText(volume.slot, volume.percentFree, volume.label),
                  volume.inWarning ? volumeWarningImage : volumeOkImage);
    }
}

}  // namespace kestrine
