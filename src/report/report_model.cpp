#include "report/report_model.h"

#include <algorithm>
#include <array>
#include <vector>

#include "probe/drive_probe.h"
#include "probe/drive_texts.h"
#include "probe/enum_table.h"
#include "report/text_encoding.h"
#include "volumes/volume_scan.h"
#include "volumes/volume_table.h"

namespace kestrine {

namespace {

// An enum's identifier in the machine-read formats and its words for people.
struct Names {
    const char* identifier;
    const char* text;
};

static_assert(static_cast<int>(OverallStatus::Ok) == 0 && static_cast<int>(OverallStatus::Warning) == 1 &&
              static_cast<int>(OverallStatus::Critical) == 2 && static_cast<int>(OverallStatus::Unknown) == 3);
constexpr std::array<Names, 4> statusNames = {Names{"ok", "OK"}, Names{"warning", "WARNING"},
                                              Names{"critical", "CRITICAL"}, Names{"unknown", "UNKNOWN"}};

static_assert(static_cast<int>(ThresholdSource::SettingsFile) == 0 &&
              static_cast<int>(ThresholdSource::DefaultsFileMissing) == 1 &&
              static_cast<int>(ThresholdSource::DefaultsFileInvalid) == 2 &&
              static_cast<int>(ThresholdSource::NotRead) == 3 &&
              static_cast<int>(ThresholdSource::DefaultsFileUnreadable) == 4);
constexpr std::array<Names, 5> sourceNames = {
    Names{"settings_file", "settings file"}, Names{"defaults_file_missing", "defaults (no settings file)"},
    Names{"defaults_file_invalid", "defaults (the settings file is not valid)"}, Names{"not_read", "not read"},
    Names{"defaults_file_unreadable", "defaults (the settings file cannot be read)"}};

IdentityState identityOf(const DriveRecord& record) {
    if (record.identityError != 0) return IdentityState::CannotRead;
    return hasDetails(record) ? IdentityState::Read : IdentityState::NotRead;
}

DriveRecord blankIdentity(DriveRecord record) {
    record.removable = false;
    record.vendor.clear();
    record.product.clear();
    record.serial.clear();
    record.busType = 0;
    record.busTypeText.clear();
    record.displayName.clear();
    return record;
}

DriveEntry entryOf(const RefreshResult& refresh, std::size_t number, const SystemMessages& messages) {
    const DriveRecord& record = refresh.drives[number];
    const DriveHealth& health = refresh.health[number];
    DriveEntry entry;
    entry.record = record;
    entry.identity = identityOf(record);
    // Like the window, no format shows an identity block that is not current.
    if (entry.identity != IdentityState::Read) entry.record = blankIdentity(record);
    if (entry.identity == IdentityState::CannotRead)
        entry.cannotReadText = identityErrorText(record.identityError, messages);
    entry.spf = spfState(record);
    entry.smart = smartState(record, health);
    entry.health = health;
    entry.verdict = refresh.verdicts[number];
    entry.cautions = refresh.cautions[number];
    entry.history = refresh.histories[number];
    return entry;
}

std::string countOf(std::size_t count, const char* noun) {
    return std::to_string(count) + ' ' + noun + (count == 1 ? "" : "s");
}

// "C: warning percent 0 in the settings file is out of range 1 to 50, judged at 1 %".
std::string outOfRangeProblem(const VolumeRow& volume) {
    return volumeName(volume.slot) + " warning percent " + std::to_string(*volume.outOfRangePercent) +
           " in the settings file is out of range " + std::to_string(lowestWarningPercent) + " to " +
           std::to_string(highestWarningPercent) + ", judged at " + std::to_string(volume.warningPercent) + " %";
}

}  // namespace

Report buildReport(const ReportInput& input, const SystemMessages& messages) {
    Report report;
    report.programVersion = input.programVersion;
    report.utcTime = input.utcTime;
    report.thresholds = input.thresholds;
    const RefreshResult& refresh = input.refresh;
    for (std::size_t number = 0; number < refresh.drives.size(); ++number)
        if (isListed(refresh.drives[number])) report.drives.push_back(entryOf(refresh, number, messages));
    for (const VolumeRow& row : input.volumes)
        if (isVolumeSlot(row.slot)) report.volumes.push_back(row);

    bool critical = false;
    bool warning = false;
    for (const DriveEntry& drive : report.drives) {
        const std::string disk = "Disk " + std::to_string(drive.record.driveNumber) + ' ';
        for (const std::string& reason : drive.verdict.reasons) report.driveProblems.push_back(disk + reason);
        critical = critical || drive.verdict.status == DriveStatus::Failing;
        warning = warning || drive.verdict.status == DriveStatus::Caution;
    }
    for (const VolumeRow& volume : report.volumes) {
        if (!volume.inWarning) continue;
        warning = true;
        report.volumeProblems.push_back(volumeBelowLimitText(volume.slot, volume.percentFree, volume.warningPercent));
    }
    report.status = critical ? OverallStatus::Critical : warning ? OverallStatus::Warning : OverallStatus::Ok;
    // A standard user's SMART requests are refused: its verdict may miss what only SMART sees.
    const auto smartRefused = [](const DriveEntry& drive) {
        const bool bridgeRefused = drive.health.bridge && drive.health.bridge->accessDenied;
        return drive.record.versionError == errorAccessDenied || bridgeRefused;
    };
    report.smartReadRefused = std::any_of(report.drives.begin(), report.drives.end(), smartRefused);
    if (report.smartReadRefused) report.notes.push_back(smartNeedsAdministratorText);
    for (const VolumeRow& volume : report.volumes)
        if (volume.outOfRangePercent) addRunProblem(report, outOfRangeProblem(volume));
    return report;
}

bool failurePredicted(const DriveEntry& drive) {
    return indicatorLevel(drive.record, drive.health) == IndicatorLevel::FailurePredicted;
}

Report refusedReport(const std::string& problem, const std::string& programVersion, const std::string& utcTime) {
    Report report;
    report.programVersion = programVersion;
    report.utcTime = utcTime;
    report.thresholds = ThresholdSource::NotRead;
    addRunProblem(report, problem);
    return report;
}

std::vector<std::string> findings(const Report& report) {
    std::vector<std::string> found = report.driveProblems;
    found.insert(found.end(), report.volumeProblems.begin(), report.volumeProblems.end());
    if (found.empty() && report.thresholds != ThresholdSource::NotRead)
        found.push_back(countOf(report.drives.size(), "drive") + " and " + countOf(report.volumes.size(), "volume") +
                        " ok");
    return found;
}

std::string reasonText(const Report& report) {
    std::string reason;
    std::vector<std::string> parts = findings(report);
    parts.insert(parts.end(), report.notes.begin(), report.notes.end());
    for (const std::string& part : parts) reason += (reason.empty() ? "" : "; ") + part;
    return reason;
}

void addRunProblem(Report& report, const std::string& problem) {
    if (report.status == OverallStatus::Ok) report.status = OverallStatus::Unknown;
    report.runProblem = true;
    report.notes.push_back(problem);
}

int exitCode(OverallStatus status) { return static_cast<int>(status); }

const char* statusIdentifier(OverallStatus status) {
    return rowOf(statusNames, status, OverallStatus::Unknown).identifier;
}

const char* statusWord(OverallStatus status) { return rowOf(statusNames, status, OverallStatus::Unknown).text; }

const char* thresholdSourceIdentifier(ThresholdSource source) {
    return rowOf(sourceNames, source, ThresholdSource::SettingsFile).identifier;
}

const char* identityIdentifier(IdentityState identity) {
    switch (identity) {
        case IdentityState::Read: return "read";
        case IdentityState::CannotRead: return "cannot_read";
        case IdentityState::NotRead: break;
    }
    return "not_read";
}

const char* thresholdSourceText(ThresholdSource source) {
    return rowOf(sourceNames, source, ThresholdSource::SettingsFile).text;
}

}  // namespace kestrine
