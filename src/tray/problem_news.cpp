#include "tray/problem_news.h"

#include <algorithm>

namespace kestrine {

ProblemNews ProblemWatch::update(const std::vector<WatchedItem>& now) {
    const auto wasProblem = [this](const WatchedItem& item) {
        return std::find(lastProblems_.begin(), lastProblems_.end(), std::pair(item.kind, item.number)) !=
               lastProblems_.end();
    };
    ProblemNews news;
    std::vector<ProblemKey> problems;
    for (const WatchedItem& item : now) {
        if (item.problem) {
            problems.emplace_back(item.kind, item.number);
            if (!wasProblem(item)) news.appeared.push_back(item);
        } else if (item.ok && wasProblem(item)) {
            news.recovered.push_back(item);
        }
    }
    lastProblems_ = std::move(problems);
    return news;
}

std::string notificationText(const std::vector<std::string>& lines) {
    std::string text;
    const std::size_t shown = std::min(lines.size(), notificationLines);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) text += '\n';
        text += lines[i];
    }
    if (lines.size() > shown) text += "\nand " + std::to_string(lines.size() - shown) + " more";
    return text;
}

}  // namespace kestrine
