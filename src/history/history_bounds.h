#pragma once
// Keeping the history small: every sample of the last week, then the last one of each UTC day
// up to 400 days, at most 64 drives (the longest unseen go first) and at most 1 MiB in its
// file (the oldest samples go first, across drives). The clock is the caller's.
#include <cstddef>

#include "history/health_history.h"

namespace kestrine {

inline constexpr UtcSeconds secondsPerDay = 86'400;
inline constexpr UtcSeconds everySampleFor = 7 * secondsPerDay;
inline constexpr UtcSeconds dailySamplesFor = 400 * secondsPerDay;
inline constexpr std::size_t maxHistoryDrives = 64;
inline constexpr std::size_t maxHistoryBytes = 1 << 20;

// The drive's history, added when it has none (with its key cut to what the file keeps).
DriveHistory& driveEntry(History& history, const DriveKey& key);

// Adds the sample in time order and lowers the accepted counts' lowest values by it.
void recordSample(History& history, const DriveKey& key, const HealthSample& sample);
void recordSample(DriveHistory& drive, const HealthSample& sample);

void thinHistory(History& history, UtcSeconds now);

}  // namespace kestrine
