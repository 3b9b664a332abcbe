#include "report/report_model.h"

#include <algorithm>
#include <vector>

#include "probe/drive_probe.h"
#include "probe/drive_texts.h"
#include "report/text_encoding.h"
#include "volumes/volume_scan.h"
#include "volumes/volume_table.h"

namespace kestrine {

namespace {

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

DriveEntry entryOf(const DriveRecord& record, const DriveHealth& health, const SystemMessages& messages) {
    DriveEntry entry;
    entry.record = record;
    entry.identity = identityOf(record);
    // Like the window, no format shows an identity block that is not current.
    if (entry.identity != IdentityState::Read) entry.record = blankIdentity(record);
    if (entry.identity == IdentityState::CannotRead)
        entry.cannotReadText = identityErrorText(record.identityError, messages);
    entry.spf = spfState(record);
    entry.smart = smartState(record, health);
    entry.failurePredicted = indicatorLevel(record, health) == IndicatorLevel::FailurePredicted;
    entry.health = health;
    entry.healthCritical = isHealthCritical(health);
    entry.verdict = judgeDrive(record, health, VerdictScope::AllHealth);
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
    for (std::size_t number = 0; number < input.drives.size(); ++number)
        if (isListed(input.drives[number]))
            report.drives.push_back(entryOf(input.drives[number], input.health[number], messages));
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
    const auto smartRefused = [](const DriveEntry& drive) { return drive.record.versionError == errorAccessDenied; };
    report.smartReadRefused = std::any_of(report.drives.begin(), report.drives.end(), smartRefused);
    if (report.smartReadRefused) report.notes.push_back(smartNeedsAdministratorText);
    for (const VolumeRow& volume : report.volumes)
        if (volume.outOfRangePercent) addRunProblem(report, outOfRangeProblem(volume));
    return report;
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
    switch (status) {
        case OverallStatus::Ok: return "ok";
        case OverallStatus::Warning: return "warning";
        case OverallStatus::Critical: return "critical";
        case OverallStatus::Unknown: break;
    }
    return "unknown";
}

const char* statusWord(OverallStatus status) {
    switch (status) {
        case OverallStatus::Ok: return "OK";
        case OverallStatus::Warning: return "WARNING";
        case OverallStatus::Critical: return "CRITICAL";
        case OverallStatus::Unknown: break;
    }
    return "UNKNOWN";
}

const char* driveStatusIdentifier(DriveStatus status) {
    switch (status) {
        case DriveStatus::Caution: return "caution";
        case DriveStatus::Failing: return "failing";
        case DriveStatus::Ok: break;
    }
    return "ok";
}

const char* thresholdSourceIdentifier(ThresholdSource source) {
    switch (source) {
        case ThresholdSource::DefaultsFileMissing: return "defaults_file_missing";
        case ThresholdSource::DefaultsFileInvalid: return "defaults_file_invalid";
        case ThresholdSource::NotRead: return "not_read";
        case ThresholdSource::SettingsFile: break;
    }
    return "settings_file";
}

const char* identityIdentifier(IdentityState identity) {
    switch (identity) {
        case IdentityState::Read: return "read";
        case IdentityState::CannotRead: return "cannot_read";
        case IdentityState::NotRead: break;
    }
    return "not_read";
}

const char* spfIdentifier(SpfState state) {
    switch (state) {
        case SpfState::Ok: return "ok";
        case SpfState::FailurePredicted: return "failure_predicted";
        case SpfState::NoData: break;
    }
    return "no_data";
}

const char* smartIdentifier(SmartState state) {
    switch (state) {
        case SmartState::QueryFailed: return "query_failed";
        case SmartState::Ok: return "ok";
        case SmartState::FailurePredicted: return "failure_predicted";
        case SmartState::NoData: break;
    }
    return "no_data";
}

const char* thresholdSourceText(ThresholdSource source) {
    switch (source) {
        case ThresholdSource::DefaultsFileMissing: return "defaults (no settings file)";
        case ThresholdSource::DefaultsFileInvalid: return "defaults (the settings file is not valid)";
        case ThresholdSource::NotRead: return "not read";
        case ThresholdSource::SettingsFile: break;
    }
    return "settings file";
}

}  // namespace kestrine
