#pragma once
// The window's news of caution counts: a count that became new or grew since the drive's
// previous sample in the history gets a line in the notification and an event, so that neither
// a restart nor a count that stays the same tells it again; and the event of an acceptance.
#include <array>
#include <string>
#include <vector>

#include "refresh/refresh.h"
#include "tray/event_log.h"

namespace kestrine {

struct CautionNews {
    std::string line;  // "Disk 1 - WDC WD5000AAKS: 70 reallocated sectors, 63 accepted"
    LogEvent event;    // cautionGrownEvent: label, model, serial, count, value, accepted value
};

// Tells each caution count once, when it happens: for each listed drive, each count judged new
// or grown whose value is above the one in the drive's previous sample in the history (or that
// had none) and above any value told before in this run, and past failures with an id that is
// unaccepted and neither in that sample nor told before; in drive order, then count order. The
// run's memory keeps a history that cannot be written, or none at all, from telling a count
// at every refresh.
class CautionWatch {
public:
    std::vector<CautionNews> update(const RefreshResult& result);

private:
    // By drive number: the drive told of (another one at that number starts afresh) and the
    // highest values told.
    struct Told {
        std::string name;
        std::string serial;
        HealthSample counts;
    };
    std::array<Told, driveTableSize> told_{};
};

// What the counts of a drive are called: "70 reallocated sectors", "1 pending sector",
// "attributes 5, 197 failed in the past"; "no caution counts" when it has none.
std::string cautionCountsText(const CautionJudgement& judgement);

// healthAcceptedEvent for drive `number`: its label, model, serial number and the counts accepted.
LogEvent healthAccepted(const RefreshResult& result, int number);

// Why accepting drive `number`'s health did not take, for a message box; empty when it took.
// `placeProblem` is why there was no history to record into (none: empty).
std::string acceptRefusal(const RefreshResult& result, int number, const std::string& placeProblem,
                          const SystemMessages& messages);

}  // namespace kestrine
