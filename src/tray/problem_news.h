#pragma once
// What a refresh found that the refresh before it did not: the drives that newly predict
// failure and the volumes newly below their warning percent, for the tray's notification and
// the event log; and the problems that turned ok again, for the event log.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace kestrine {

inline constexpr char notificationTitle[] = "Drive Status Warning";
inline constexpr std::size_t notificationLines = 3;  // then "and N more"

// One drive or volume as a refresh saw it.
struct WatchedItem {
    enum class Kind { Drive, Volume };
    Kind kind = Kind::Drive;
    int number = 0;                    // the drive number, or the volume's drive-letter slot
    bool problem = false;              // failing by its verdict, or below its warning percent
    bool ok = false;                   // judged and fine (a drive with a caution is neither)
    std::string line;                  // the notification's line: "Disk 1 - WDC WD5000AAKS predicts failure"
    std::vector<std::string> figures;  // what its event names: the item and its numbers
};

// A problem by its item: the kind and the drive number or slot.
using ProblemKey = std::pair<WatchedItem::Kind, int>;

struct ProblemNews {
    std::vector<WatchedItem> appeared;   // problems the previous refresh did not have
    std::vector<WatchedItem> recovered;  // last refresh's problems that are ok now
};

// Remembers the problems of the last refresh. Before the first refresh there are none, so
// every problem of the first refresh is new. A problem whose item is missing at a refresh, or
// neither a problem nor ok (a caution), is forgotten without news: seen again, it is new again.
class ProblemWatch {
public:
    ProblemNews update(const std::vector<WatchedItem>& now);
    // True when `problems` are the last refresh's, in order: an update would then tell nothing
    // and change nothing, so the items and their texts need not be made.
    bool holds(const std::vector<ProblemKey>& problems) const { return problems == lastProblems_; }

private:
    std::vector<ProblemKey> lastProblems_;
};

// The notification's text: one line per piece of news (a new problem's, a grown count's), at
// most `notificationLines`, then "and N more". Empty when nothing is new.
std::string notificationText(const std::vector<std::string>& lines);

}  // namespace kestrine
