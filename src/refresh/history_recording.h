#pragma once
// The refresh's part of the health history: for a front end that asks for it, the drives are
// judged against what the history file holds and each drive whose health was read gets a
// sample, in one locked update (read, judge, record, write), so that no other writer comes
// between the acceptance a verdict used and the sample it adds.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "history/caution_memory.h"
#include "history/health_history.h"
#include "history/history_lock.h"
#include "history/history_store.h"
#include "probe/drive_health.h"
#include "probe/drive_record.h"
#include "probe/drive_verdict.h"
#include "settings/file_store.h"
#include "settings/pause.h"

namespace kestrine {

// Whose current health a person accepts before the drives are judged.
enum class AcceptScope { None, AllDrives, OneDrive };

struct HistoryRecording {
    FileStore& files;
    HistoryLock& lock;
    Pause& pause;
    std::string path;      // the history file
    std::string lockPath;  // its lock's companion file
    UtcSeconds now = 0;
    AcceptScope accept = AcceptScope::None;
    int acceptDrive = 0;  // the drive number, for OneDrive
    // The window's: a drive whose health could not be read is judged by its newest sample.
    bool recallUnread = false;
};

// How old a sample may be to stand in for a drive whose health could not be read.
inline constexpr UtcSeconds recallSeconds = 7 * 24 * 60 * 60;

// A drive's history after the refresh recorded it.
struct HistorySummary {
    std::optional<UtcSeconds> firstSample;
    std::size_t samples = 0;
    std::optional<UtcSeconds> lastAccepted;
    bool operator==(const HistorySummary&) const = default;
};

// How the recording went: the update's status and error, a damaged or foreign file set aside,
// and whether an acceptance asked for found a drive to accept.
struct HistoryOutcome {
    std::string path;  // the history file
    HistoryUpdateStatus status = HistoryUpdateStatus::NotWritten;
    std::uint32_t error = 0;
    std::string reason;  // a newer version's, or a damaged file's that could not be set aside
    std::optional<SetAsideFile> setAside;
    bool acceptAsked = false;
    bool accepted = false;
};

// What the drives' judgement leaves in a refresh's result; the result keeps it in place, so
// that a refresh moves no more than it did before it judged with memory.
struct DriveJudgements {
    DriveVerdicts verdicts{};
    std::array<CautionJudgement, driveTableSize> cautions{};                // by drive number
    std::array<std::optional<HistorySummary>, driveTableSize> histories{};  // drives recorded
    std::optional<HistoryOutcome> history;                                  // none: nothing recorded
    // Each drive's newest sample before this refresh, what its growth is told against.
    std::array<std::optional<HealthSample>, driveTableSize> previous{};
    // With recallUnread: the sample of the last 7 days that stands in for a drive whose
    // health could not be read (a standard user's ATA drive), and judged it.
    std::array<std::optional<HealthSample>, driveTableSize> recalled{};
    UtcSeconds judgedAt = 0;  // the recording's time, which the recalled samples' ages count from
};

// The history's key of a drive whose identity was read: its name and serial number; none
// when it has neither, or its identity could not be read.
std::optional<DriveKey> historyKey(const DriveRecord& record);

// The status a drive judged from a recorded sample has: the one it was recorded with.
DriveStatus recordedStatus(SampleStatus status);

// Judges the listed drives into `judged` against what was accepted of them (nothing, without a
// recording), and with a recording adds a sample for each drive whose health was read and has
// a key. When the history cannot be updated (its lock or file refused), the drives are judged
// against what could be read of it without the lock, else with nothing accepted. With
// recallUnread, a listed drive whose health was not read and whose newest sample is at most
// recallSeconds old is judged no better than that sample's status.
void judgeWithHistory(const DriveTable& drives, const HealthTable& health, const HistoryRecording* recording,
                      DriveJudgements& judged);
// The same with nothing accepted and nothing recorded, whatever the recording says.
void judgeWithoutHistory(const DriveTable& drives, const HealthTable& health, const HistoryRecording* recording,
                         DriveJudgements& judged);

// How a refresh judges its drives: both front ends with their history; tests and benchmarks
// that keep no history file without it.
using DriveJudging = void (*)(const DriveTable& drives, const HealthTable& health, const HistoryRecording* recording,
                              DriveJudgements& judged);

}  // namespace kestrine
