#include "report/report_nagios.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "report/text_encoding.h"
#include "volumes/volume_scan.h"

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

// One volume's performance data: the label quoted; a warning range "N:" warns below N.
std::string volumeData(const VolumeRow& volume) {
    return " '" + volumeName(volume.slot) + "'=" + percentValue(volume.percentFree) + ';' +
           std::to_string(volume.warningPercent) + ":;;0;100";
}

}  // namespace

std::string nagiosUnknownLine(const std::string& problem) {
    return std::string("KESTRINE ") + statusWord(OverallStatus::Unknown) + " - " + shortText(problem) + '\n';
}

std::string writeNagiosReport(const Report& report) {
    std::string text = std::string("KESTRINE ") + statusWord(report.status) + " - " + shortText(report.reason);
    if (report.thresholds != ThresholdSource::SettingsFile)
        text += std::string(", warning percents: ") + thresholdSourceText(report.thresholds);

    int failing = 0;
    int caution = 0;
    for (const DriveEntry& drive : report.drives) {
        if (drive.verdict.status == DriveStatus::Failing) ++failing;
        if (drive.verdict.status == DriveStatus::Caution) ++caution;
    }
    const auto inWarning = std::count_if(report.volumes.begin(), report.volumes.end(),
                                         [](const VolumeRow& volume) { return volume.inWarning; });
    const std::string counts =
        " 'failing drives'=" + std::to_string(failing) + ";;0;0;" + std::to_string(report.drives.size()) +
        " 'caution drives'=" + std::to_string(caution) + ";0;;0;" + std::to_string(report.drives.size()) +
        " 'volumes below limit'=" + std::to_string(inWarning) + ";0;;0;" + std::to_string(report.volumes.size());

    std::string volumes;
    for (const VolumeRow& volume : report.volumes) volumes += volumeData(volume);
    if (text.size() + volumes.size() + counts.size() + 3 <= nagiosLineLimit)
        return text + " |" + volumes + counts + '\n';

    // Too long for a plugin transport: the worst volumes' data as far as it fits, and the text
    // says so; a text too long even for the counts is cut first.
    std::vector<const VolumeRow*> worstFirst;
    for (const VolumeRow& volume : report.volumes) worstFirst.push_back(&volume);
    std::stable_sort(worstFirst.begin(), worstFirst.end(), [](const VolumeRow* a, const VolumeRow* b) {
        if (a->inWarning != b->inWarning) return a->inWarning;
        return a->percentFree < b->percentFree;
    });
    const auto note = [&report](std::size_t shown) {
        return "; performance data of " + std::to_string(shown) + " of " + std::to_string(report.volumes.size()) +
               " volumes, worst first";
    };
    const std::size_t room = nagiosLineLimit - counts.size() - note(report.volumes.size()).size() - 3;
    if (text.size() > room) text = text.substr(0, room - 3) + "...";
    volumes.clear();
    std::size_t shown = 0;
    for (const VolumeRow* volume : worstFirst) {
        const std::string data = volumeData(*volume);
        if (text.size() + volumes.size() + data.size() > room) break;
        volumes += data;
        ++shown;
    }
    return text + note(shown) + " |" + volumes + counts + '\n';
}

}  // namespace kestrine
