#pragma once
// Judging a drive's caution counts against what a person accepted of them. A count is new
// while nobody accepted one, grown when it rose above the lowest value it had since it was
// accepted, and accepted at or below that. Nothing is accepted until a person accepts it, so
// a drive with no history judges every count above zero as new. The rules that need no
// memory (a worn-out NVMe drive, a temperature at its limit) are the drive verdict's.
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "history/health_history.h"

namespace kestrine {

enum class CautionState { New, Grown, Accepted };

struct CountJudgement {
    CautionCount count = CautionCount::ReallocatedSectors;
    std::string_view name;  // cautionCountName(count)
    std::uint64_t value = 0;
    std::optional<CountAcceptance> accepted;  // none until accepted
    CautionState state = CautionState::New;
    bool operator==(const CountJudgement&) const = default;
};

// Attributes that failed in the past are new until accepted, each by its id.
struct PastFailureJudgement {
    std::set<std::uint8_t> ids;
    std::set<std::uint8_t> unaccepted;
    std::optional<UtcSeconds> acceptedAt;  // the last acceptance, when any id is accepted
    CautionState state = CautionState::New;
    bool operator==(const PastFailureJudgement&) const = default;
};

struct CautionJudgement {
    std::vector<CountJudgement> counts;                // the counts above zero, in CautionCount order
    std::optional<PastFailureJudgement> pastFailures;  // none when no attribute failed in the past
};

CautionJudgement judgeCautionCounts(const HealthSample& current, const Acceptance& acceptance);

// Takes every count the sample has, and its past failures, as accepted now. A count the
// sample does not have keeps what was accepted of it.
void acceptCurrentHealth(History& history, const DriveKey& key, const HealthSample& sample, UtcSeconds now);

// Lowers each accepted count's lowest value to the sample's where it is lower.
void updateLowest(Acceptance& acceptance, const HealthSample& sample);

}  // namespace kestrine
