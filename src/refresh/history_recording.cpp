#include "refresh/history_recording.h"

#include "history/health_sample.h"
#include "history/history_bounds.h"
#include "history/history_file.h"

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

// The verdicts, and the counts of a scope that weighs them (with the failure verdicts alone,
// the cautions stay empty).
void judge(const DriveTable& drives, const HealthTable& health, VerdictScope scope, const DriveAcceptances* acceptances,
           DriveJudgements& judged) {
    static const Acceptance nothingAccepted;
    judged.verdicts = judgeDrives(drives, health, scope, acceptances);
    if (scope != VerdictScope::AllHealth) return;
    for (int number = 0; number < driveTableSize; ++number)
        judged.cautions[number] =
            isListed(drives[number])
                ? judgeCautions(health[number], scope, acceptances ? (*acceptances)[number] : nothingAccepted)
                : CautionJudgement{};
}

HistorySummary summaryOf(const DriveHistory& drive) {
    HistorySummary summary;
    if (!drive.samples.empty()) summary.firstSample = drive.samples.front().time;
    summary.samples = drive.samples.size();
    summary.lastAccepted = drive.acceptance.lastAccepted;
    return summary;
}

}  // namespace

std::optional<DriveKey> historyKey(const DriveRecord& record) {
    if (record.identityError != 0 || (record.displayName.empty() && record.serial.empty())) return std::nullopt;
    // Cut as the file keeps it, so that a long name finds its drive again.
    return DriveKey{record.displayName.substr(0, maxKeyTextBytes), record.serial.substr(0, maxKeyTextBytes)};
}

void judgeWithHistory(const DriveTable& drives, const HealthTable& health, VerdictScope scope,
                      const HistoryRecording* recording, DriveJudgements& judged) {
    if (recording == nullptr) {
        judgeWithoutHistory(drives, health, scope, recording, judged);
        return;
    }
    judged.history.reset();
    judged.histories.fill(std::nullopt);
    const UtcSeconds now = recording->now;
    std::array<std::optional<DriveKey>, driveTableSize> keys{};
    for (int number = 0; number < driveTableSize; ++number)
        if (isListed(drives[number]) && health[number].source != HealthSource::None)
            keys[number] = historyKey(drives[number]);

    HistoryOutcome outcome;
    outcome.acceptAsked = recording->accept != AcceptScope::None;
    bool judgedWithMemory = false;
    const HistoryUpdate update =
        updateHistoryFile(recording->files, recording->lock, recording->pause, recording->path, recording->lockPath,
                          now, [&](History& history) {
                              DriveAcceptances acceptances{};
                              std::array<HealthSample, driveTableSize> samples{};
                              for (int number = 0; number < driveTableSize; ++number) {
                                  if (!keys[number]) continue;
                                  samples[number] = healthSample(health[number], now, SampleStatus::Ok);
                                  if (acceptAsked(*recording, number)) {
                                      acceptCurrentHealth(history, *keys[number], samples[number], now);
                                      outcome.accepted = true;
                                  }
                                  if (const DriveHistory* drive = findDrive(history, *keys[number]))
                                      acceptances[number] = drive->acceptance;
                              }
                              judge(drives, health, scope, &acceptances, judged);
                              for (int number = 0; number < driveTableSize; ++number) {
                                  if (!keys[number]) continue;
                                  samples[number].status = sampleStatus(judged.verdicts[number].status);
                                  recordSample(history, *keys[number], samples[number]);
                              }
                              judgedWithMemory = true;
                          });
    if (!judgedWithMemory) judge(drives, health, scope, nullptr, judged);
    for (int number = 0; judgedWithMemory && number < driveTableSize; ++number)
        if (keys[number])
            if (const DriveHistory* drive = findDrive(update.history, *keys[number]))
                judged.histories[number] = summaryOf(*drive);
    outcome.status = update.status;
    outcome.error = update.error;
    outcome.reason = update.reason;
    outcome.setAside = update.setAside;
    judged.history = outcome;
}

void judgeWithoutHistory(const DriveTable& drives, const HealthTable& health, VerdictScope scope,
                         const HistoryRecording*, DriveJudgements& judged) {
    judged.history.reset();
    judge(drives, health, scope, nullptr, judged);
}

}  // namespace kestrine
