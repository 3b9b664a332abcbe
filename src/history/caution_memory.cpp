#include "history/caution_memory.h"

#include <algorithm>
#include <iterator>

#include "history/history_bounds.h"

namespace kestrine {

namespace {

CautionState stateOf(std::uint64_t value, const std::optional<CountAcceptance>& accepted) {
    if (!accepted) return CautionState::New;
    return value > accepted->lowestSince ? CautionState::Grown : CautionState::Accepted;
}

std::optional<PastFailureJudgement> judgePastFailures(const std::set<std::uint8_t>& ids, const Acceptance& acceptance) {
    if (ids.empty()) return std::nullopt;
    PastFailureJudgement judgement;
    judgement.ids = ids;
    std::set_difference(ids.begin(), ids.end(), acceptance.pastFailures.begin(), acceptance.pastFailures.end(),
                        std::inserter(judgement.unaccepted, judgement.unaccepted.end()));
    if (judgement.unaccepted.size() < ids.size()) judgement.acceptedAt = acceptance.lastAccepted;
    judgement.state = judgement.unaccepted.empty() ? CautionState::Accepted : CautionState::New;
    return judgement;
}

}  // namespace

CautionJudgement judgeCautionCounts(const HealthSample& current, const Acceptance& acceptance) {
    CautionJudgement judgement;
    for (std::size_t index = 0; index < cautionCountKinds; ++index) {
        const std::optional<std::uint64_t>& value = current.counts[index];
        if (!value || *value == 0) continue;
        const auto count = static_cast<CautionCount>(index);
        const std::optional<CountAcceptance>& accepted = acceptance.counts[index];
        judgement.counts.push_back({count, cautionCountName(count), *value, accepted, stateOf(*value, accepted)});
    }
    judgement.pastFailures = judgePastFailures(current.pastFailures, acceptance);
    return judgement;
}

void acceptCurrentHealth(History& history, const DriveKey& key, const HealthSample& sample, UtcSeconds now) {
    DriveHistory& drive = driveEntry(history, key);
    drive.lastSeen = std::max(drive.lastSeen, now);
    Acceptance& acceptance = drive.acceptance;
    acceptance.lastAccepted = now;
    for (std::size_t index = 0; index < cautionCountKinds; ++index)
        if (const std::optional<std::uint64_t>& value = sample.counts[index])
            acceptance.counts[index] = CountAcceptance{*value, now, *value};
    acceptance.pastFailures.insert(sample.pastFailures.begin(), sample.pastFailures.end());
}

void updateLowest(Acceptance& acceptance, const HealthSample& sample) {
    for (std::size_t index = 0; index < cautionCountKinds; ++index)
        if (acceptance.counts[index] && sample.counts[index])
            acceptance.counts[index]->lowestSince =
                std::min(acceptance.counts[index]->lowestSince, *sample.counts[index]);
}

}  // namespace kestrine
