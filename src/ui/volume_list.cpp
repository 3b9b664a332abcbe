#include "ui/volume_list.h"

#include "ui/list_sync.h"

namespace kestrine {

void refillVolumeList(const VolumeScanResult& scan, const VolumeTable& table, ListControl& list) {
    if (!scan.answered) return;
    ListSync sync(list);
    for (const VolumeVerdict& volume : scan.verdicts) {
        if (!volume.present) {
            sync.drop(volume.slot);
            continue;
        }
        sync.keep(volume.slot, volumeItemText(volume.slot, table[volume.slot].percentFree, volume.label),
                  volume.inWarning ? volumeWarningImage : volumeOkImage);
    }
}

}  // namespace kestrine
