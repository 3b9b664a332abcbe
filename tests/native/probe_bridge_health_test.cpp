// Drives behind a bridge: which drives are read through SCSI/ATA translation, what the health
// reads send and keep, and the verdicts that follow; the real Intel SSD's sectors behind a
// scripted bridge (tests/support/fakes/sat_replies.h).
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_device_port.h"
#include "fakes/fake_file_store.h"
#include "fakes/sat_replies.h"
#include "probe/drive_probe.h"
#include "probe/drive_texts.h"
#include "probe/drive_verdict.h"
#include "probe/health_probe.h"
#include "probe/saved_replies.h"
#include "real_drives.h"

namespace kestrine {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::FakeBridge;
using testing::FakeDevicePort;

constexpr std::uint32_t passThrough = 0x0004D004;

FakeBridge realDriveBehind(bool thresholdExceeded = false) {
    return testing::passingBridge(testing::realAtaSectors().identify, testing::realAtaSectors().data,
                                  testing::realAtaSectors().thresholds, thresholdExceeded);
}

// A listed drive on `bus` whose SMART version request failed with `versionError` (0: taken,
// with the SMART capability bit as `smartCapable` says).
DriveRecord bridgedDrive(int number, std::uint32_t bus = busUsb, std::uint32_t versionError = 1,
                         const std::string& product = "My Passport") {
    DriveRecord record;
    record.present = record.probed = record.identityValid = true;
    record.driveNumber = number;
    record.busType = bus;
    record.busTypeText = busTypeName(bus);
    record.vendor = "WD";
    record.product = product;
    record.versionError = versionError;
    return record;
}

TEST(BridgedDrives, SmartFailingForAnyReasonButRightsOnATranslatingBusSendsSat) {
    DriveRecord statusFails = bridgedDrive(0, busRaid, 0);
    statusFails.smartCapable = true;
    statusFails.statusError = 31;
    DriveRecord statusDenied = statusFails;
    statusDenied.statusError = 5;
    DriveRecord noSmartBit = bridgedDrive(0, busSas, 0);
    DriveRecord raidTakingSmart = statusFails;
    raidTakingSmart.statusError = 0;
    DriveRecord unread = bridgedDrive(0);
    unread.identityError = 1117;
    const struct {
        const char* name;
        DriveRecord record;
        HealthSource source;
        bool throughBridge;
    } rows[] = {
        {"USB, version refused", bridgedDrive(0), HealthSource::SatSmart, true},
        {"SCSI, version refused", bridgedDrive(0, busScsi), HealthSource::SatSmart, true},
        {"SAS, no SMART bit", noSmartBit, HealthSource::SatSmart, true},
        {"RAID, status fails", statusFails, HealthSource::SatSmart, true},
        {"RAID taking SMART", raidTakingSmart, HealthSource::AtaSmart, false},
        {"RAID, status denied to a standard user", statusDenied, HealthSource::AtaSmart, false},
        {"USB, a standard user", bridgedDrive(0, busUsb, 5), HealthSource::None, false},
        {"SATA, version refused", bridgedDrive(0, 11), HealthSource::AtaSmart, false},
        {"SD card", bridgedDrive(0, 12), HealthSource::None, false},
        {"NVMe in a USB enclosure", bridgedDrive(0, busUsb, 1, "RTL9210 nvme"), HealthSource::None, false},
        {"'NVMe' on another bus", bridgedDrive(0, busSas, 1, "NVMe Gateway"), HealthSource::SatSmart, true},
        {"identity not current", unread, HealthSource::None, true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(healthSourceFor(row.record), row.source) << row.name;
        EXPECT_EQ(smartThroughBridge(row.record), row.throughBridge) << row.name;
    }
    EXPECT_TRUE(nvmeBehindUsbBridge(bridgedDrive(0, busUsb, 1, "Portable NVME SSD")));
    DriveRecord vendorNamed = bridgedDrive(0, busUsb, 1, "Portable SSD");
    vendorNamed.vendor = "NVMe";
    EXPECT_TRUE(nvmeBehindUsbBridge(vendorNamed));
    EXPECT_FALSE(nvmeBehindUsbBridge(bridgedDrive(0, busUsb, 1, "NVM Express? no: NV-Me")));
    // At the very end, after a first N that is not it, and a name too short to hold it.
    EXPECT_TRUE(nvmeBehindUsbBridge(bridgedDrive(0, busUsb, 1, "nNvMe")));
    EXPECT_FALSE(nvmeBehindUsbBridge(bridgedDrive(0, busUsb, 1, "NVM")));
    EXPECT_FALSE(nvmeBehindUsbBridge(bridgedDrive(0, busUsb, 1, "SSD NVMx")));
}

TEST(BridgedDrives, ReportReadsTheDriveBehindTheBridgeAsAnAtaDrive) {
    FakeBridge refuses16 = realDriveBehind();
    refuses16.refusedCdbs = {16};
    FakeBridge zeros = realDriveBehind();
    zeros.answers["smart-data"] = testing::sectorAnswer(Bytes(512, 0));
    FakeBridge noThresholds = realDriveBehind();
    noThresholds.answers.erase("smart-thresholds");
    FakeBridge denied = realDriveBehind();
    denied.error = 5;
    const struct {
        const char* name;
        DriveRecord record;
        std::optional<FakeBridge> bridge;
        HealthSource source;
        std::string reason;  // the health's, else the thresholds'
        std::vector<std::string> sent;
        SmartState smart;
        bool accessDenied = false;
    } rows[] = {
        {"healthy",
         bridgedDrive(2),
         realDriveBehind(),
         HealthSource::SatSmart,
         "",
         {"16 identify", "16 smart-data", "16 smart-thresholds", "16 smart-status"},
         SmartState::Ok},
        {"threshold exceeded",
         bridgedDrive(2),
         realDriveBehind(true),
         HealthSource::SatSmart,
         "",
         {"16 identify", "16 smart-data", "16 smart-thresholds", "16 smart-status"},
         SmartState::FailurePredicted},
        {"refuses (16), answers (12)",
         bridgedDrive(2, busScsi),
         refuses16,
         HealthSource::SatSmart,
         "",
         {"16 identify", "12 identify", "12 smart-data", "12 smart-thresholds", "12 smart-status"},
         SmartState::Ok},
        {"zeros for SMART data",
         bridgedDrive(2),
         zeros,
         HealthSource::None,
         "the SMART data is all zeros",
         {"16 identify", "16 smart-data", "16 smart-thresholds", "16 smart-status"},
         SmartState::Ok},
        // A refused command looks like a refused CDB: the reader tries (12) from then on.
        {"no thresholds",
         bridgedDrive(2),
         noThresholds,
         HealthSource::SatSmart,
         "SMART READ THRESHOLDS through ATA PASS-THROUGH (12): the bridge refused the command (sense key 0x05, "
         "ASC/ASCQ 0x20/0x00)",
         {"16 identify", "16 smart-data", "16 smart-thresholds", "12 smart-thresholds", "12 smart-status"},
         SmartState::Ok},
        {"refused for want of rights",
         bridgedDrive(2),
         denied,
         HealthSource::None,
         "SCSI pass-through needs administrator rights (the request was refused with error 5)",
         {"16 identify", "16 smart-data", "16 smart-thresholds", "16 smart-status"},
         SmartState::NoData,
         true},
        {"no bridge at all",
         bridgedDrive(2),
         std::nullopt,
         HealthSource::None,
         "SMART READ DATA through SCSI pass-through: the driver refused the request with error 1",
         {},
         SmartState::NoData},
        {"NVMe in a USB enclosure",
         bridgedDrive(2, busUsb, 1, "SSD NVMe"),
         realDriveBehind(),
         HealthSource::None,
         "NVMe behind a USB bridge: not read",
         {},
         SmartState::NoData},
        {"a standard user",
         bridgedDrive(2, busUsb, 5),
         realDriveBehind(),
         HealthSource::None,
         "reading SMART data through the bridge needs administrator rights (the request was refused with error 5)",
         {},
         SmartState::NoData},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeDevicePort port;
        port.devices[devicePath(2)];
        if (row.bridge) port.bridges[devicePath(2)] = *row.bridge;
        const DriveHealth health = probeHealth(row.record, port);
        EXPECT_EQ(health.source, row.source);
        const std::string& reason =
            row.source == HealthSource::None ? health.unavailableReason : health.ata.thresholdsUnavailableReason;
        EXPECT_EQ(reason, row.reason);
        EXPECT_EQ(row.bridge ? port.bridges[devicePath(2)].seen : std::vector<std::string>(), row.sent);
        EXPECT_EQ(port.requestsWithCode(passThrough).size(), row.bridge ? row.sent.size() : 4u);
        EXPECT_EQ(smartState(row.record, health), row.smart);
        EXPECT_EQ(health.bridge.has_value(), smartThroughBridge(row.record));
        EXPECT_EQ(health.bridge && health.bridge->accessDenied, row.accessDenied);
        if (row.source == HealthSource::SatSmart) {
            EXPECT_EQ(health.bridge->model, "INTEL SSDSA2CW120G3");
            EXPECT_EQ(health.bridge->serial, "CVPR109301UZ120LGN");
        }
    }
}

// The real SSD's table read through a bridge is the one its ATA driver gives: 19 attributes,
// 45 power-on hours, no reallocated sector, each threshold in place.
TEST(BridgedDrives, TheRealDrivesTableReadsAlikeThroughTheBridge) {
    FakeDevicePort port;
    port.devices[devicePath(1)];
    port.bridges[devicePath(1)] = realDriveBehind();
    const DriveHealth health = probeHealth(bridgedDrive(1), port);
    ASSERT_EQ(health.source, HealthSource::SatSmart);
    ASSERT_EQ(health.ata.attributes.size(), 19u);
    EXPECT_EQ(health.ata.powerOnHours, 45u);
    EXPECT_EQ(health.ata.reallocatedSectors, 0u);
    const AtaAttribute& spare = health.ata.attributes[5];  // skdump: 170, value 100, threshold 10, prefail
    EXPECT_EQ(std::vector<int>({spare.id, spare.current, spare.threshold, spare.preFailure}),
              std::vector<int>({170, 100, 10, 1}));
    EXPECT_EQ(health.bridge->cdbSize, CdbSize::Sixteen);
    EXPECT_FALSE(isHealthCritical(health));
    EXPECT_EQ(healthSourceName(health.source), "sat_smart");
}

// The verdict weighs the table too: an attribute failing now behind a bridge names itself.
TEST(BridgedDrives, VerdictWeighsTheStatusAndTheTable) {
    Bytes worn = testing::realAtaSectors().data;
    const std::size_t endToEnd = 2 + 8 * 12;  // attribute 184, pre-failure, threshold 90
    ASSERT_EQ(worn[endToEnd], 184);
    worn[endToEnd + 3] = 90;  // its current value, at the threshold
    testing::sealChecksum(worn);
    FakeDevicePort port;
    port.devices[devicePath(0)];
    port.bridges[devicePath(0)] =
        testing::passingBridge(testing::realAtaSectors().identify, worn, testing::realAtaSectors().thresholds, false);
    const DriveHealth health = probeHealth(bridgedDrive(0), port);
    const DriveVerdict verdict = judgeDrive(bridgedDrive(0), health);
    EXPECT_EQ(verdict.status, DriveStatus::Failing);
    EXPECT_EQ(verdict.reasons, std::vector<std::string>{"SMART attribute failing now: 184 End-to-End Error"});
}

// What a recording saves of a bridge's answers replays as the same health, whichever pointer
// width saved it.
TEST(BridgedDrives, SavedPassThroughRepliesReplayInEitherLayout) {
    for (const bool narrow : {true, false}) {
        SCOPED_TRACE(narrow ? "saved by a 32-bit build" : "saved by a 64-bit build");
        FakeDevicePort drives;
        drives.devices[devicePath(0)];
        drives.bridges[devicePath(0)] = realDriveBehind(true);
        drives.bridges[devicePath(0)].answerNarrow = narrow;
        drives.bridges[devicePath(0)].answers.erase("smart-thresholds");
        testing::FakeFileStore files;
        files.folders.insert("C:");
        RecordingDevicePort recording(drives, files, "C:\\saved");
        const DriveHealth recorded = probeHealth(bridgedDrive(0), recording);
        const Bytes status = files.files.at("C:\\saved\\drive0\\sat-smart-status.bin");
        EXPECT_EQ(status[0], narrow ? 44 : 56) << "the output buffer as received";
        for (const char* name : {"sat-identify", "sat-smart-data", "sat-smart-thresholds"})
            EXPECT_EQ(files.files.count(std::string("C:\\saved\\drive0\\") + name + ".bin"), 1u) << name;

        // Only the bridge's files tell that the drive answered after its open was refused.
        files.files.erase("C:\\saved\\drive0\\temperature.error");
        files.files["C:\\saved\\drive0\\open.error"] = {'5'};
        ReplayDevicePort replay(files, "C:\\saved");
        const DriveHealth replayed = probeHealth(bridgedDrive(0), replay);
        EXPECT_EQ(replayed.source, HealthSource::SatSmart);
        EXPECT_EQ(replayed.ata.attributes.size(), recorded.ata.attributes.size());
        EXPECT_EQ(replayed.ata.thresholdsUnavailableReason, recorded.ata.thresholdsUnavailableReason);
        ASSERT_TRUE(replayed.bridge);
        EXPECT_EQ(replayed.bridge->status, SatStatus::ThresholdExceeded);
        EXPECT_EQ(replayed.bridge->model, "INTEL SSDSA2CW120G3");
    }
}

}  // namespace
}  // namespace kestrine
