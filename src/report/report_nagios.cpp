#include "report/report_nagios.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "volumes/volume_scan.h"

namespace kestrine {

namespace {

// The short text must stay one line and must not contain the separator of the performance
// data: control characters show as '?', as in the text report and the metrics.
std::string shortText(const std::string& text, const AnsiConverter& converter) {
    std::string shown = controlsShown(utf8Text(text, converter));
    std::replace(shown.begin(), shown.end(), '|', '/');
    return shown;
}

// Parts "; " apart.
std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
    return text;
}

// At most `size` bytes of UTF-8 text, ending with "..." where it is cut, never inside a character.
std::string cutTo(const std::string& text, std::size_t size) {
    if (text.size() <= size) return text;
    std::size_t end = size > 3 ? size - 3 : 0;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end) + "...";
}

// Two decimals, rounded down as everywhere in the report; "U" (undetermined) for a value that
// is not a number.
std::string percentValue(double percent) { return std::isfinite(percent) ? percentDown(percent, 2) + '%' : "U"; }

// One volume's performance data: the label quoted; a warning range "N:" warns below N.
std::string volumeData(const VolumeRow& volume) {
    return " '" + volumeName(volume.slot) + "'=" + percentValue(volume.percentFree) + ';' +
           std::to_string(volume.warningPercent) + ":;;0;100";
}

std::string countsData(const Report& report) {
    int failing = 0;
    int caution = 0;
    for (const DriveEntry& drive : report.drives) {
        if (drive.verdict.status == DriveStatus::Failing) ++failing;
        if (drive.verdict.status == DriveStatus::Caution) ++caution;
    }
    const auto inWarning = std::count_if(report.volumes.begin(), report.volumes.end(),
                                         [](const VolumeRow& volume) { return volume.inWarning; });
    return " 'failing drives'=" + std::to_string(failing) + ";;0;0;" + std::to_string(report.drives.size()) +
           " 'caution drives'=" + std::to_string(caution) + ";0;;0;" + std::to_string(report.drives.size()) +
           " 'volumes below limit'=" + std::to_string(inWarning) + ";0;;0;" + std::to_string(report.volumes.size());
}

// Fits the line into what a plugin transport carries. Never given up: the status, the notes
// (the standard-user note, the run's own problems) and the counts. Given up first, in turn:
// the volumes' performance data beyond the worst that fit; the volumes' problems, told as their
// number; the drives' problems past those that fit, told as their number. Only notes too long
// on their own are cut.
class LineFitter {
public:
    LineFitter(const Report& report, const AnsiConverter& converter)
        : report_(report), converter_(converter), counts_(countsData(report)) {
        head_ = std::string("KESTRINE ") + statusWord(report.status) + " - ";
        for (const std::string& note : report.notes) notes_ += "; " + shortText(note, converter);
        if (report.thresholds != ThresholdSource::SettingsFile && report.thresholds != ThresholdSource::NotRead)
            notes_ += std::string(", warning percents: ") + thresholdSourceText(report.thresholds);
        for (const VolumeRow& volume : report.volumes) worstFirst_.push_back(&volume);
        std::stable_sort(worstFirst_.begin(), worstFirst_.end(), [](const VolumeRow* a, const VolumeRow* b) {
            if (a->inWarning != b->inWarning) return a->inWarning;
            return a->percentFree < b->percentFree;
        });
    }

    std::string line() const {
        std::string volumes;
        for (const VolumeRow& volume : report_.volumes) volumes += volumeData(volume);
        const std::string whole = assembled(findings(report_), "", volumes);
        if (whole.size() <= nagiosLineLimit) return whole;
        if (const std::optional<std::string> line = withWorstVolumes(findings(report_))) return *line;

        std::vector<std::string> volumeProblems = report_.volumeProblems;
        if (volumeProblems.size() > 1)
            volumeProblems = {std::to_string(volumeProblems.size()) + " volumes below their warning percent"};
        const std::vector<std::string>& drives = report_.driveProblems;
        for (std::size_t kept = drives.size();; --kept) {
            std::vector<std::string> found(drives.begin(), drives.begin() + static_cast<std::ptrdiff_t>(kept));
            if (kept < drives.size())
                found.push_back("and " + std::to_string(drives.size() - kept) + " more drive problems");
            found.insert(found.end(), volumeProblems.begin(), volumeProblems.end());
            if (found.empty()) found = findings(report_);  // the drives and volumes are all well
            if (const std::optional<std::string> line = withWorstVolumes(found)) return *line;
            if (kept == 0) break;
        }
        // The notes alone are too long: they are cut, the counts still come.
        const std::string tail = note(0) + " |" + counts_ + '\n';
        return head_ +
               cutTo(notes_.substr(std::min<std::size_t>(2, notes_.size())),
                     nagiosLineLimit - head_.size() - tail.size()) +
               tail;
    }

private:
    std::string note(std::size_t shown) const {
        return "; performance data of " + std::to_string(shown) + " of " + std::to_string(report_.volumes.size()) +
               " volumes, worst first";
    }

    std::string assembled(const std::vector<std::string>& found, const std::string& dataNote,
                          const std::string& volumes) const {
        return head_ + shortText(joined(found), converter_) + notes_ + dataNote + " |" + volumes + counts_ + '\n';
    }

    // The line with the worst volumes' data, as many as fit; none when not even the text fits.
    std::optional<std::string> withWorstVolumes(const std::vector<std::string>& found) const {
        if (assembled(found, note(0), "").size() > nagiosLineLimit) return std::nullopt;
        std::string volumes;
        std::size_t shown = 0;
        for (const VolumeRow* volume : worstFirst_) {
            const std::string data = volumeData(*volume);
            if (assembled(found, note(shown + 1), volumes + data).size() > nagiosLineLimit) break;
            volumes += data;
            ++shown;
        }
        return assembled(found, note(shown), volumes);
    }

    const Report& report_;
    const AnsiConverter& converter_;
    std::string counts_;
    std::string head_;
    std::string notes_;  // each after "; "
    std::vector<const VolumeRow*> worstFirst_;
};

}  // namespace

std::string writeNagiosReport(const Report& report, const AnsiConverter& converter) {
    // A refused run has no drives or volumes to give data for: its problem alone.
    if (report.thresholds == ThresholdSource::NotRead)
        return std::string("KESTRINE ") + statusWord(report.status) + " - " + shortText(reasonText(report), converter) +
               '\n';
    return LineFitter(report, converter).line();
}

}  // namespace kestrine
