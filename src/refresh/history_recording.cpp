#include "refresh/history_recording.h"

#include <optional>
#include <utility>
#include <vector>

#include "history/health_sample.h"
#include "history/history_bounds.h"
#include "history/history_file.h"
#include "history/utc_time.h"

namespace kestrine {

namespace {

SampleStatus sampleStatus(DriveStatus status) {
    switch (status) {
        case DriveStatus::Caution: return SampleStatus::Caution;
        case DriveStatus::Failing: return SampleStatus::Failing;
        case DriveStatus::Ok: break;
    }
    return SampleStatus::Ok;
}

bool acceptAsked(const HistoryRecording& recording, int number) {
    return recording.accept == AcceptScope::AllDrives ||
           (recording.accept == AcceptScope::OneDrive && recording.acceptDrive == number);
}

using DriveSamples = std::array<HealthSample, driveTableSize>;

// The verdicts and the counts judged for them; by the drives' samples when the caller has them.
void judge(const DriveTable& drives, const HealthTable& health, const DriveAcceptances* acceptances,
           const DriveSamples* samples, DriveJudgements& judged) {
    static const Acceptance nothingAccepted;
    // Each drive's counts judged once, for its verdict and for the result.
    for (int number = 0; number < driveTableSize; ++number) {
        if (!isListed(drives[number])) {
            judged.verdicts[number] = {};
            judged.cautions[number] = {};
            continue;
        }
        const Acceptance& accepted = acceptances ? (*acceptances)[number] : nothingAccepted;
        judged.cautions[number] =
            samples ? judgeCautionCounts((*samples)[number], accepted) : judgeCautions(health[number], accepted);
        judged.verdicts[number] = judgeDrive(drives[number], health[number], judged.cautions[number]);
    }
}

using DriveKeys = std::array<std::optional<DriveKey>, driveTableSize>;

struct JudgingInput {
    const DriveTable& drives;
    const HealthTable& health;
    const HistoryRecording& recording;
    const DriveKeys& keys;
};

// Record: accept what was asked and add a sample per drive read. Read: the history could not
// be updated, so nothing is accepted or added.
enum class HistoryUse { Record, Read };

// The newest sample, when it is recent enough to stand in for a read.
std::optional<HealthSample> recentSample(const DriveHistory& drive, UtcSeconds now) {
    if (drive.samples.empty()) return std::nullopt;
    const UtcSeconds age = now - drive.samples.back().time;
    if (age < 0 || age > recallSeconds) return std::nullopt;
    return drive.samples.back();
}

// A recalled sample makes the verdict no better than the sample's status.
void judgeByRecall(DriveVerdict& verdict, const HealthSample& sample, UtcSeconds now) {
    const DriveStatus status = recordedStatus(sample.status);
    if (status <= verdict.status) return;
    verdict.status = status;
    verdict.reasons.push_back((status == DriveStatus::Failing ? "failing when " : "in caution when ") +
                              readAgoText(now - sample.time));
}

// Finds drives in a history, which usually lists them in the order of their numbers: each
// search starts after the drive found before, so that it mostly takes one compare. A history
// holds no key twice, so where a search starts changes nothing it finds.
class DriveFinder {
public:
    explicit DriveFinder(const History& history) : drives_(history.drives) {}
    std::optional<std::size_t> placeOf(const DriveKey& key) {
        const std::size_t count = drives_.size();
        for (std::size_t step = 0; step < count; ++step) {
            const std::size_t at = (next_ + step) % count;
            if (drives_[at].key != key) continue;
            next_ = at + 1;
            return at;
        }
        return std::nullopt;
    }

private:
    const std::vector<DriveHistory>& drives_;
    std::size_t next_ = 0;
};

// Judges the drives against `history` and, to record, changes it. True when a drive's health
// was accepted.
bool judgeAgainst(History& history, const JudgingInput& in, HistoryUse use, DriveJudgements& judged) {
    const UtcSeconds now = in.recording.now;
    DriveAcceptances acceptances{};
    DriveSamples samples{};  // every drive read, as its health gives it
    // Each drive's place in the history, found once: adding a drive keeps the others' places.
    std::array<std::optional<std::size_t>, driveTableSize> places{};
    DriveFinder finder(history);
    bool accepted = false;
    judged.previous.fill(std::nullopt);
    judged.recalled.fill(std::nullopt);
    for (int number = 0; number < driveTableSize; ++number) {
        const bool read = in.health[number].source != HealthSource::None;
        if (read) samples[number] = healthSample(in.health[number], now, SampleStatus::Ok);
        if (!in.keys[number]) continue;
        if (read && use == HistoryUse::Record && acceptAsked(in.recording, number)) {
            acceptCurrentHealth(history, *in.keys[number], samples[number], now);
            accepted = true;
        }
        places[number] = finder.placeOf(*in.keys[number]);
        if (!places[number]) continue;
        const DriveHistory* drive = &history.drives[*places[number]];
        acceptances[number] = drive->acceptance;
        if (!drive->samples.empty()) judged.previous[number] = drive->samples.back();
        if (!read && in.recording.recallUnread) judged.recalled[number] = recentSample(*drive, now);
    }
    judge(in.drives, in.health, &acceptances, &samples, judged);
    for (int number = 0; number < driveTableSize; ++number) {
        if (judged.recalled[number]) judgeByRecall(judged.verdicts[number], *judged.recalled[number], now);
        if (!in.keys[number] || in.health[number].source == HealthSource::None || use == HistoryUse::Read) continue;
        samples[number].status = sampleStatus(judged.verdicts[number].status);
        recordSample(places[number] ? history.drives[*places[number]] : driveEntry(history, *in.keys[number]),
                     samples[number]);
    }
    return accepted;
}

HistorySummary summaryOf(const DriveHistory& drive) {
    HistorySummary summary;
    if (!drive.samples.empty()) summary.firstSample = drive.samples.front().time;
    summary.samples = drive.samples.size();
    summary.lastAccepted = drive.acceptance.lastAccepted;
    return summary;
}

}  // namespace

DriveStatus recordedStatus(SampleStatus status) {
    switch (status) {
        case SampleStatus::Caution: return DriveStatus::Caution;
        case SampleStatus::Failing: return DriveStatus::Failing;
        case SampleStatus::Ok: break;
    }
    return DriveStatus::Ok;
}

std::optional<DriveKey> historyKey(const DriveRecord& record) {
    if (record.identityError != 0 || (record.displayName.empty() && record.serial.empty())) return std::nullopt;
    // Cut as the file keeps it, so that a long name finds its drive again.
    return DriveKey{record.displayName.substr(0, maxKeyTextBytes), record.serial.substr(0, maxKeyTextBytes)};
}

void judgeWithHistory(const DriveTable& drives, const HealthTable& health, const HistoryRecording* recording,
                      DriveJudgements& judged) {
    if (recording == nullptr) {
        judgeWithoutHistory(drives, health, recording, judged);
        return;
    }
    judged.history.reset();
    judged.histories.fill(std::nullopt);
    DriveKeys keys{};
    for (int number = 0; number < driveTableSize; ++number)
        if (isListed(drives[number])) keys[number] = historyKey(drives[number]);

    judged.judgedAt = recording->now;
    HistoryOutcome outcome;
    outcome.path = recording->path;
    outcome.acceptAsked = recording->accept != AcceptScope::None;
    bool judgedWithMemory = false;
    const HistoryUpdate update = updateHistoryFile(
        recording->files, recording->lock, recording->pause, recording->path, recording->lockPath, recording->now,
        [&](History& history) {
            outcome.accepted = judgeAgainst(history, {drives, health, *recording, keys}, HistoryUse::Record, judged);
            judgedWithMemory = true;
        });
    if (!judgedWithMemory) {
        std::optional<History> read = readHistoryFile(recording->files, recording->path);
        History nothing;
        judgeAgainst(read ? *read : nothing, {drives, health, *recording, keys}, HistoryUse::Read, judged);
    }
    DriveFinder finder(update.history);
    for (int number = 0; judgedWithMemory && number < driveTableSize; ++number)
        if (keys[number] && health[number].source != HealthSource::None)
            if (const std::optional<std::size_t> place = finder.placeOf(*keys[number]))
                judged.histories[number] = summaryOf(update.history.drives[*place]);
    outcome.status = update.status;
    outcome.error = update.error;
    outcome.reason = update.reason;
    outcome.setAside = update.setAside;
    judged.history = std::move(outcome);
}

void judgeWithoutHistory(const DriveTable& drives, const HealthTable& health, const HistoryRecording*,
                         DriveJudgements& judged) {
    judged.history.reset();
    judged.previous.fill(std::nullopt);
    judged.recalled.fill(std::nullopt);
    judge(drives, health, nullptr, nullptr, judged);
}

}  // namespace kestrine
