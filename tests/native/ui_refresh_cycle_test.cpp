#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/refresh_cycle.h"

namespace kestrine {
namespace {

// A cycle right after a refresh (the start-up request already served).
RefreshCycle afterRefresh() {
    RefreshCycle cycle;
    cycle.tick(false);
    cycle.refreshed();
    return cycle;
}

// Runs `count` ticks and collects the countdown texts written; fails on any refresh.
std::vector<std::string> textsOver(RefreshCycle& cycle, int count) {
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        const TickPlan plan = cycle.tick(false);
        EXPECT_FALSE(plan.refresh) << "tick " << i;
        if (plan.writeCountdown) texts.push_back(plan.countdown);
    }
    return texts;
}

TEST(RefreshCycle, StartsCountingWithTheFirstRefreshPending) {
    const RefreshCycle cycle;
    EXPECT_EQ(cycle.tickCount, 0);
    EXPECT_EQ(cycle.refreshPeriod, 36000);
    EXPECT_TRUE(cycle.autoRefresh);
    EXPECT_TRUE(cycle.refreshPending);
}

TEST(RefreshCycle, FirstTickShowsTwoHoursAndRefreshesOnce) {
    RefreshCycle cycle;
    const TickPlan first = cycle.tick(false);
    EXPECT_TRUE(first.writeCountdown);
    EXPECT_EQ(first.countdown, "2:00:00");
    EXPECT_TRUE(first.refresh);
    EXPECT_FALSE(cycle.refreshPending);
    EXPECT_FALSE(cycle.tick(false).refresh);
}

TEST(RefreshCycle, PendingRefreshRunsEvenWithAutomaticRefreshOff) {
    RefreshCycle cycle;
    cycle.toggleAutoRefresh();
    const TickPlan first = cycle.tick(false);
    EXPECT_TRUE(first.refresh);
    EXPECT_FALSE(first.writeCountdown);
}

TEST(RefreshCycle, TextIsRewrittenEveryEighthTickInSteps) {
    RefreshCycle cycle = afterRefresh();
    const std::vector<std::string> expected{"2:00:00", "1:59:58", "1:59:56", "1:59:55", "1:59:53"};
    EXPECT_EQ(textsOver(cycle, 40), expected);
}

TEST(RefreshCycle, AutomaticRefreshRunsOnTheTickThatReaches36001) {
    RefreshCycle cycle = afterRefresh();
    const std::vector<std::string> texts = textsOver(cycle, 36000);
    EXPECT_EQ(cycle.tickCount, 36000);
    EXPECT_EQ(texts.back(), "1 Sec");
    const TickPlan due = cycle.tick(false);
    EXPECT_TRUE(due.refresh);
    EXPECT_TRUE(due.writeCountdown);  // 36000 is a multiple of 8: the last text, for 0 s left
    EXPECT_EQ(due.countdown, "1 Sec");
    cycle.refreshed();
    EXPECT_EQ(cycle.tickCount, 0);
    EXPECT_EQ(cycle.tick(false).countdown, "2:00:00");
}

// A message box inside a refresh keeps the ticks coming while the count is past the period.
TEST(RefreshCycle, NoRefreshStartsWhileOneIsRunning) {
    RefreshCycle cycle = afterRefresh();
    textsOver(cycle, 36000);
    ASSERT_TRUE(cycle.tick(false).refresh);
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(cycle.tick(true).refresh) << "tick " << i;
    cycle.refreshed();
    EXPECT_EQ(cycle.tickCount, 0);
}

TEST(RefreshCycle, StartUpRefreshWaitsForARunningOne) {
    RefreshCycle cycle;
    EXPECT_FALSE(cycle.tick(true).refresh);  // "&Refresh Data" before the first tick is still running
    EXPECT_TRUE(cycle.refreshPending);
    cycle.refreshed();
    EXPECT_TRUE(cycle.tick(false).refresh);
}

TEST(RefreshCycle, SwitchingOffFreezesTheCountAndAsksForManualRefreshText) {
    RefreshCycle cycle = afterRefresh();
    textsOver(cycle, 5);
    EXPECT_FALSE(cycle.toggleAutoRefresh());
    EXPECT_STREQ(manualRefreshText, "Manual Refresh");
    EXPECT_TRUE(textsOver(cycle, 40000).empty());  // no text, no refresh, however long
    EXPECT_EQ(cycle.tickCount, 5);
}

TEST(RefreshCycle, SwitchingOnResumesAtTheNextMultipleOfEight) {
    RefreshCycle cycle = afterRefresh();
    textsOver(cycle, 5);
    cycle.toggleAutoRefresh();
    textsOver(cycle, 100);
    EXPECT_TRUE(cycle.toggleAutoRefresh());
    // Counts 5, 6 and 7 leave "Manual Refresh" standing; count 8 writes the frozen countdown.
    EXPECT_TRUE(textsOver(cycle, 3).empty());
    EXPECT_EQ(textsOver(cycle, 1), std::vector<std::string>{"1:59:58"});
}

TEST(RefreshCycle, RefreshByCommandWhileOffRestartsTheCountSilently) {
    RefreshCycle cycle = afterRefresh();
    textsOver(cycle, 20);
    cycle.toggleAutoRefresh();
    cycle.refreshed();
    EXPECT_EQ(cycle.tickCount, 0);
    EXPECT_TRUE(textsOver(cycle, 16).empty());
    cycle.toggleAutoRefresh();
    EXPECT_EQ(textsOver(cycle, 1), std::vector<std::string>{"2:00:00"});
}

}  // namespace
}  // namespace kestrine
