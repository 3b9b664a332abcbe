#pragma once
// Drive tables and volume rows for the report's writers: the cases a monitoring system must
// tell apart, shared by the native tests and the sample outputs the format validators check.
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fake_device_port.h"
#include "fakes/fake_file_store.h"
#include "fakes/fake_volume_source.h"
#include "fakes/health_replies.h"
#include "probe/drive_probe.h"
#include "probe/drive_texts.h"
#include "probe/health_probe.h"
#include "report/report_model.h"
#include "report/report_run.h"
#include "report/text_encoding.h"

namespace kestrine::testing {

// Code page 1252 as far as the tests need it: 0x80 is the euro sign, 0x81 is refused (as
// with MB_ERR_INVALID_CHARS), every other byte XX is U+00XX.
class FakeCodePage : public AnsiConverter {
public:
    bool toUtf8(std::string_view ansi, std::string& utf8) const override {
        utf8.clear();
        for (const char c : ansi) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte == 0x81) return false;
            if (byte == 0x80) {
                utf8 += "\xE2\x82\xAC";
            } else if (byte < 0x80) {
                utf8.push_back(c);
            } else {
                utf8.push_back(static_cast<char>(0xC0 | byte >> 6));
                utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
            }
        }
        return true;
    }
};

// The system's texts for the error codes the scenarios use, line break included.
class ScenarioMessages : public SystemMessages {
public:
    std::map<std::uint32_t, std::string> texts{{5, "Access is denied.\r\n"}};
    bool lookup(std::uint32_t code, std::string& text) const override {
        const auto found = texts.find(code);
        if (found == texts.end()) return false;
        text = found->second;
        return true;
    }
};

inline constexpr std::uint32_t accessDenied = 5;
inline constexpr std::uint32_t invalidFunction = 1;

// A drive whose every request succeeded and predicts nothing.
inline DriveRecord healthyDrive(int number, std::string vendor, std::string product, std::string serial,
                                std::uint32_t busType = 11, std::string busText = "SATA", bool removable = false) {
    DriveRecord r;
    r.present = r.probed = r.identityValid = true;
    r.driveNumber = number;
    r.smartCapable = true;
    r.predictQueried = r.predictOk = true;
    r.removable = removable;
    r.displayName = composeDisplayName(vendor, product);
    r.vendor = std::move(vendor);
    r.product = std::move(product);
    r.serial = std::move(serial);
    r.busType = busType;
    r.busTypeText = std::move(busText);
    return r;
}

// A drive the open refused from its first probe on, as for a standard user.
inline DriveRecord accessDeniedDrive(int number) {
    DriveRecord r;
    r.present = r.probed = true;
    r.driveNumber = number;
    return r;
}

// Health as the reads give it, from replies built in the published layouts.
inline TemperatureReading temperatureProperty(std::int16_t celsius) {
    const std::vector<std::uint8_t> reply = temperatureReply(celsius, 70, 80);
    return temperatureReading(reply.data(), reply.size());
}

// An ATA drive with these attribute rows and a temperature property of `celsius`.
inline DriveHealth ataDriveHealth(const std::vector<AttributeRow>& rows, std::int16_t celsius) {
    const std::vector<std::uint8_t> data = smartDataReply(rows);
    const std::vector<std::uint8_t> thresholds = smartThresholdsReply(rows);
    DriveHealth health = ataHealth(data.data(), data.size());
    applyAtaThresholds(health, thresholds.data(), thresholds.size());
    health.temperature = temperatureProperty(celsius);
    return health;
}

inline DriveHealth nvmeDriveHealth(const NvmeHealth& log) {
    const std::vector<std::uint8_t> reply = nvmeHealthReply(log);
    DriveHealth health = nvmeHealth(reply.data(), reply.size());
    health.temperature.unavailableReason = requestFailedReason(50);
    return health;
}

// A drive none of whose health requests could be used.
inline DriveHealth noDriveHealth(std::string reason) {
    DriveHealth health = unavailableHealth(std::move(reason));
    health.temperature.unavailableReason = requestFailedReason(50);
    return health;
}

// A drive on the USB bus, read as the report reads it: with `rows`, an ATA drive behind a
// bridge that passes every command on; without, nothing behind the bridge answers.
inline DriveHealth bridgedDriveHealth(const DriveRecord& record, const std::vector<AttributeRow>& rows,
                                      bool thresholdExceeded) {
    FakeDevicePort port;
    port.devices[devicePath(record.driveNumber)];
    if (!rows.empty())
        port.bridges[devicePath(record.driveNumber)] = passingBridge(
            identifySector("WDC WD20SPZX-22UA7T0", "WD-WX22A1234567"), smartSectorOf(smartDataReply(rows)),
            smartSectorOf(smartThresholdsReply(rows)), thresholdExceeded);
    return probeHealth(record, port);
}

inline constexpr std::uint16_t preFailure = 0x0033;
inline constexpr std::uint16_t advisory = 0x0032;

// A SATA SSD in good health: nothing reallocated, 33 C, 8000 hours.
inline const std::vector<AttributeRow> healthySsdRows = {
    {5, preFailure, 100, 100, 0, 10}, {9, advisory, 99, 99, 8000, 0},
    {12, advisory, 99, 99, 431, 0},   {177, preFailure, 98, 98, 12, 5},
    {194, advisory, 67, 52, 33, 0},   {197, advisory, 100, 100, 0, 0},
    {198, advisory, 100, 100, 0, 0},  {241, advisory, 100, 100, 0xFFFF'FFFF'FFFF, 0},
};

// What a refresh hands the report: these drives and their health, judged as the report's
// refresh judges, against what was accepted of each drive's health.
inline RefreshResult judgedRefresh(const DriveTable& drives, const HealthTable& health,
                                   const DriveAcceptances& accepted = {}) {
    RefreshResult result;
    result.drives = drives;
    result.health = health;
    result.verdicts = judgeDrives(drives, health, &accepted);
    for (int number = 0; number < driveTableSize; ++number)
        result.cautions[number] = judgeCautions(health[number], accepted[number]);
    return result;
}

inline VolumeRow volumeRow(int slot, std::string label, std::int64_t total, std::int64_t free,
                           std::uint32_t warningPercent, bool usesDefault) {
    const double percent = static_cast<double>(free) / static_cast<double>(total) * 100.0;
    return {slot,        std::move(label), total,       free,
            percent,     warningPercent,   usesDefault, percent < static_cast<double>(warningPercent),
            std::nullopt};
}

struct ReportScenario {
    std::string name;
    DriveTable drives;
    std::vector<VolumeRow> volumes;
    ThresholdSource thresholds = ThresholdSource::SettingsFile;
    std::string runProblem;  // not empty: a problem of the run, added to the report
    HealthTable health{};
    DriveAcceptances accepted{};  // what the history holds as accepted
    std::array<std::optional<HistorySummary>, driveTableSize> histories{};

    Report report() const {
        ScenarioMessages messages;
        RefreshResult refresh = judgedRefresh(drives, health, accepted);
        refresh.histories = histories;
        Report made = buildReport({refresh, volumes, thresholds, "1.0", "2026-12-07T15:24:30Z"}, messages);
        if (!runProblem.empty()) addRunProblem(made, runProblem);
        return made;
    }
};

// Disk 0 a SATA SSD in good health, disk 1 a USB stick without SMART; C: and D: well above
// their limits.
inline ReportScenario healthyScenario(std::string name = "healthy") {
    ReportScenario s{std::move(name), {}, {}, ThresholdSource::SettingsFile, {}};
    s.drives[0] = healthyDrive(0, "ACME", "X100", "S1234");
    s.health[0] = ataDriveHealth(healthySsdRows, 35);
    s.drives[1] = healthyDrive(1, "Stick", "Go 8", "", 7, "USB", true);
    s.drives[1].smartCapable = false;
    s.drives[1].versionError = invalidFunction;
    s.health[1] =
        noDriveHealth("SMART READ DATA through SCSI pass-through: the driver refused the request with error 1");
    s.volumes = {volumeRow(2, "System", 100'000'000'000, 45'300'000'000, 10, true),
                 volumeRow(3, "Data", 2'000'000'000'000, 1'200'000'000'000, 20, false)};
    return s;
}

// C: 45.3 % free and D: 9.5 % free, judged by the warning percents of a settings file of
// these bytes, read as the report reads it.
inline ReportScenario settingsFileScenario(std::string name, const std::vector<std::uint8_t>& file) {
    ReportScenario s = healthyScenario(std::move(name));
    FakeFileStore files;
    files.folders = {"C:\\ProgramData", "C:\\ProgramData\\VTN", "C:\\ProgramData\\VTN\\KSTM"};
    files.files["C:\\ProgramData\\VTN\\KSTM\\KSTMC.dat"] = file;
    const Thresholds thresholds = readThresholds(files, "C:\\ProgramData");
    FakeVolumeSource volumes;
    volumes.add('C', 100'000'000'000, 45'300'000'000, "System");
    volumes.add('D', 2'000'000'000'000, 190'000'000'000, "Data");
    VolumeTable table{};
    s.volumes = volumeRows(scanVolumes(volumes, thresholds.record, table), table, thresholds.record);
    s.thresholds = thresholds.source;
    return s;
}

// Settings files however damaged: percents out of range, random bytes behind version 3 or
// without it, too short.
inline std::vector<ReportScenario> damagedSettingsScenarios() {
    SettingsRecord zero = defaultSettings();
    zero.defaultWarningPercent = 0;
    SettingsRecord highest = defaultSettings();
    highest.useDefault[3] = 0;
    highest.warningPercent[3] = 4294967295u;
    std::mt19937 random(26);
    std::vector<std::uint8_t> noise(settingsRecordSize);
    for (std::uint8_t& byte : noise) byte = static_cast<std::uint8_t>(random());
    std::vector<std::uint8_t> version3 = noise;
    version3[0] = 3;
    version3[1] = version3[2] = version3[3] = 0;
    return {settingsFileScenario("settings_default_percent_0", bytesOf(zero)),
            settingsFileScenario("settings_own_percent_4294967295", bytesOf(highest)),
            settingsFileScenario("settings_random_bytes_of_version_3", version3),
            settingsFileScenario("settings_random_bytes", noise),
            settingsFileScenario("settings_short", std::vector<std::uint8_t>(noise.begin(), noise.begin() + 100))};
}

inline std::vector<ReportScenario> reportScenarios() {
    std::vector<ReportScenario> all{healthyScenario()};

    ReportScenario low = healthyScenario("volume_below_limit");
    low.volumes[1] = volumeRow(3, "Data", 2'000'000'000'000, 100'000'000'000, 20, false);
    all.push_back(low);

    ReportScenario spf = healthyScenario("spf_failure");
    spf.drives[1].predictOk = false;
    spf.volumes = low.volumes;
    all.push_back(spf);

    ReportScenario smart = healthyScenario("smart_failure");
    smart.drives[0].thresholdExceeded = true;
    all.push_back(smart);

    ReportScenario unreadable = healthyScenario("identity_unreadable");
    unreadable.drives[2] = healthyDrive(2, "OLD", "Stale 1", "STALE");
    unreadable.drives[2].identityError = accessDenied;
    unreadable.drives[2].statusError = invalidFunction;
    unreadable.drives[3] = accessDeniedDrive(3);
    unreadable.health[2] = noDriveHealth("the drive's identity could not be read, so its kind is unknown");
    unreadable.health[3] = noDriveHealth("the drive could not be opened (error 5)");
    all.push_back(unreadable);

    ReportScenario missing = healthyScenario("defaults_file_missing");
    missing.thresholds = ThresholdSource::DefaultsFileMissing;
    all.push_back(missing);

    ReportScenario invalid = healthyScenario("defaults_file_invalid");
    invalid.thresholds = ThresholdSource::DefaultsFileInvalid;
    all.push_back(invalid);

    // Descriptor and label bytes that break naive writers; 0x81 makes the code page refuse, and
    // is no UTF-8 in a volume label either.
    ReportScenario hostile = healthyScenario("hostile_strings");
    hostile.drives[0] = healthyDrive(0, "A\"C\\ME", "X1\n00\t\x01\x1f\x7f", "S\x80\xe9", 11, "SATA");
    hostile.drives[1] = healthyDrive(1, "\x81\xff", "'quoted' } {", "\\n\"", 7, "USB", true);
    hostile.volumes[0].label = "Sys\"tem\\\n|\x81";
    hostile.volumes[1].label = "Caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9";  // UTF-8, as the wide calls give it: "Café € Ω"
    all.push_back(hostile);

    // Reallocated sectors at their threshold, and a second failing attribute without a name.
    ReportScenario failing = healthyScenario("ata_failing_now");
    failing.health[0] = ataDriveHealth({{1, preFailure, 200, 200, 0, 51},
                                        {5, preFailure, 36, 36, 1864, 36},
                                        {9, advisory, 60, 60, 41000, 0},
                                        {197, advisory, 200, 200, 12, 0},
                                        {230, preFailure, 1, 1, 0, 2}},
                                       41);
    all.push_back(failing);

    // Raw values that are not the quantities they usually count: counts with upper bytes set,
    // 63 years of power-on hours, 0 C in both temperature attributes.
    ReportScenario rawUnknown = healthyScenario("ata_raw_values_unknown");
    rawUnknown.health[0] = ataDriveHealth({{5, preFailure, 100, 100, 0x07D0'0000'0000, 10},
                                           {9, advisory, 100, 100, 557429, 0},
                                           {187, advisory, 100, 100, 0x0001'0000'0005, 0},
                                           {190, advisory, 100, 100, 0, 0},
                                           {194, advisory, 100, 100, 0, 0},
                                           {197, advisory, 100, 100, 0x6D4C'0000'0002, 0},
                                           {198, advisory, 100, 100, 0, 0}},
                                          36);
    all.push_back(rawUnknown);

    // Early signs only: sectors reallocated and pending, an attribute that failed once.
    ReportScenario caution = healthyScenario("ata_caution");
    caution.health[0] = ataDriveHealth({{5, preFailure, 98, 98, 8, 10},
                                        {187, advisory, 100, 100, 0, 0},
                                        {197, advisory, 100, 100, 2, 0},
                                        {233, preFailure, 90, 3, 0, 5}},
                                       35);
    all.push_back(caution);

    // The same early signs remembered: 8 reallocated sectors accepted, pending sectors grown from
    // 1 accepted, 3 reported uncorrectable errors new, the past failure of 233 accepted; and an
    // NVMe drive whose 4 media errors were accepted at 2.
    ReportScenario remembered = healthyScenario("ata_caution_remembered");
    remembered.health[0] = ataDriveHealth({{5, preFailure, 98, 98, 8, 10},
                                           {187, advisory, 100, 100, 3, 0},
                                           {197, advisory, 100, 100, 2, 0},
                                           {233, preFailure, 90, 3, 0, 5}},
                                          35);
    constexpr UtcSeconds acceptedAt = 1'796'000'000;  // 2026-11-30T00:53:20Z
    Acceptance& disk0 = remembered.accepted[0];
    disk0.lastAccepted = acceptedAt;
    disk0.counts[static_cast<std::size_t>(CautionCount::ReallocatedSectors)] = CountAcceptance{8, acceptedAt, 8};
    disk0.counts[static_cast<std::size_t>(CautionCount::PendingSectors)] = CountAcceptance{1, acceptedAt, 1};
    disk0.pastFailures = {233};
    remembered.histories[0] = HistorySummary{1'795'000'000, 170, acceptedAt};
    remembered.drives[2] = healthyDrive(2, "NVMe", "Fast 2TB", "N42", 17, "NVMe");
    remembered.drives[2].smartCapable = false;
    remembered.drives[2].versionError = invalidFunction;
    NvmeHealth mediaErrors;
    mediaErrors.availableSpare = 100;
    mediaErrors.availableSpareThreshold = 10;
    mediaErrors.mediaErrors = {4, 0};
    remembered.health[2] = nvmeDriveHealth(mediaErrors);
    remembered.accepted[2].lastAccepted = acceptedAt - 86'400;
    remembered.accepted[2].counts[static_cast<std::size_t>(CautionCount::MediaErrors)] =
        CountAcceptance{2, acceptedAt - 86'400, 2};
    remembered.histories[2] = HistorySummary{1'795'500'000, 12, acceptedAt - 86'400};
    all.push_back(remembered);

    ReportScenario nvme = healthyScenario("nvme_critical_warning");
    nvme.drives[2] = healthyDrive(2, "NVMe", "Fast 2TB", "N42", 17, "NVMe");
    nvme.drives[2].smartCapable = false;
    nvme.drives[2].versionError = invalidFunction;
    nvme.health[2] = nvmeDriveHealth(spareBelowThresholdLog());
    all.push_back(nvme);

    // A backup drive behind a USB bridge whose SMART RETURN STATUS says the threshold is
    // exceeded, and an NVMe drive in a USB enclosure, which is not read.
    ReportScenario bridged = healthyScenario("usb_bridge");
    bridged.drives[2] = healthyDrive(2, "WD", "My Passport 25E2", "", 7, "USB", true);
    bridged.drives[3] = healthyDrive(3, "Realtek", "RTL9210 NVME", "", 7, "USB", true);
    for (const int number : {2, 3}) {
        bridged.drives[number].smartCapable = false;
        bridged.drives[number].versionError = invalidFunction;
    }
    bridged.health[2] = bridgedDriveHealth(
        bridged.drives[2],
        {{5, preFailure, 100, 100, 3, 10}, {9, advisory, 98, 98, 1234, 0}, {194, advisory, 64, 50, 36, 0}}, true);
    bridged.health[3] = bridgedDriveHealth(bridged.drives[3], {}, false);
    all.push_back(bridged);

    // A standard user: the SMART reads refused, the temperature property still answered.
    ReportScenario standardUser = healthyScenario("health_unavailable");
    standardUser.health[0] =
        unavailableHealth("reading SMART data needs administrator rights (the request was refused with error 5)");
    standardUser.health[0].temperature = temperatureProperty(38);
    all.push_back(standardUser);

    all.push_back({"nothing_listed", {}, {}, ThresholdSource::SettingsFile, {}});

    // Values no drive can have: 126 C in attribute 194, 32767 C from the temperature property,
    // 65535 K in the health log, -200 C and 32767 C as its limits.
    ReportScenario impossible = nvme;
    impossible.name = "impossible_temperatures";
    impossible.health[0] = ataDriveHealth({{194, advisory, 100, 100, 126, 0}}, 32767);
    NvmeHealth hotLog;
    hotLog.compositeKelvin = 65535;
    hotLog.availableSpare = 100;
    hotLog.availableSpareThreshold = 10;
    impossible.health[2] = nvmeDriveHealth(hotLog);
    const std::vector<std::uint8_t> property = temperatureReply(-200, 32767, -200);
    impossible.health[2].temperature = temperatureReading(property.data(), property.size());
    all.push_back(impossible);

    for (ReportScenario& damaged : damagedSettingsScenarios()) all.push_back(std::move(damaged));

    ReportScenario unknown = healthyScenario("unknown");
    unknown.runProblem = "the metrics file could not be written: Access is denied. (error 5)";
    all.push_back(unknown);
    return all;
}

}  // namespace kestrine::testing
