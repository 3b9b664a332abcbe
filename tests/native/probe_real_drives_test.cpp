// The health readers against what real drives answered (the real-drives folder beside the
// project; KESTRINE_REAL_DRIVES names another), with independent readers of the same bytes as
// the oracles: libatasmart's skdump for the ATA drive, nvme-cli's published decoding for the
// NVMe log page.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/fake_device_port.h"
#include "fakes/health_replies.h"
#include "history/caution_memory.h"
#include "history/health_sample.h"
#include "history/history_bounds.h"
#include "probe/device_layouts.h"
#include "probe/drive_health.h"
#include "probe/drive_probe.h"
#include "probe/drive_verdict.h"
#include "real_drives.h"

namespace kestrine {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ataBlob;
using testing::blobSections;
using testing::fileBytes;
using testing::realAtaHealthWithRaw;
using testing::realDrives;
using testing::sectorReply;

struct SkdumpRow {
    int value, worst, threshold;
    std::uint64_t raw;  // skdump prints the six raw bytes in the order they are stored
    bool preFailure;
};

// The attribute table of `skdump --load=FILE`, by id.
std::map<int, SkdumpRow> skdumpAttributes(const std::string& blob) {
    std::map<int, SkdumpRow> rows;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("skdump --load='" + blob + "' 2>&1").c_str(), "r"), pclose);
    EXPECT_TRUE(pipe) << "skdump (package libatasmart-bin) is needed";
    if (!pipe) return rows;
    char line[512];
    while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
        std::istringstream fields(line);
        int id = 0;
        std::string name, pretty, rawText, type;
        SkdumpRow row{};
        if (!(fields >> id >> name >> row.value >> row.worst >> row.threshold)) continue;
        // The pretty value may be two words ("0 sectors"); the raw value starts with 0x.
        while (fields >> rawText && !rawText.starts_with("0x")) {
        }
        fields >> type;
        std::uint64_t stored = std::stoull(rawText.substr(2), nullptr, 16);
        for (int i = 0; i < 6; ++i) row.raw |= ((stored >> (8 * (5 - i))) & 0xFF) << (8 * i);
        row.preFailure = type == "prefail";
        rows[id] = row;
    }
    return rows;
}

TEST(RealDrives, AtaSsdAttributesReadAsSkdumpReadsThem) {
    std::map<std::string, Bytes> sections = blobSections(fileBytes(ataBlob));
    ASSERT_EQ(sections["SMDT"].size(), 512u);
    ASSERT_EQ(sections["SMTH"].size(), 512u);
    const Bytes data = sectorReply(sections["SMDT"]);
    const Bytes thresholds = sectorReply(sections["SMTH"]);
    DriveHealth health = ataHealth(data.data(), data.size());
    applyAtaThresholds(health, thresholds.data(), thresholds.size());

    const std::map<int, SkdumpRow> oracle = skdumpAttributes(ataBlob);
    ASSERT_EQ(health.source, HealthSource::AtaSmart);
    ASSERT_EQ(health.ata.attributes.size(), oracle.size());
    ASSERT_EQ(oracle.size(), 19u);
    for (const AtaAttribute& attribute : health.ata.attributes) {
        SCOPED_TRACE(attributeTitle(attribute));
        ASSERT_EQ(oracle.count(attribute.id), 1u);
        const SkdumpRow& row = oracle.at(attribute.id);
        EXPECT_EQ(attribute.current, row.value);
        EXPECT_EQ(attribute.worst, row.worst);
        EXPECT_EQ(attribute.threshold, row.threshold);
        EXPECT_EQ(attribute.raw, row.raw);
        EXPECT_EQ(attribute.preFailure, row.preFailure);
        EXPECT_FALSE(attribute.failingNow);
        EXPECT_FALSE(attribute.failedInPast);
    }
    // skdump: "Powered On: 1.9 days", "Bad Sectors: 0 sectors", no temperature.
    EXPECT_EQ(health.ata.powerOnHours, 45u);
    EXPECT_EQ(health.ata.reallocatedSectors, 0u);
    EXPECT_EQ(health.ata.reportedUncorrectableErrors, 0u);
    EXPECT_FALSE(health.ata.pendingSectors.has_value()) << "this drive has no attribute 197";
    EXPECT_FALSE(health.ata.temperatureCelsius.has_value());
    EXPECT_FALSE(isHealthCritical(health));
}

// The real drive remaps 8 sectors, a person accepts them, then it remaps 4 more: judged new,
// accepted, then grown, with the sample the history keeps of each.
TEST(RealDrives, AtaSsdWhoseReallocatedCountGrowsAfterItWasAccepted) {
    DriveRecord record;
    record.present = record.probed = record.identityValid = record.predictQueried = record.predictOk = true;
    const DriveKey key{"INTEL SSDSA2CW120G3", "CVPR109301UZ120LGN"};
    const DriveHealth eight = realAtaHealthWithRaw(5, 8);
    const HealthSample first = healthSample(eight, 1'796'000'000, SampleStatus::Caution);
    EXPECT_EQ(first.counts[0], 8u);
    EXPECT_EQ(first.counts[3], 0u) << "187 reads 0";
    EXPECT_FALSE(first.counts[1].has_value()) << "no attribute 197";
    EXPECT_EQ(first.powerOnHours, 45u);
    EXPECT_EQ(judgeDrive(record, eight).reasons, std::vector<std::string>{"reallocated sectors: 8"});
    // Read through a USB bridge, the same table gives the same sample and verdict.
    DriveHealth bridged = eight;
    bridged.source = HealthSource::SatSmart;
    EXPECT_EQ(healthSample(bridged, 1'796'000'000, SampleStatus::Caution).counts, first.counts);
    EXPECT_EQ(judgeDrive(record, bridged).reasons, std::vector<std::string>{"reallocated sectors: 8"});

    History history;
    recordSample(history, key, first);
    acceptCurrentHealth(history, key, first, 1'796'000'060);
    const Acceptance& accepted = findDrive(history, key)->acceptance;
    EXPECT_EQ(judgeDrive(record, eight, accepted).status, DriveStatus::Ok);

    const DriveHealth twelve = realAtaHealthWithRaw(5, 12);
    const DriveVerdict grown = judgeDrive(record, twelve, accepted);
    EXPECT_EQ(grown.status, DriveStatus::Caution);
    EXPECT_EQ(grown.reasons, std::vector<std::string>{"reallocated sectors: 12, 8 accepted"});
    // A raw value whose upper bytes hold other data is no count: nothing to judge or grow.
    EXPECT_EQ(judgeDrive(record, realAtaHealthWithRaw(5, 0x0100'0000'000C), accepted).status, DriveStatus::Ok);
}

// skdump's line "Serial: [CVPR109301UZ120LGN]", inside its brackets.
std::string skdumpSerial(const std::string& blob) {
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("skdump --load='" + blob + "' 2>&1").c_str(), "r"), pclose);
    EXPECT_TRUE(pipe) << "skdump (package libatasmart-bin) is needed";
    char line[512];
    while (pipe && std::fgets(line, sizeof line, pipe.get()) != nullptr) {
        const std::string text = line;
        if (text.starts_with("Serial: [")) return text.substr(9, text.rfind(']') - 9);
    }
    return {};
}

// The IDENTIFY data's serial number (words 10 to 19, the first character of each word in its
// high byte), as Windows 7 and later put it into the device descriptor and as older versions
// did in hexadecimal pairs, reaches the drive record as skdump reads it.
TEST(RealDrives, AtaSerialReadsAsSkdumpReadsItInEitherDescriptorForm) {
    std::map<std::string, Bytes> sections = blobSections(fileBytes(ataBlob));
    const Bytes& identify = sections["IDFY"];
    ASSERT_EQ(identify.size(), 512u);
    std::string text, hex;
    for (std::size_t at = 20; at < 40; at += 2)
        text += {static_cast<char>(identify[at + 1]), static_cast<char>(identify[at])};
    for (const char c : text) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
        hex += pair;
    }
    const std::string oracle = skdumpSerial(ataBlob);
    ASSERT_EQ(oracle.size(), 18u);
    for (const std::string& descriptorSerial : {text, hex}) {
        testing::FakeDevicePort port;
        port.devices[devicePath(0)] = {{device::ioctlStorageQueryProperty,
                                        {0, testing::descriptorReply({"", "INTEL SSDSA2CW120G3", descriptorSerial})}}};
        DriveTable table;
        probeAllDrives(table, port);
        EXPECT_EQ(table[0].serial, oracle) << descriptorSerial;
    }
}

// nvme-cli's JSON keys and values, as published with the page.
std::map<std::string, std::string> nvmeCliDecoding() {
    std::map<std::string, std::string> values;
    std::ifstream file(realDrives() + "/nvme/real_ssd_health_log.nvme-cli.txt");
    EXPECT_TRUE(file);
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t blank = line.find(' ');
        values[line.substr(0, blank)] = line.substr(blank + 1);
    }
    return values;
}

TEST(RealDrives, NvmeHealthLogReadsAsNvmeCliReadsIt) {
    const Bytes reply = testing::realNvmeHealthReply();
    const DriveHealth health = nvmeHealth(reply.data(), reply.size());
    ASSERT_EQ(health.source, HealthSource::NvmeLog);
    const NvmeHealth& log = health.nvme;

    std::map<std::string, std::string> oracle = nvmeCliDecoding();
    const std::map<std::string, std::string> read = {
        {"critical_warning", std::to_string(log.criticalWarning)},
        {"temperature", std::to_string(log.compositeKelvin)},
        {"avail_spare", std::to_string(log.availableSpare)},
        {"spare_thresh", std::to_string(log.availableSpareThreshold)},
        {"percent_used", std::to_string(log.percentageUsed)},
        {"data_units_read", decimalText(log.dataUnitsRead)},
        {"data_units_written", decimalText(log.dataUnitsWritten)},
        {"power_cycles", decimalText(log.powerCycles)},
        {"power_on_hours", decimalText(log.powerOnHours)},
        {"unsafe_shutdowns", decimalText(log.unsafeShutdowns)},
        {"media_errors", decimalText(log.mediaErrors)},
        {"num_err_log_entries", decimalText(log.errorLogEntries)},
    };
    for (const auto& [key, value] : read) EXPECT_EQ(value, oracle[key]) << key;
    EXPECT_EQ(log.compositeCelsius, 41);
    EXPECT_FALSE(isHealthCritical(health));
}

}  // namespace
}  // namespace kestrine
