#include "report/report_run.h"

#include <optional>

#include "probe/drive_texts.h"
#include "probe/saved_replies.h"
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

std::vector<VolumeRow> volumeRows(const VolumeScanResult& scan, const VolumeTable& table,
                                  const SettingsRecord& thresholds) {
    std::vector<VolumeRow> rows;
    for (const VolumeVerdict& verdict : scan.verdicts) {
        if (!verdict.present) continue;
        const VolumeEntry& entry = table[verdict.slot];
        rows.push_back({verdict.slot, verdict.label, entry.totalBytes, entry.freeBytes, verdict.percentFree,
                        effectiveWarningPercent(thresholds, verdict.slot), thresholds.useDefault[verdict.slot] != 0,
                        verdict.inWarning});
    }
    return rows;
}

std::string written(const Report& report, const ReportOptions& options, const AnsiConverter& converter) {
    switch (options.format) {
        case ReportFormat::Json: return writeJsonReport(report, converter);
        case ReportFormat::Nagios: return writeNagiosReport(report);
        case ReportFormat::Text: break;
    }
    return writeTextReport(report, options.details);
}

ReportOutcome refusedFolder(const std::string& problem) {
    return {"", std::string(programName) + ": " + problem + '\n', badArgumentsExitCode};
}

}  // namespace

Thresholds readThresholds(FileReader& files, const std::string& settingsFolder) {
    Thresholds thresholds{defaultSettings(), ThresholdSource::SettingsFile};
    switch (readSettingsFile(files, settingsFolder, thresholds.record)) {
        case SettingsLoad::Missing:
        case SettingsLoad::Unreadable: thresholds.source = ThresholdSource::DefaultsFileMissing; break;
        case SettingsLoad::Rejected: thresholds.source = ThresholdSource::DefaultsFileInvalid; break;
        case SettingsLoad::Loaded: break;
    }
    return thresholds;
}

ReportOutcome runReport(const std::vector<std::string>& arguments, ReportPorts& ports,
                        const std::string& programVersion, const std::string& utcTime) {
    const ParsedArguments parsed = parseReportArguments(arguments);
    if (!parsed.ok)
        return {nagiosUnknownLine(parsed.error), std::string(programName) + ": " + parsed.error + '\n' + reportUsage(),
                badArgumentsExitCode};
    const ReportOptions& options = parsed.options;
    if (options.help) return {reportHelp(), "", 0};
    if (options.version) return {std::string(programName) + ' ' + programVersion + '\n', "", 0};

    std::optional<ReplayDevicePort> replay;
    std::optional<RecordingDevicePort> recorder;
    DevicePort* devices = &ports.devices;
    if (!options.replayFolder.empty()) {
        if (!ports.replyFiles.exists(folderPath(options.replayFolder)))
            return refusedFolder("there are no saved replies in '" + options.replayFolder + "'");
        devices = &replay.emplace(ports.replyFiles, options.replayFolder);
    }
    if (!options.saveRepliesFolder.empty()) {
        if (ports.replyFiles.exists(folderPath(options.saveRepliesFolder)))
            return refusedFolder("'" + options.saveRepliesFolder +
                                 "' exists already; name a new folder for the replies");
        devices = &recorder.emplace(ports.devices, ports.replyFiles, options.saveRepliesFolder);
    }

    const Thresholds thresholds = readThresholds(ports.settingsFiles, ports.settingsFolder);
    Refresh refresh(*devices, ports.volumes, readAllHealth);
    Report report;
    refresh.run(thresholds.record, [&](const RefreshResult& result) {
        report = buildReport({result.drives, volumeRows(result.volumeScan, result.volumes, thresholds.record),
                              thresholds.source, programVersion, utcTime, result.health},
                             ports.messages);
        if (!result.volumeScan.answered) addRunProblem(report, "the system listed no drive letters");
    });

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
    outcome.output = written(report, options, ports.converter);
    outcome.exitCode = exitCode(report.status);
    return outcome;
}

}  // namespace kestrine
