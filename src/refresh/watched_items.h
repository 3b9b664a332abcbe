#pragma once
// The drives and volumes of one refresh as the notification and the event log name them.
#include <vector>

#include "refresh/refresh.h"
#include "tray/problem_news.h"

namespace kestrine {

// Every listed drive, then every volume the scan found, in slot order. A drive is a problem
// when its verdict is failing and ok when its verdict is ok; its line is its list label with
// the verdict's reasons, and its figures are the label, the reasons and its two prediction
// texts. A volume's figures are its name, percent free, free and total size and the warning
// percent the scan judged it by.
std::vector<WatchedItem> watchedItems(const RefreshResult& result);

// The items of `watchedItems` that are problems, in its order, without their texts.
std::vector<ProblemKey> problemsOf(const RefreshResult& result);

}  // namespace kestrine
