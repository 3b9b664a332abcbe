#pragma once
// What one report says: the listed drives of a refresh with their health and the refresh's
// verdicts, the listed volumes with the verdicts the volume scan gave them, where the warning
// percents came from, and the overall status with its exit code and reason. Every writer
// reads this and nothing else; nothing here judges a drive or a volume again.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "probe/device_port.h"
#include "probe/drive_health.h"
#include "probe/drive_record.h"
#include "probe/drive_texts.h"
#include "probe/drive_verdict.h"
#include "probe/health_probe.h"
#include "probe/health_texts.h"
#include "refresh/refresh.h"
#include "volumes/volume_scan.h"

namespace kestrine {

// Exit codes as monitoring plugins use them.
enum class OverallStatus { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

enum class ThresholdSource {
    SettingsFile,            // the settings file was loaded
    DefaultsFileMissing,     // no settings file: the defaults
    DefaultsFileInvalid,     // the file was refused by the load (short, another version): the defaults
    NotRead,                 // the run stopped before it read anything: bad arguments, a refused folder
    DefaultsFileUnreadable,  // a settings file is there but could not be read (in use, access denied)
};

// read: the identity block is current; cannotRead: the last identity query failed (the
// window shows "Cannot Read - " instead); notRead: no identity query ever succeeded (the open
// failed, as for a standard user).
enum class IdentityState { Read, CannotRead, NotRead };

// One listed volume, as the scan and the volume judgement left it.
struct VolumeRow {
    int slot = 0;       // 2..25 for C: to Z:
    std::string label;  // UTF-8, as the report's volume source reads it
    std::int64_t totalBytes = 0;
    std::int64_t freeBytes = 0;
    double percentFree = 0.0;
    std::uint32_t warningPercent = 0;  // the percent in effect
    bool usesDefault = true;           // the default percent, not the volume's own
    bool inWarning = false;            // the judgement's verdict
    // The percent the settings file holds, when it lies outside the range a save accepts and
    // the volume was judged at the nearer end of it instead.
    std::optional<std::uint32_t> outOfRangePercent;
};

struct DriveEntry {
    DriveRecord record;  // a listed record as the probe left it, its identity block blank unless read
    IdentityState identity = IdentityState::NotRead;
    std::string cannotReadText;  // "Cannot Read - " and the system's text, for cannotRead
    SpfState spf = SpfState::NoData;
    SmartState smart = SmartState::NoData;
    DriveHealth health;                     // what the health reads found
    DriveVerdict verdict;                   // the refresh's
    CautionJudgement cautions;              // each caution count above 0, and the past failures, judged
    std::optional<HistorySummary> history;  // none when this run recorded none of the drive
};

// Either failure verdict of the record predicts a failure.
bool failurePredicted(const DriveEntry& drive);

struct Report {
    std::string programVersion;
    std::string utcTime;  // "2026-12-07T15:24:30Z"
    ThresholdSource thresholds = ThresholdSource::SettingsFile;
    std::vector<DriveEntry> drives;  // listed drives, by number
    std::vector<VolumeRow> volumes;  // in the caller's order
    OverallStatus status = OverallStatus::Unknown;
    // The reason's parts (reasonText joins them): each drive's problems in drive order, each
    // volume below its limit, then the notes: the standard-user note and the run's own problems.
    std::vector<std::string> driveProblems;   // "Disk 0 predicts failure"
    std::vector<std::string> volumeProblems;  // "D: 5.0 % free, below 20 %"
    std::vector<std::string> notes;
    bool smartReadRefused = false;  // a drive refused the SMART requests for want of rights
    bool runProblem = false;        // the run itself met a problem (addRunProblem)
};

struct ReportInput {
    const RefreshResult& refresh;    // its drives, health and verdicts
    std::vector<VolumeRow> volumes;  // rows whose slot is no volume slot are left out
    ThresholdSource thresholds;
    std::string programVersion;
    std::string utcTime;
};

// Added to the reason when a drive refused the SMART requests for want of rights.
inline constexpr const char* smartNeedsAdministratorText = "SMART data not read: it needs administrator rights";

// Critical when the refresh judged a listed drive failing, else warning when it judged a drive
// caution or a volume is below its limit, else ok. A volume judged at another percent than
// the settings file holds is a problem of the run (addRunProblem).
Report buildReport(const ReportInput& input, const SystemMessages& messages);

// The report of a run that stopped before it probed anything (bad arguments, a refused folder):
// unknown, no drives or volumes, warning percents not read, the problem as its reason.
Report refusedReport(const std::string& problem, const std::string& programVersion, const std::string& utcTime);

// The drives' and volumes' problems, or "2 drives and 3 volumes ok" where there are none (and
// nothing where the run was refused).
std::vector<std::string> findings(const Report& report);
// One line: the findings, then the notes, "; " apart.
std::string reasonText(const Report& report);

// A problem of the run itself (the metrics file not written, no drive letters listed): it is
// added to the reason, and makes the report unknown (exit code 3) only where the drives and
// volumes were all well. A worse verdict is never hidden by it.
void addRunProblem(Report& report, const std::string& problem);

int exitCode(OverallStatus status);

// Stable lowercase identifiers of the machine-read formats.
const char* statusIdentifier(OverallStatus status);
const char* thresholdSourceIdentifier(ThresholdSource source);
const char* identityIdentifier(IdentityState identity);

// "OK", "WARNING", "CRITICAL", "UNKNOWN".
const char* statusWord(OverallStatus status);
// Words for people: "settings file", "defaults (no settings file)", ...
const char* thresholdSourceText(ThresholdSource source);

}  // namespace kestrine
