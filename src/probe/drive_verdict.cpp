#include "probe/drive_verdict.h"

#include <algorithm>
#include <optional>

#include "history/health_sample.h"

namespace kestrine {

namespace {

// The early signs of a drive that is not failing yet: those its health record gives that are
// news, and a temperature at its warning limit.
std::vector<std::string> cautionReasons(const DriveHealth& health, const CautionJudgement& judgement) {
    std::vector<std::string> reasons = healthCautionReasons(health, judgement);
    // A warning temperature of 0 C or below is no limit a drive would run under.
    const std::optional<int> warning = health.temperature.warning;
    const std::optional<int> degrees = driveTemperature(health);
    if (degrees && warning && *warning > 0 && *degrees >= *warning)
        reasons.push_back("temperature " + std::to_string(*degrees) + " C, at or above the warning temperature " +
                          std::to_string(*warning) + " C");
    return reasons;
}

}  // namespace

DriveVerdict judgeDrive(const DriveRecord& record, const DriveHealth& health, const Acceptance& accepted) {
    return judgeDrive(record, health, judgeCautions(health, accepted));
}

DriveVerdict judgeDrive(const DriveRecord& record, const DriveHealth& health, const CautionJudgement& cautions) {
    DriveVerdict verdict;
    const bool critical = isHealthCritical(health);
    // An NVMe drive's health log alone turning its SMART state: the log's problem names it.
    const bool namedByLog = critical && smartFromHealthLog(record) && spfState(record) != SpfState::FailurePredicted;
    if (indicatorLevel(record, health) == IndicatorLevel::FailurePredicted && !namedByLog)
        verdict.reasons.emplace_back("predicts failure");
    if (critical) verdict.reasons.push_back(healthProblem(health));
    if (!verdict.reasons.empty()) {
        verdict.status = DriveStatus::Failing;
    } else {
        verdict.reasons = cautionReasons(health, cautions);
        if (!verdict.reasons.empty()) verdict.status = DriveStatus::Caution;
    }
    return verdict;
}

CautionJudgement judgeCautions(const DriveHealth& health, const Acceptance& accepted) {
    return judgeCautionCounts(healthSample(health, 0, SampleStatus::Ok), accepted);
}

DriveVerdicts judgeDrives(const DriveTable& drives, const HealthTable& health, const DriveAcceptances* accepted) {
    static const Acceptance nothingAccepted;
    DriveVerdicts verdicts{};
    for (int number = 0; number < driveTableSize; ++number)
        if (isListed(drives[number]))
            verdicts[number] =
                judgeDrive(drives[number], health[number], accepted != nullptr ? (*accepted)[number] : nothingAccepted);
    return verdicts;
}

int failingDriveCount(const DriveVerdicts& verdicts) {
    return static_cast<int>(std::count_if(verdicts.begin(), verdicts.end(), [](const DriveVerdict& verdict) {
        return verdict.status == DriveStatus::Failing;
    }));
}

}  // namespace kestrine
