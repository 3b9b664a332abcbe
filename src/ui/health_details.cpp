#include "ui/health_details.h"

#include <algorithm>
#include <optional>

#include "history/utc_time.h"
#include "probe/drive_texts.h"
#include "probe/health_texts.h"
#include "refresh/history_recording.h"
#include "ui/history_plot.h"

namespace kestrine {

namespace {

// "ok", "caution" or "failing" with the verdict's reasons; "no data" for a drive nothing was read
// of that the failure verdicts do not call failing.
std::string statusLine(const HealthDetailsInput& input) {
    if (input.recalled != nullptr)
        return std::string("Status: ") + driveStatusIdentifier(recordedStatus(input.recalled->status)) + " - read on " +
               utcTimeText(input.recalled->time);
    if (input.health.source == HealthSource::None && input.verdict.status == DriveStatus::Ok)
        return "Status: no data - " + (input.health.unavailableReason.empty() ? std::string("health not read")
                                                                              : input.health.unavailableReason);
    std::string line = std::string("Status: ") + driveStatusIdentifier(input.verdict.status);
    for (std::size_t i = 0; i < input.verdict.reasons.size(); ++i)
        line += (i == 0 ? " - " : "; ") + input.verdict.reasons[i];
    return line;
}

// An attribute's state: failing now, failed in the past (new until accepted), a caution count's
// state, or ok.
std::string attributeState(const AtaAttribute& attribute, const CautionJudgement& cautions) {
    if (attribute.failingNow) return "failing now";
    if (attribute.failedInPast) {
        const bool accepted = cautions.pastFailures && !cautions.pastFailures->unaccepted.contains(attribute.id);
        return std::string("failed in the past - ") +
               cautionStateIdentifier(accepted ? CautionState::Accepted : CautionState::New);
    }
    for (const AtaCount& count : ataCounts) {
        if (count.id != attribute.id) continue;
        for (const CountJudgement& judged : cautions.counts)
            if (judged.name == count.key) return cautionStateIdentifier(judged.state);
    }
    return "ok";
}

void addAttributeRows(const DriveHealth& health, const CautionJudgement& cautions, HealthDetails& details) {
    details.columns = {"ID", "Attribute", "Value", "Worst", "Threshold", "Raw Value", "State"};
    for (const AtaAttribute& a : health.ata.attributes)
        details.rows.push_back({std::to_string(a.id), a.name.empty() ? "-" : std::string(a.name),
                                std::to_string(a.current), std::to_string(a.worst),
                                a.hasThreshold ? std::to_string(a.threshold) : "-", std::to_string(a.raw),
                                attributeState(a, cautions)});
}

void addFieldRow(HealthDetails& details, std::string name, std::string value) {
    details.rows.push_back({std::move(name), std::move(value)});
}

// What a recalled sample holds: its counts, power-on hours, and an NVMe drive's wear and spare.
void addSampleRows(const HealthSample& sample, HealthDetails& details) {
    for (std::size_t kind = 0; kind < cautionCountKinds; ++kind)
        if (const std::optional<std::uint64_t>& value = sample.counts[kind])
            addFieldRow(details, cautionNoun(cautionCountName(static_cast<CautionCount>(kind))),
                        std::to_string(*value));
    if (sample.powerOnHours) addFieldRow(details, "power-on hours", std::to_string(*sample.powerOnHours));
    if (sample.percentageUsed) addFieldRow(details, "percentage used", std::to_string(*sample.percentageUsed) + " %");
    if (sample.availableSpare) addFieldRow(details, "available spare", std::to_string(*sample.availableSpare) + " %");
}

void addTable(const HealthDetailsInput& input, const CautionJudgement& cautions, HealthDetails& details) {
    if (input.recalled != nullptr) {
        details.columns = {"Field", "Value"};
        addSampleRows(*input.recalled, details);
    } else if (hasAtaTable(input.health)) {
        addAttributeRows(input.health, cautions, details);
    } else if (input.health.source == HealthSource::NvmeLog) {
        details.columns = {"Field", "Value"};
        for (auto& [name, value] : nvmeLogFields(input.health.nvme)) addFieldRow(details, name, value);
    }
}

std::string temperatureText(const HealthDetailsInput& input) {
    const std::optional<int> degrees =
        input.recalled != nullptr ? std::optional<int>(input.recalled->temperature) : driveTemperature(input.health);
    std::string text = "Temperature: " + (degrees ? std::to_string(*degrees) + " C" : std::string("unknown"));
    if (input.recalled == nullptr && input.health.temperature.warning)
        text += " (warning at " + std::to_string(*input.health.temperature.warning) + " C)";
    return text;
}

std::string historyText(const DriveHistory* history) {
    if (history == nullptr || history->samples.empty()) return noHistoryText;
    const std::size_t count = history->samples.size();
    std::string text = "History: " + std::to_string(count) + " sample" + (count == 1 ? "" : "s") + " since " +
                       utcTimeText(history->samples.front().time);
    if (history->acceptance.lastAccepted)
        text += ", last accepted on " + utcTimeText(*history->acceptance.lastAccepted);
    return text;
}

}  // namespace

HealthDetails healthDetails(const HealthDetailsInput& input) {
    HealthDetails details;
    const DriveRecord& record = input.record;
    details.title = "Health - " + driveLabel(record.driveNumber, record.identityError, record.displayName);
    // A recalled sample is judged against what was accepted of the drive, as a read one is.
    const CautionJudgement cautions =
        input.recalled != nullptr
            ? judgeCautionCounts(*input.recalled, input.history != nullptr ? input.history->acceptance : Acceptance{})
            : input.cautions;
    details.statusLines.push_back(statusLine(input));
    for (const CountJudgement& count : cautions.counts) details.statusLines.push_back(cautionCountText(count));
    if (cautions.pastFailures) details.statusLines.push_back(pastFailureText(*cautions.pastFailures));
    addTable(input, cautions, details);
    details.temperature = temperatureText(input);
    details.history = historyText(input.history);
    return details;
}

HealthView healthView(const RefreshResult& result, int driveNumber, const History& history,
                      const HealthSample* recalled) {
    const DriveRecord& record = result.drives[driveNumber];
    const std::optional<DriveKey> key = historyKey(record);
    const DriveHistory* drive = key ? findDrive(history, *key) : nullptr;
    HealthView view;
    view.details = healthDetails({record, result.health[driveNumber], result.verdicts[driveNumber],
                                  result.cautions[driveNumber], drive, recalled});
    if (drive != nullptr) view.plot = historyPlot(drive->samples);
    return view;
}

}  // namespace kestrine
