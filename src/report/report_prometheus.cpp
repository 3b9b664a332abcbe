#include "report/report_prometheus.h"

#include <bitset>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "history/utc_time.h"

namespace kestrine {

namespace {

struct Label {
    std::string_view name;
    std::string value;                        // raw: in the system's code page, or
    const AnsiConverter* encoding = nullptr;  // in this encoding (UTF-8 volume labels)
};
using Labels = std::vector<Label>;

class MetricText {
public:
    explicit MetricText(const AnsiConverter& converter) : converter_(converter) {}

    // Starts a family: the samples that follow belong to it. Its HELP and TYPE lines come
    // with its first sample, so a family without samples leaves no trace.
    void family(std::string_view name, std::string_view help, std::string_view type = "gauge") {
        name_ = "kestrine_" + std::string(name);
        header_ = "# HELP " + name_ + ' ' + std::string(help) + "\n# TYPE " + name_ + ' ' + std::string(type) + '\n';
    }

    void sample(const Labels& labels, const std::string& value) {
        text_ += header_;
        header_.clear();
        text_ += name_;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            text_ += i == 0 ? '{' : ',';
            const Label& label = labels[i];
            text_ += std::string(label.name) + "=\"" +
                     labelValue(label.value, label.encoding != nullptr ? *label.encoding : converter_) + '"';
        }
        text_ += labels.empty() ? " " : "} ";
        text_ += value + '\n';
    }

    // One series per possible state, 1 for `current`.
    template <typename State, typename Identifier>
    void stateSet(Labels labels, std::initializer_list<State> states, State current, Identifier identifier) {
        labels.push_back({"state", ""});
        for (const State state : states) {
            labels.back().value = std::string(identifier(state));
            sample(labels, state == current ? "1" : "0");
        }
    }

    const std::string& text() const { return text_; }

private:
    const AnsiConverter& converter_;
    std::string name_;
    std::string header_;
    std::string text_;
};

const char* volumeStateIdentifier(bool inWarning) { return inWarning ? "warning" : "ok"; }

std::string ratio(double percent) { return decimalNumber(percent / 100.0); }

Labels driveLabels(const DriveEntry& drive) { return {{"drive", std::to_string(drive.record.driveNumber)}}; }

Labels volumeLabels(const VolumeRow& volume) { return {{"volume", volumeName(volume.slot)}}; }

Labels identityLabels(const DriveEntry& drive) {
    const DriveRecord& r = drive.record;
    Labels labels = driveLabels(drive);
    labels.insert(labels.end(), {{"name", r.displayName},
                                 {"vendor", r.vendor},
                                 {"product", r.product},
                                 {"serial", r.serial},
                                 {"bus", r.busTypeText},
                                 {"removable", drive.identity != IdentityState::Read ? ""
                                               : r.removable                         ? "true"
                                                                                     : "false"},
                                 {"identity", identityIdentifier(drive.identity)}});
    return labels;
}

std::string flag(bool value) { return value ? "1" : "0"; }

// A caution count's name in a label: "reallocated_sectors", "media_errors".
std::string cautionLabel(std::string_view name) {
    std::string label;
    for (const char c : name) {
        if (c >= 'A' && c <= 'Z') label += '_';
        label += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return label;
}

void cautionFamily(MetricText& metrics, const std::vector<DriveEntry>& drives) {
    metrics.family("drive_caution",
                   "Each caution count above 0 of the drive, and its past failures: new, grown since it was "
                   "accepted, or accepted.");
    const auto states = {CautionState::New, CautionState::Grown, CautionState::Accepted};
    for (const DriveEntry& d : drives) {
        const auto set = [&](std::string_view name, CautionState state) {
            Labels labels = driveLabels(d);
            labels.push_back({"count", cautionLabel(name)});
            metrics.stateSet(labels, states, state, cautionStateIdentifier);
        };
        for (const CountJudgement& count : d.cautions.counts) set(count.name, count.state);
        if (d.cautions.pastFailures) set("failedInThePast", d.cautions.pastFailures->state);
    }
}

void driveFamilies(MetricText& metrics, const std::vector<DriveEntry>& drives) {
    metrics.family("drive_info", "Identity of a listed physical drive; empty when it could not be read.");
    for (const DriveEntry& d : drives) metrics.sample(identityLabels(d), "1");
    metrics.family("drive_spf_state", "The storage stack's failure prediction for the drive.");
    for (const DriveEntry& d : drives)
        metrics.stateSet(driveLabels(d), {SpfState::NoData, SpfState::Ok, SpfState::FailurePredicted}, d.spf,
                         [](SpfState state) { return stateLook(state).identifier; });
    metrics.family("drive_smart_state", "The drive's SMART RETURN STATUS.");
    for (const DriveEntry& d : drives)
        metrics.stateSet(driveLabels(d),
                         {SmartState::NoData, SmartState::QueryFailed, SmartState::Ok, SmartState::FailurePredicted},
                         d.smart, [](SmartState state) { return stateLook(state).identifier; });
    metrics.family("drive_failure_predicted", "1 when the drive predicts failure by either verdict.");
    for (const DriveEntry& d : drives) metrics.sample(driveLabels(d), flag(failurePredicted(d)));
    metrics.family("drive_status", "The drive's status: ok, caution on an early sign, or failing.");
    for (const DriveEntry& d : drives)
        metrics.stateSet(driveLabels(d), {DriveStatus::Ok, DriveStatus::Caution, DriveStatus::Failing},
                         d.verdict.status, driveStatusIdentifier);
    cautionFamily(metrics, drives);
}

Labels attributeLabels(const DriveEntry& drive, const AtaAttribute& attribute) {
    Labels labels = driveLabels(drive);
    labels.insert(labels.end(), {{"attribute", std::to_string(attribute.id)}, {"name", std::string(attribute.name)}});
    return labels;
}

using Shown = std::optional<std::string>;

// One sample per ATA attribute of every drive that has them (none where `value` gives none).
// An id the table holds twice gives the first one's only: two series with the same labels
// would make a scraper refuse the whole file.
void attributeSamples(MetricText& metrics, const std::vector<DriveEntry>& drives, Shown (*value)(const AtaAttribute&)) {
    for (const DriveEntry& d : drives) {
        std::bitset<256> seen;
        for (const AtaAttribute& attribute : d.health.ata.attributes) {
            if (seen.test(attribute.id)) continue;
            seen.set(attribute.id);
            if (std::optional<std::string> shown = value(attribute))
                metrics.sample(attributeLabels(d, attribute), *shown);
        }
    }
}

// One sample per drive with an NVMe health log.
void nvmeSamples(MetricText& metrics, const std::vector<DriveEntry>& drives, std::string (*value)(const NvmeHealth&)) {
    for (const DriveEntry& d : drives)
        if (d.health.source == HealthSource::NvmeLog) metrics.sample(driveLabels(d), value(d.health.nvme));
}

std::string counterValue(Counter128 value, double scale = 1.0) { return decimalNumber(toDouble(value) * scale); }

std::optional<double> powerOnHours(const DriveHealth& health) {
    if (hasAtaTable(health) && health.ata.powerOnHours) return *health.ata.powerOnHours;
    if (health.source == HealthSource::NvmeLog) return toDouble(health.nvme.powerOnHours);
    return std::nullopt;
}

void healthFamilies(MetricText& metrics, const std::vector<DriveEntry>& drives) {
    metrics.family("drive_health_source", "Where the drive's health data came from.");
    for (const DriveEntry& d : drives)
        metrics.stateSet(driveLabels(d),
                         {HealthSource::None, HealthSource::AtaSmart, HealthSource::NvmeLog, HealthSource::SatSmart},
                         d.health.source, healthSourceName);
    metrics.family("drive_health_critical",
                   "1 when an ATA attribute is failing now or an NVMe critical warning is set.");
    for (const DriveEntry& d : drives) metrics.sample(driveLabels(d), flag(isHealthCritical(d.health)));
    metrics.family("drive_temperature_celsius", "The drive's temperature, from its SMART data or the storage stack.");
    for (const DriveEntry& d : drives)
        if (const std::optional<int> degrees = driveTemperature(d.health))
            metrics.sample(driveLabels(d), std::to_string(*degrees));
    metrics.family("drive_temperature_limit_celsius", "The storage stack's warning and critical temperature.");
    for (const DriveEntry& d : drives) {
        const TemperatureReading& property = d.health.temperature;
        for (const auto& [name, limit] : {std::pair{"warning", property.warning}, {"critical", property.critical}}) {
            if (!limit) continue;
            Labels labels = driveLabels(d);
            labels.push_back({"limit", name});
            metrics.sample(labels, std::to_string(*limit));
        }
    }
    metrics.family("drive_power_on_seconds", "The drive's power-on time (counted by it in hours).");
    for (const DriveEntry& d : drives)
        if (const std::optional<double> hours = powerOnHours(d.health))
            metrics.sample(driveLabels(d), decimalNumber(*hours * 3600.0));

    for (const AtaCount& count : ataCounts) {
        metrics.family("drive_ata_" + std::string(count.metric),
                       "The drive's " + std::string(count.noun) + ", when its raw value counts them.");
        for (const DriveEntry& d : drives)
            if (const std::optional<std::uint32_t> value = d.health.ata.*count.value)
                metrics.sample(driveLabels(d), std::to_string(*value));
    }

    metrics.family("drive_ata_attribute_value", "The normalised current value of an ATA SMART attribute.");
    attributeSamples(metrics, drives, [](const AtaAttribute& a) { return Shown(std::to_string(a.current)); });
    metrics.family("drive_ata_attribute_worst", "The worst normalised value an ATA SMART attribute has had.");
    attributeSamples(metrics, drives, [](const AtaAttribute& a) { return Shown(std::to_string(a.worst)); });
    metrics.family("drive_ata_attribute_threshold",
                   "The threshold of an ATA SMART attribute, where the drive has one.");
    attributeSamples(metrics, drives, [](const AtaAttribute& a) {
        return a.hasThreshold ? Shown(std::to_string(a.threshold)) : std::nullopt;
    });
    metrics.family("drive_ata_attribute_raw", "The 48-bit raw value of an ATA SMART attribute (vendor-defined).");
    attributeSamples(metrics, drives, [](const AtaAttribute& a) { return Shown(std::to_string(a.raw)); });
    metrics.family("drive_ata_attribute_failing_now", "1 when a pre-failure attribute is at or below its threshold.");
    attributeSamples(metrics, drives, [](const AtaAttribute& a) { return Shown(flag(a.failingNow)); });

    metrics.family("drive_nvme_critical_warning", "The bits of the NVMe critical warning, 1 when set.");
    for (const DriveEntry& d : drives) {
        if (d.health.source != HealthSource::NvmeLog) continue;
        for (const WarningBit& bit : criticalWarnings(0xFF)) {
            Labels labels = driveLabels(d);
            labels.insert(labels.end(), {{"bit", std::to_string(bit.bit)}, {"name", std::string(bit.name)}});
            metrics.sample(labels, flag((d.health.nvme.criticalWarning >> bit.bit) & 1));
        }
    }
    metrics.family("drive_nvme_percentage_used_ratio", "The NVMe drive's estimate of its life used; may pass 1.");
    nvmeSamples(metrics, drives, [](const NvmeHealth& log) { return ratio(log.percentageUsed); });
    metrics.family("drive_nvme_available_spare_ratio", "The NVMe drive's spare capacity left, 0 to 1.");
    nvmeSamples(metrics, drives, [](const NvmeHealth& log) { return ratio(log.availableSpare); });
    metrics.family("drive_nvme_available_spare_threshold_ratio",
                   "The spare capacity below which the NVMe drive warns.");
    nvmeSamples(metrics, drives, [](const NvmeHealth& log) { return ratio(log.availableSpareThreshold); });
    metrics.family("drive_nvme_data_read_bytes_total", "Bytes the host read from the NVMe drive.", "counter");
    nvmeSamples(metrics, drives,
                [](const NvmeHealth& log) { return counterValue(log.dataUnitsRead, nvmeDataUnitBytes); });
    metrics.family("drive_nvme_data_written_bytes_total", "Bytes the host wrote to the NVMe drive.", "counter");
    nvmeSamples(metrics, drives,
                [](const NvmeHealth& log) { return counterValue(log.dataUnitsWritten, nvmeDataUnitBytes); });
    metrics.family("drive_nvme_power_cycles_total", "Power cycles of the NVMe drive.", "counter");
    nvmeSamples(metrics, drives, [](const NvmeHealth& log) { return counterValue(log.powerCycles); });
    metrics.family("drive_nvme_unsafe_shutdowns_total", "Unsafe shutdowns of the NVMe drive.", "counter");
    nvmeSamples(metrics, drives, [](const NvmeHealth& log) { return counterValue(log.unsafeShutdowns); });
    metrics.family("drive_media_errors_total", "Media and data integrity errors the NVMe drive counted.", "counter");
    nvmeSamples(metrics, drives, [](const NvmeHealth& log) { return counterValue(log.mediaErrors); });
    metrics.family("drive_nvme_error_log_entries_total", "Error log entries over the NVMe drive's life.", "counter");
    nvmeSamples(metrics, drives, [](const NvmeHealth& log) { return counterValue(log.errorLogEntries); });
}

void volumeFamilies(MetricText& metrics, const std::vector<VolumeRow>& volumes) {
    static const Utf8Text utf8;
    metrics.family("volume_info", "A listed volume's label and whose warning percent applies to it.");
    for (const VolumeRow& v : volumes)
        metrics.sample({{"volume", volumeName(v.slot)},
                        {"label", v.label, &utf8},
                        {"warning_percent_from", v.usesDefault ? "default" : "own"}},
                       "1");
    metrics.family("volume_size_bytes", "Total size of the volume.");
    for (const VolumeRow& v : volumes) metrics.sample(volumeLabels(v), std::to_string(v.totalBytes));
    metrics.family("volume_free_bytes", "All free bytes of the volume, not only those available to the caller.");
    for (const VolumeRow& v : volumes) metrics.sample(volumeLabels(v), std::to_string(v.freeBytes));
    metrics.family("volume_free_ratio", "Free share of the volume, 0 to 1.");
    for (const VolumeRow& v : volumes) metrics.sample(volumeLabels(v), ratio(v.percentFree));
    metrics.family("volume_warning_ratio", "The free share below which the volume is in warning.");
    for (const VolumeRow& v : volumes) metrics.sample(volumeLabels(v), ratio(v.warningPercent));
    metrics.family("volume_state", "The volume's free-space verdict.");
    for (const VolumeRow& v : volumes)
        metrics.stateSet(volumeLabels(v), {false, true}, v.inWarning, volumeStateIdentifier);
}

}  // namespace

std::string writePrometheusMetrics(const Report& report, const AnsiConverter& converter) {
    MetricText metrics(converter);
    metrics.family("report_info", "The report's program version and where its warning percents came from.");
    metrics.sample({{"version", report.programVersion}, {"thresholds", thresholdSourceIdentifier(report.thresholds)}},
                   "1");
    metrics.family("status", "The overall status, whose exit code is 0 ok, 1 warning, 2 critical, 3 unknown.");
    metrics.stateSet({}, {OverallStatus::Ok, OverallStatus::Warning, OverallStatus::Critical, OverallStatus::Unknown},
                     report.status, statusIdentifier);
    // A file that stops being replaced keeps its last values: its age tells.
    metrics.family("report_last_run_timestamp_seconds", "When the run that wrote these metrics took place.");
    if (const std::optional<std::int64_t> seconds = parseUtcTime(report.utcTime))
        metrics.sample({}, std::to_string(*seconds));
    metrics.family("report_last_run_success", "1 when the run that wrote these metrics met no problem of its own.");
    metrics.sample({}, flag(!report.runProblem));
    // A task without administrator rights reports ok for ever: its SMART reads were refused.
    metrics.family("report_smart_read",
                   "1 when the SMART reads ran with the rights they need, 0 when the system refused them.");
    metrics.sample({}, flag(!report.smartReadRefused));
    driveFamilies(metrics, report.drives);
    healthFamilies(metrics, report.drives);
    volumeFamilies(metrics, report.volumes);
    return metrics.text();
}

}  // namespace kestrine
