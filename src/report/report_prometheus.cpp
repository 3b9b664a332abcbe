#include "report/report_prometheus.h"

#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrine {

namespace {

using Labels = std::vector<std::pair<std::string_view, std::string>>;  // name, raw value

class MetricText {
public:
    explicit MetricText(const AnsiConverter& converter) : converter_(converter) {}

    // Starts a family: its HELP and TYPE lines; the samples that follow belong to it.
    void family(std::string_view name, std::string_view help) {
        name_ = "kestrine_" + std::string(name);
        text_ += "# HELP " + name_ + ' ' + std::string(help) + "\n# TYPE " + name_ + " gauge\n";
    }

    void sample(const Labels& labels, const std::string& value) {
        text_ += name_;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            text_ += i == 0 ? '{' : ',';
            text_ += std::string(labels[i].first) + "=\"" + labelValue(labels[i].second, converter_) + '"';
        }
        text_ += labels.empty() ? " " : "} ";
        text_ += value + '\n';
    }

    // One series per possible state, 1 for `current`.
    template <typename State>
    void stateSet(Labels labels, std::initializer_list<State> states, State current, const char* (*identifier)(State)) {
        labels.emplace_back("state", "");
        for (const State state : states) {
            labels.back().second = identifier(state);
            sample(labels, state == current ? "1" : "0");
        }
    }

    const std::string& text() const { return text_; }

private:
    const AnsiConverter& converter_;
    std::string name_;
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

void driveFamilies(MetricText& metrics, const std::vector<DriveEntry>& drives) {
    metrics.family("drive_info", "Identity of a listed physical drive; empty when it could not be read.");
    for (const DriveEntry& d : drives) metrics.sample(identityLabels(d), "1");
    metrics.family("drive_spf_state", "The storage stack's failure prediction for the drive.");
    for (const DriveEntry& d : drives)
        metrics.stateSet(driveLabels(d), {SpfState::NoData, SpfState::Ok, SpfState::FailurePredicted}, d.spf,
                         spfIdentifier);
    metrics.family("drive_smart_state", "The drive's SMART RETURN STATUS.");
    for (const DriveEntry& d : drives)
        metrics.stateSet(driveLabels(d),
                         {SmartState::NoData, SmartState::QueryFailed, SmartState::Ok, SmartState::FailurePredicted},
                         d.smart, smartIdentifier);
    metrics.family("drive_failure_predicted", "1 when the drive predicts failure by either verdict.");
    for (const DriveEntry& d : drives) metrics.sample(driveLabels(d), d.failurePredicted ? "1" : "0");
}

void volumeFamilies(MetricText& metrics, const std::vector<VolumeRow>& volumes) {
    metrics.family("volume_info", "A listed volume's label and whose warning percent applies to it.");
    for (const VolumeRow& v : volumes)
        metrics.sample({{"volume", volumeName(v.slot)},
                        {"label", v.label},
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
    if (!report.drives.empty()) driveFamilies(metrics, report.drives);
    if (!report.volumes.empty()) volumeFamilies(metrics, report.volumes);
    return metrics.text();
}

}  // namespace kestrine
