#include "probe/drive_verdict.h"

#include <algorithm>

namespace kestrine {

namespace {

// "SMART attribute failing now: 5 Reallocated Sectors Count" or "NVMe critical warning:
// spare below threshold", each item named, several joined by ", ".
std::string healthProblem(const DriveHealth& health) {
    std::vector<std::string> items;
    for (const AtaAttribute& attribute : health.attributes)
        if (attribute.failingNow) items.push_back(attributeTitle(attribute));
    for (const WarningBit& bit : criticalWarnings(health.nvme.criticalWarning)) items.emplace_back(bit.name);
    std::string problem = health.source == HealthSource::NvmeLog ? "NVMe critical warning"
                          : items.size() == 1                    ? "SMART attribute failing now"
                                                                 : "SMART attributes failing now";
    for (std::size_t i = 0; i < items.size(); ++i) problem += (i == 0 ? ": " : ", ") + items[i];
    return problem;
}

}  // namespace

DriveVerdict judgeDrive(const DriveRecord& record, const DriveHealth& health) {
    DriveVerdict verdict;
    if (indicatorLevel(record) == IndicatorLevel::FailurePredicted) verdict.reasons.emplace_back("predicts failure");
    if (isHealthCritical(health)) verdict.reasons.push_back(healthProblem(health));
    if (!verdict.reasons.empty()) verdict.status = DriveStatus::Failing;
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
