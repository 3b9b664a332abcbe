#include "refresh/caution_news.h"

#include <algorithm>

#include "probe/drive_texts.h"
#include "probe/health_texts.h"
#include "refresh/history_place.h"
#include "tray/status_events.h"

namespace kestrine {

namespace {

// "8 reallocated sectors", "1 media error": every count's noun is a plural in -s.
std::string countText(CautionCount count, std::uint64_t value) {
    const std::string nouns = cautionNoun(cautionCountName(count));
    return std::to_string(value) + ' ' + (value == 1 ? nouns.substr(0, nouns.size() - 1) : nouns);
}

std::string idList(const std::set<std::uint8_t>& ids) {
    std::string text;
    for (const std::uint8_t id : ids) text += (text.empty() ? "" : ", ") + std::to_string(id);
    return text;
}

std::string pastFailuresText(const std::set<std::uint8_t>& ids) {
    return (ids.size() == 1 ? "attribute " : "attributes ") + idList(ids) + " failed in the past";
}

bool isNews(CautionState state) { return state != CautionState::Accepted; }

std::string driveLabelOf(const DriveRecord& drive) {
    return driveLabel(drive.driveNumber, drive.identityError, drive.displayName);
}

// `what` as the line says it, `count` and `value` as the event names them.
CautionNews news(const DriveRecord& drive, const std::string& what, const std::string& count, const std::string& value,
                 const std::string& accepted) {
    const std::string label = driveLabelOf(drive);
    return {label + ": " + what + (accepted.empty() ? "" : ", " + accepted + " accepted"),
            {EventType::Warning,
             cautionGrownEvent,
             {label, drive.displayName, drive.serial, count, value, accepted.empty() ? "none" : accepted}}};
}

// What a drive's counts are told against: the higher of the previous sample's and what was told.
HealthSample toldAgainst(const std::optional<HealthSample>& previous, const HealthSample& told) {
    HealthSample before = told;
    if (!previous) return before;
    for (std::size_t index = 0; index < cautionCountKinds; ++index)
        if (previous->counts[index] && (!before.counts[index] || *previous->counts[index] > *before.counts[index]))
            before.counts[index] = previous->counts[index];
    before.pastFailures.insert(previous->pastFailures.begin(), previous->pastFailures.end());
    return before;
}

void addDriveNews(const DriveRecord& drive, const CautionJudgement& judgement, HealthSample& told,
                  const HealthSample& before, std::vector<CautionNews>& all) {
    for (const CountJudgement& count : judgement.counts) {
        const std::optional<std::uint64_t>& previous = before.counts[static_cast<std::size_t>(count.count)];
        if (!isNews(count.state) || (previous && count.value <= *previous)) continue;
        told.counts[static_cast<std::size_t>(count.count)] = count.value;
        all.push_back(news(drive, countText(count.count, count.value), cautionNoun(count.name),
                           std::to_string(count.value), count.accepted ? std::to_string(count.accepted->value) : ""));
    }
    if (const std::optional<PastFailureJudgement>& past = judgement.pastFailures) {
        const bool unseen = std::any_of(past->unaccepted.begin(), past->unaccepted.end(),
                                        [&](std::uint8_t id) { return before.pastFailures.count(id) == 0; });
        if (isNews(past->state) && unseen) {
            told.pastFailures.insert(past->unaccepted.begin(), past->unaccepted.end());
            all.push_back(news(drive, pastFailuresText(past->unaccepted), "attributes that failed in the past",
                               idList(past->unaccepted), ""));
        }
    }
}

}  // namespace

std::vector<CautionNews> CautionWatch::update(const RefreshResult& result) {
    std::vector<CautionNews> all;
    for (int number = 0; number < driveTableSize; ++number) {
        const CautionJudgement& judgement = result.cautions[number];
        const bool hasCounts = !judgement.counts.empty() || judgement.pastFailures.has_value();
        const DriveRecord& drive = result.drives[number];
        if (!isListed(drive) || !hasCounts) continue;
        Told& told = told_[number];
        if (told.name != drive.displayName || told.serial != drive.serial)
            told = {drive.displayName, drive.serial, HealthSample{}};
        addDriveNews(drive, judgement, told.counts, toldAgainst(result.previous[number], told.counts), all);
    }
    return all;
}

std::string cautionCountsText(const CautionJudgement& judgement) {
    std::string text;
    for (const CountJudgement& count : judgement.counts)
        text += (text.empty() ? "" : ", ") + countText(count.count, count.value);
    if (judgement.pastFailures) text += (text.empty() ? "" : ", ") + pastFailuresText(judgement.pastFailures->ids);
    return text.empty() ? "no caution counts" : text;
}

LogEvent healthAccepted(const RefreshResult& result, int number) {
    const DriveRecord& drive = result.drives[number];
    return {EventType::Information,
            healthAcceptedEvent,
            {driveLabelOf(drive), drive.displayName, drive.serial, cautionCountsText(result.cautions[number])}};
}

std::string acceptRefusal(const RefreshResult& result, int number, const std::string& placeProblem,
                          const SystemMessages& messages) {
    std::string why;
    if (!placeProblem.empty())
        why = "the health history could not be recorded: " + placeProblem;
    else if (!result.history)
        why = "the health history could not be recorded";
    else if (result.history->status != HistoryUpdateStatus::Written)
        why = "the health history " + fileNameOf(result.history->path) +
              " was not recorded: " + notRecordedWhy(*result.history, messages);
    else if (!result.history->accepted)
        why = "its health could not be read";
    if (why.empty()) return {};
    return "The current health of " + driveLabelOf(result.drives[number]) + " was not accepted: " + why + '.';
}

}  // namespace kestrine
