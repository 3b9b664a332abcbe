#include "report/report_run.h"

#include <optional>

#include "history/history_store.h"
#include "history/utc_time.h"
#include "probe/drive_texts.h"
#include "probe/health_probe.h"
#include "probe/saved_replies.h"
#include "refresh/history_place.h"
#include "refresh/refresh.h"
#include "report/report_arguments.h"
#include "report/report_json.h"
#include "report/report_nagios.h"
#include "report/report_prometheus.h"
#include "report/report_text.h"
#include "settings/settings_store.h"

namespace kestrine {

namespace {

constexpr const char* programName = "kestrine-report";

std::string written(const Report& report, ReportFormat format, bool details, const AnsiConverter& converter) {
    switch (format) {
        case ReportFormat::Json: return writeJsonReport(report, converter);
        case ReportFormat::Nagios: return writeNagiosReport(report, converter);
        case ReportFormat::Text: break;
    }
    return writeTextReport(report, details, converter);
}

// A run that stops before it probes anything: the problem in the format asked for on standard
// output, and on standard error with what follows it (the usage after bad arguments).
ReportOutcome refused(ReportFormat format, const std::string& problem, const std::string& after,
                      const ReportPorts& ports, const std::string& programVersion, const std::string& utcTime) {
    return {written(refusedReport(problem, programVersion, utcTime), format, false, ports.converter),
            std::string(programName) + ": " + problem + '\n' + after, badArgumentsExitCode};
}

// Where this run records, or why it records nothing.
struct ReportHistory {
    std::optional<HistoryRecording> recording;
    std::string problem;
};

ReportHistory reportHistory(const ReportOptions& options, ReportPorts& ports, const std::string& utcTime) {
    const bool records = options.replayFolder.empty() || !options.historyFile.empty();
    if (!records) return {};
    const std::optional<UtcSeconds> now = parseUtcTime(utcTime);
    if (!now) return {std::nullopt, "the health history was not recorded: the time '" + utcTime + "' is unreadable"};
    HistoryPlace place{options.historyFile, options.historyFile + ".lock", {}};
    if (place.path.empty()) place = historyBesideSettings(ports.historyFiles, ports.settingsFolder, ports.elevated);
    if (!place.problem.empty()) return {std::nullopt, "the health history was not recorded: " + place.problem};
    return {HistoryRecording{ports.historyFiles, ports.historyLock, ports.pause, place.path, place.lockPath, *now,
                             options.accept, options.acceptDrive},
            {}};
}

// What became of the history, told once as problems of the run.
void addHistoryProblems(Report& report, const HistoryRecording& recording, const HistoryOutcome& outcome,
                        const SystemMessages& messages) {
    const std::string name = "the health history " + fileNameOf(recording.path);
    if (const std::optional<SetAsideFile>& aside = outcome.setAside) {
        addRunProblem(report, name + ' ' + setAsideWhat(*aside) + " and set aside as " + fileNameOf(aside->path) +
                                  "; recording started again");
    }
    if (outcome.status != HistoryUpdateStatus::Written)
        addRunProblem(report, name + " was not recorded: " + notRecordedWhy(outcome, messages));
    else if (outcome.acceptAsked && !outcome.accepted)
        addRunProblem(report, recording.accept == AcceptScope::OneDrive
                                  ? "nothing was accepted: the health of disk " +
                                        std::to_string(recording.acceptDrive) + " was not read"
                                  : "nothing was accepted: no drive's health was read");
}

}  // namespace

std::vector<VolumeRow> volumeRows(const VolumeScanResult& scan, const VolumeTable& table,
                                  const SettingsRecord& thresholds) {
    std::vector<VolumeRow> rows;
    for (const VolumeVerdict& verdict : scan.verdicts) {
        if (!verdict.present) continue;
        const VolumeEntry& entry = table[verdict.slot];
        const std::uint32_t stored = storedWarningPercent(thresholds, verdict.slot);
        rows.push_back({verdict.slot, verdict.label, entry.totalBytes, entry.freeBytes, entry.percentFree,
                        verdict.warningPercent, thresholds.useDefault[verdict.slot] != 0, verdict.inWarning,
                        stored != verdict.warningPercent ? std::optional(stored) : std::nullopt});
    }
    return rows;
}

Thresholds readThresholds(FileReader& files, const std::string& settingsFolder) {
    Thresholds thresholds{defaultSettings(), ThresholdSource::SettingsFile};
    switch (readSettingsFile(files, settingsFolder, thresholds.record)) {
        case SettingsLoad::Missing: thresholds.source = ThresholdSource::DefaultsFileMissing; break;
        case SettingsLoad::Unreadable: thresholds.source = ThresholdSource::DefaultsFileUnreadable; break;
        case SettingsLoad::Rejected: thresholds.source = ThresholdSource::DefaultsFileInvalid; break;
        case SettingsLoad::Loaded: break;
    }
    return thresholds;
}

ReportOutcome runReport(const std::vector<std::string>& arguments, ReportPorts& ports,
                        const std::string& programVersion, const std::string& utcTime) {
    const ParsedArguments parsed = parseReportArguments(arguments);
    if (!parsed.ok)
        return refused(chosenFormat(arguments), parsed.error, reportUsage(), ports, programVersion, utcTime);
    const ReportOptions& options = parsed.options;
    const auto refusedFolder = [&](const std::string& problem) {
        return refused(options.format, problem, "", ports, programVersion, utcTime);
    };
    if (options.help) return {reportHelp(), "", 0};
    if (options.version) return {std::string(programName) + ' ' + programVersion + '\n', "", 0};

    std::optional<ReplayDevicePort> replay;
    std::optional<RecordingDevicePort> recorder;
    DevicePort* devices = &ports.devices;
    if (!options.replayFolder.empty()) {
        // A file, a zip or a folder without a drive's folder would report no drive at all.
        if (!holdsSavedDrive(ports.replyFiles, options.replayFolder))
            return refusedFolder("no saved replies in " + options.replayFolder);
        devices = &replay.emplace(ports.replyFiles, options.replayFolder);
    }
    if (!options.saveRepliesFolder.empty()) {
        if (ports.replyFiles.exists(folderPath(options.saveRepliesFolder)))
            return refusedFolder("'" + options.saveRepliesFolder +
                                 "' exists already; name a new folder for the replies");
        devices = &recorder.emplace(ports.devices, ports.replyFiles, options.saveRepliesFolder);
    }

    const Thresholds thresholds = readThresholds(ports.settingsFiles, ports.settingsFolder);
    const ReportHistory history = reportHistory(options, ports, utcTime);
    Refresh refresh(*devices, ports.volumes, judgeWithHistory);
    Report report;
    refresh.run(
        thresholds.record,
        [&](const RefreshResult& result) {
            report = buildReport({result, volumeRows(result.volumeScan, result.volumes, thresholds.record),
                                  thresholds.source, programVersion, utcTime},
                                 ports.messages);
            if (!result.volumeScan.answered) addRunProblem(report, "the system listed no drive letters");
            if (result.history) addHistoryProblems(report, *history.recording, *result.history, ports.messages);
        },
        history.recording ? &*history.recording : nullptr);
    if (!history.problem.empty()) addRunProblem(report, history.problem);

    ReportOutcome outcome;
    if (recorder && !recorder->complete()) {
        outcome.errors =
            std::string(programName) + ": cannot save the replies into '" + options.saveRepliesFolder + "'\n";
        addRunProblem(report, "the drives' replies could not be saved");
    }
    if (!options.prometheusFile.empty()) {
        const std::string metrics = writePrometheusMetrics(report, ports.converter);
        if (!ports.metricsFiles.replace(options.prometheusFile, reinterpret_cast<const std::uint8_t*>(metrics.data()),
                                        metrics.size())) {
            const std::string why = systemErrorText(ports.metricsFiles.replaceError(), ports.messages);
            outcome.errors += std::string(programName) + ": cannot write the metrics file '" + options.prometheusFile +
                              "': " + why + '\n';
            addRunProblem(report, "the metrics file could not be written: " + why);
        }
    }
    outcome.output = written(report, options.format, options.details, ports.converter);
    outcome.exitCode = exitCode(report.status);
    return outcome;
}

}  // namespace kestrine
