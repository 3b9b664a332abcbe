#include "report/report_nagios.h"

#include <cmath>

#include "report/text_encoding.h"

namespace kestrine {

namespace {

// The short text must stay one line and must not contain the separator of the performance
// data: control characters show as '?', as in the text report and the metrics.
std::string shortText(const std::string& text) {
    std::string shown = text;
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
        if (c == '|') c = '/';
    }
    return shown;
}

// Two decimals, rounded down as everywhere in the report; "U" (undetermined) for a value that
// is not a number.
std::string percentValue(double percent) { return std::isfinite(percent) ? percentDown(percent, 2) + '%' : "U"; }

}  // namespace

std::string nagiosUnknownLine(const std::string& problem) {
    return std::string("KESTRINE ") + statusWord(OverallStatus::Unknown) + " - " + shortText(problem) + '\n';
}

std::string writeNagiosReport(const Report& report) {
    std::string line = std::string("KESTRINE ") + statusWord(report.status) + " - " + shortText(report.reason);
    if (report.thresholds != ThresholdSource::SettingsFile)
        line += std::string(", warning percents: ") + thresholdSourceText(report.thresholds);

    // Labels quoted; a warning range "N:" warns below N.
    std::string perfdata;
    int failing = 0;
    for (const DriveEntry& drive : report.drives)
        if (drive.failurePredicted || drive.healthCritical) ++failing;
    int inWarning = 0;
    for (const VolumeRow& volume : report.volumes) {
        if (volume.inWarning) ++inWarning;
        perfdata += " '" + volumeName(volume.slot) + "'=" + percentValue(volume.percentFree) + ';' +
                    std::to_string(volume.warningPercent) + ":;;0;100";
    }
    perfdata += " 'failing drives'=" + std::to_string(failing) + ";;0;0;" + std::to_string(report.drives.size());
    perfdata +=
        " 'volumes below limit'=" + std::to_string(inWarning) + ";0;;0;" + std::to_string(report.volumes.size());
    return line + " |" + perfdata + '\n';
}

}  // namespace kestrine
