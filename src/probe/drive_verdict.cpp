#include "probe/drive_verdict.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrine {

namespace {

// "title: a, b" or, with several items, the plural title.
std::string listed(std::string_view one, std::string_view several, const std::vector<std::string>& items) {
    std::string text(items.size() == 1 ? one : several);
    for (std::size_t i = 0; i < items.size(); ++i) text += (i == 0 ? ": " : ", ") + items[i];
    return text;
}

std::vector<std::string> attributeTitles(const DriveHealth& health, bool AtaAttribute::*flag) {
    std::vector<std::string> titles;
    for (const AtaAttribute& attribute : health.attributes)
        if (attribute.*flag) titles.push_back(attributeTitle(attribute));
    return titles;
}

// "SMART attribute failing now: 5 Reallocated Sectors Count" or "NVMe critical warning:
// spare below threshold", each item named, several joined by ", ".
std::string healthProblem(const DriveHealth& health) {
    if (health.source == HealthSource::NvmeLog) {
        std::vector<std::string> bits;
        for (const WarningBit& bit : criticalWarnings(health.nvme.criticalWarning)) bits.emplace_back(bit.name);
        return listed("NVMe critical warning", "NVMe critical warning", bits);
    }
    return listed("SMART attribute failing now", "SMART attributes failing now",
                  attributeTitles(health, &AtaAttribute::failingNow));
}

// The early signs of a drive that is not failing yet: the counts of bad sectors and
// uncorrectable errors, a threshold reached in the past, media errors, a worn-out NVMe drive,
// a temperature at its warning limit.
std::vector<std::string> cautionReasons(const DriveHealth& health) {
    std::vector<std::string> reasons;
    if (health.source == HealthSource::AtaSmart) {
        for (const AtaCount& count : ataCounts)
            if (const std::optional<std::uint32_t> value = health.*count.value; value && *value > 0)
                reasons.push_back(std::string(count.noun) + ": " + std::to_string(*value));
        if (const std::vector<std::string> past = attributeTitles(health, &AtaAttribute::failedInPast); !past.empty())
            reasons.push_back(
                listed("SMART attribute failed in the past", "SMART attributes failed in the past", past));
    }
    if (health.source == HealthSource::NvmeLog) {
        if (health.nvme.mediaErrors != Counter128{})
            reasons.push_back("NVMe media and data integrity errors: " + decimalText(health.nvme.mediaErrors));
        if (health.nvme.percentageUsed >= 100)
            reasons.push_back("NVMe percentage used: " + std::to_string(health.nvme.percentageUsed) + " %");
    }
    // A warning temperature of 0 C or below is no limit a drive would run under.
    const std::optional<int> warning = health.temperature.warning;
    const std::optional<int> degrees = driveTemperature(health);
    if (degrees && warning && *warning > 0 && *degrees >= *warning)
        reasons.push_back("temperature " + std::to_string(*degrees) + " C, at or above the warning temperature " +
                          std::to_string(*warning) + " C");
    return reasons;
}

}  // namespace

DriveVerdict judgeDrive(const DriveRecord& record, const DriveHealth& health) {
    DriveVerdict verdict;
    const bool critical = isHealthCritical(health);
    // An NVMe drive's health log alone turning its SMART state: the log's problem names it.
    const bool namedByLog = critical && smartFromHealthLog(record) && spfState(record) != SpfState::FailurePredicted;
    if (indicatorLevel(record) == IndicatorLevel::FailurePredicted && !namedByLog)
        verdict.reasons.emplace_back("predicts failure");
    if (critical) verdict.reasons.push_back(healthProblem(health));
    if (!verdict.reasons.empty()) {
        verdict.status = DriveStatus::Failing;
    } else {
        verdict.reasons = cautionReasons(health);
        if (!verdict.reasons.empty()) verdict.status = DriveStatus::Caution;
    }
    return verdict;
}

DriveVerdicts judgeDrives(const DriveTable& drives, const HealthTable& health) {
    DriveVerdicts verdicts{};
    for (int number = 0; number < driveTableSize; ++number)
        if (isListed(drives[number])) verdicts[number] = judgeDrive(drives[number], health[number]);
    return verdicts;
}

int failingDriveCount(const DriveVerdicts& verdicts) {
    return static_cast<int>(std::count_if(verdicts.begin(), verdicts.end(), [](const DriveVerdict& verdict) {
        return verdict.status == DriveStatus::Failing;
    }));
}

}  // namespace kestrine
