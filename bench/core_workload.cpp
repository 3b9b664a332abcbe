#include "core_workload.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "fakes/device_replies.h"
#include "probe/device_layouts.h"
#include "probe/drive_probe.h"
#include "ui/drive_list.h"
#include "ui/volume_list.h"

namespace kestrine::bench {

namespace {

// The descriptor gives the serial as hexadecimal pairs, one pair per character.
std::string hexPairs(const std::string& text) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string pairs;
    for (const unsigned char c : text) {
        pairs += digits[c >> 4];
        pairs += digits[c & 0xF];
    }
    return pairs;
}

// What a SATA disk behind the standard driver reports: blank-padded vendor and product, and a
// serial given as hexadecimal pairs.
std::vector<std::uint8_t> descriptorOf(int number) {
    return testing::descriptorReply({"ACME    ", "ACME Disk " + std::to_string(number) + "      ",
                                     hexPairs("  WD-WCC4N0" + std::to_string(1000 + number))});
}

class InstantDevice : public OpenDevice {
public:
    explicit InstantDevice(const HealthyDevicePort::Replies& replies) : replies_(replies) {}

    ControlResult control(std::uint32_t code, const std::uint8_t*, std::uint32_t, std::uint8_t* out,
                          std::uint32_t outSize) override {
        const std::vector<std::uint8_t>* reply = nullptr;
        switch (code) {
            case device::ioctlStorageQueryProperty: reply = &replies_.descriptor; break;
            case device::smartGetVersion: reply = &replies_.version; break;
            case device::ioctlStoragePredictFailure: reply = &replies_.predict; break;
            case device::smartSendDriveCommand: reply = &replies_.smart; break;
            default: return {1, 0};  // ERROR_INVALID_FUNCTION
        }
        const std::size_t count = std::min<std::size_t>(reply->size(), outSize);
        std::memcpy(out, reply->data(), count);
        return {0, static_cast<std::uint32_t>(count)};
    }

private:
    const HealthyDevicePort::Replies& replies_;
};

int slotOf(const std::string& root) { return root[0] - 'A'; }

}  // namespace

HealthyDevicePort::HealthyDevicePort(int count) {
    for (int number = 0; number < count; ++number) {
        drives_.push_back({descriptorOf(number), testing::versionReply(0x07), testing::predictReply(0),
                           testing::smartReply(0x4F, 0xC2)});
    }
}

OpenResult HealthyDevicePort::open(const std::string& path, DeviceAccess) {
    // The number is whatever follows the last non-digit of the path.
    const std::size_t digits = path.find_last_not_of("0123456789") + 1;
    const int number = std::atoi(path.c_str() + digits);
    if (number >= static_cast<int>(drives_.size())) return {nullptr, 2};  // ERROR_FILE_NOT_FOUND
    return {std::make_unique<InstantDevice>(drives_[static_cast<std::size_t>(number)]), 0};
}

InstantVolumeSource::InstantVolumeSource(int count) {
    for (int i = 0; i < count && firstScannedSlot + i < volumeSlotCount; ++i) {
        const int slot = firstScannedSlot + i;
        mask_ |= 1u << slot;
        const std::int64_t total = 500'107'862'016 + std::int64_t{i} * 1'000'000'000;
        const std::int64_t free = i % 6 == 5 ? total / 20 : total / 3;
        spaces_[slot] = {total, free};
        labels_[slot] = "Volume " + std::string(1, static_cast<char>('A' + slot));
    }
}

bool InstantVolumeSource::freeSpace(const std::string& root, VolumeSpace& space) {
    const int slot = slotOf(root);
    if ((mask_ & (1u << slot)) == 0) return false;
    space = spaces_[slot];
    return true;
}

bool InstantVolumeSource::label(const std::string& root, std::string& label) {
    label = labels_[slotOf(root)];
    return true;
}

CoreWorkload::CoreWorkload(int drives, int volumes)
    : devices_(drives), volumes_(volumes), refresh_(devices_, volumes_, HealthReads::Skip) {}

void CoreWorkload::refresh() {
    oldFailingDrives_ = failingDrives;
    oldVolumeWarnings_ = volumeWarnings;
    refresh_.run(settings_, [this](const RefreshResult& result) {
        refillDriveList(result.drives, driveList, [this] { updateDrivePanel(); });
        refillVolumeList(result.volumeScan, volumeList, [this] { updateVolumePanel(); });
        updateDrivePanel();
        updateVolumePanel();
        cycle.refreshed();
    });
    failingDrives = refresh_.result().failingDriveCount;
    volumeWarnings = refresh_.result().volumeScan.warningCount;
    status = refresh_.result().status;
}

void CoreWorkload::idleTick() {
    if (driveList.selectionMark() != lastDriveSelection_) updateDrivePanel();
    if (volumeList.selectionMark() != lastVolumeSelection_) updateVolumePanel();
    const TickPlan plan = cycle.tick(refresh_.running());
    if (plan.writeCountdown) countdownWrites += plan.countdown.size();
    if (plan.refresh) refresh();
}

void CoreWorkload::probeDrives() { probeAllDrives(partDrives_, devices_); }

void CoreWorkload::refillDrives() {
    refillDriveList(refresh_.result().drives, driveList, [this] { updateDrivePanel(); });
}

void CoreWorkload::scanAllVolumes() {
    const VolumeScanResult scan = scanVolumes(volumes_, settings_, partVolumes_);
    volumeWarnings = scan.warningCount;
    refillVolumeList(scan, volumeList, [this] { updateVolumePanel(); });
}

void CoreWorkload::updateDrivePanel() {
    lastDriveSelection_ = driveList.selectionMark();
    drivePanel = drivePanelTexts(markedDrive(refresh_.result().drives, driveList), systemMessages_);
}

void CoreWorkload::updateVolumePanel() {
    lastVolumeSelection_ = volumeList.selectionMark();
    volumePanel = volumePanelView(volumeList, refresh_.result().volumes, settings_, messageSink_);
}

void CoreWorkload::evaluate() {
    status = evaluateStatus(oldFailingDrives_, oldVolumeWarnings_, failingDrives, volumeWarnings);
}

}  // namespace kestrine::bench
