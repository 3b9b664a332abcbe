#include "core_workload.h"

#include "fakes/device_replies.h"
#include "fakes/health_replies.h"
#include "fakes/sat_replies.h"
#include "history/history_bounds.h"
#include "history/history_file.h"
#include "probe/device_layouts.h"
#include "probe/drive_probe.h"
#include "probe/health_layouts.h"
#include "probe/health_probe.h"
#include "probe/sat_layouts.h"
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

// What a disk behind the standard driver reports: blank-padded vendor and product, and a
// serial given as hexadecimal pairs.
std::vector<std::uint8_t> descriptorOf(int number, std::uint32_t bus) {
    return testing::descriptorReply({"ACME    ", "ACME Disk " + std::to_string(number) + "      ",
                                     hexPairs("  WD-WCC4N0" + std::to_string(1000 + number)), bus});
}

// A drive a year into its life: a few percent used, no warning.
std::vector<std::uint8_t> healthLogOf(int number) {
    NvmeHealth log;
    log.compositeKelvin = 310;
    log.availableSpare = 100;
    log.availableSpareThreshold = 10;
    log.percentageUsed = 3;
    log.powerOnHours = {static_cast<std::uint64_t>(8000 + number), 0};
    return testing::nvmeHealthReply(log);
}

int slotOf(const std::string& root) { return root[0] - 'A'; }

const std::string historyFolder = "C:\\ProgramData\\VTN\\KSTM";
const std::string historyPath = historyFolder + "\\KSTMH.dat";

// A SATA drive's attribute table a year into its life; every fourth drive has remapped sectors.
std::vector<testing::AttributeRow> attributesOf(int number) {
    return {{1, 0x0F, 117, 99, 120'000'000, 6},
            {5, 0x33, 100, 100, number % 4 == 3 ? 8u : 0u, 36},
            {9, 0x32, 91, 91, static_cast<std::uint64_t>(8000 + number), 0},
            {12, 0x32, 100, 100, 400, 20},
            {187, 0x32, 100, 100, 0, 0},
            {190, 0x22, 65, 55, 35, 45},
            {194, 0x22, 35, 45, 35, 0},
            {197, 0x12, 100, 100, 0, 0},
            {198, 0x10, 100, 100, 0, 0},
            {199, 0x3E, 200, 200, 0, 0}};
}

// Drives 0..count-1 answer with good news; the port keeps no record of them.
testing::FakeDevicePort healthyDrives(int count, DriveKind kind) {
    testing::FakeDevicePort port;
    port.recordOpens = false;
    port.recordRequests = false;
    // The window asks a bridge for SMART RETURN STATUS alone: one answer serves every drive.
    const std::vector<std::uint8_t> returnStatus =
        testing::passThroughReply(testing::returnStatusAnswer(false), sizeof(void*) == 4);
    for (int number = 0; number < count; ++number) {
        const std::string path = devicePath(number);
        port.variants[path][{device::ioctlStorageQueryProperty, device::temperatureQuery::temperatureProperty}] = {
            0, testing::temperatureReply(35, 70, 80)};
        if (kind == DriveKind::Sata) {
            port.devices[path] = {{device::ioctlStorageQueryProperty, {0, descriptorOf(number, 11)}},
                                  {device::smartGetVersion, {0, testing::versionReply(0x07)}},
                                  {device::ioctlStoragePredictFailure, {0, testing::predictReply(0)}},
                                  {device::smartSendDriveCommand, {0, testing::smartReply(0x4F, 0xC2)}}};
            port.variants[path][{device::smartRcvDriveData, device::smartRead::readAttributes}] = {
                0, testing::smartDataReply(attributesOf(number))};
            port.variants[path][{device::smartRcvDriveData, device::smartRead::readThresholds}] = {
                0, testing::smartThresholdsReply(attributesOf(number))};
        } else if (kind == DriveKind::Usb) {
            port.devices[path] = {{device::ioctlStorageQueryProperty, {0, descriptorOf(number, busUsb)}},
                                  {device::ioctlStoragePredictFailure, {0, testing::predictReply(0)}},
                                  {device::ioctlScsiPassThrough, {0, returnStatus}}};
        } else {
            port.devices[path] = {{device::ioctlStorageQueryProperty, {0, descriptorOf(number, busNvme)}},
                                  {device::ioctlStoragePredictFailure, {0, testing::predictReply(0)}}};
            port.variants[path][{device::ioctlStorageQueryProperty, device::nvmeQuery::protocolSpecificProperty}] = {
                0, healthLogOf(number)};
        }
    }
    return port;
}

constexpr UtcSeconds twoHours = 2 * 60 * 60;

// The history file of the first refresh with each drive's sample repeated `count` times, two
// hours apart and ending with the refresh's own.
std::vector<std::uint8_t> withEarlierSamples(const std::vector<std::uint8_t>& file, int count) {
    History history = parseHistory(file).history;
    for (DriveHistory& drive : history.drives) {
        const HealthSample last = drive.samples.back();
        for (int step = 1; step < count; ++step) {
            HealthSample earlier = last;
            earlier.time -= step * twoHours;
            recordSample(drive, earlier);
        }
    }
    return serializeHistory(history);
}

}  // namespace

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

CoreWorkload::CoreWorkload(int drives, int volumes, DriveKind kind, int samplesPerDrive)
    : devices_(healthyDrives(drives, kind)),
      volumes_(volumes),
      recording_{historyFiles_, historyLock_,      pause_, historyPath, historyPath + ".lock",
                 1'796'000'000, AcceptScope::None, 0,      true},
      refresh_(devices_, volumes_, judgeWithHistory),
      presenter_({driveList, volumeList, view, tray_, eventLog_, cycle, systemMessages_, messageSink_, settings_,
                  refresh_.result()}) {
    probeAllDrives(partDrives_, devices_);
    historyFiles_.folders.insert(historyFolder);
    refresh();
    earlierHistory_ = withEarlierSamples(historyFiles_.files.at(historyPath), samplesPerDrive);
    recording_.now += twoHours;
}

void CoreWorkload::refresh() {
    oldFailingDrives_ = failingDrives;
    oldVolumeWarnings_ = volumeWarnings;
    refresh_.run(
        settings_, [this](const RefreshResult& result) { presenter_.present(result); }, &recording_);
    if (!earlierHistory_.empty()) historyFiles_.files[historyPath] = earlierHistory_;
    failingDrives = refresh_.result().failingDriveCount;
    volumeWarnings = refresh_.result().volumeScan.warningCount;
}

void CoreWorkload::idleTick() {
    presenter_.followMarks();
    const TickPlan plan = cycle.tick(refresh_.running());
    if (plan.writeCountdown) countdownWrites += plan.countdown.size();
    if (plan.refresh) refresh();
}

void CoreWorkload::probeDrives() { probeAllDrives(partDrives_, devices_); }

void CoreWorkload::readHealth() { readAllHealth(partDrives_, partHealth_, devices_); }

void CoreWorkload::refillDrives() {
    const RefreshResult& result = refresh_.result();
    refillDriveList(result.drives, result.health, driveList, result);
}

void CoreWorkload::scanAllVolumes() {
    const VolumeScanResult scan = scanVolumes(volumes_, settings_, partVolumes_);
    volumeWarnings = scan.warningCount;
    refillVolumeList(scan, partVolumes_, volumeList);
}

void CoreWorkload::updateDrivePanel() { presenter_.updateDrivePanel(); }

void CoreWorkload::updateVolumePanel() { presenter_.updateVolumePanel(); }

void CoreWorkload::evaluate() {
    status = evaluateStatus(oldFailingDrives_, oldVolumeWarnings_, failingDrives, volumeWarnings);
}

}  // namespace kestrine::bench
