#pragma once
// The 200 ms tick's clock: counts down to the next automatic refresh, decides when the
// countdown text is rewritten and when a refresh runs. The window does the hand-over and the
// selection follow-ups first, then asks tick() what to do, writes the text and refreshes.
#include <cstdint>
#include <string>

namespace kestrine {

inline constexpr char manualRefreshText[] = "Manual Refresh";

struct TickPlan {
    bool writeCountdown = false;  // set the "Next Refresh" text to `countdown`
    std::string countdown;
    bool refresh = false;  // run a refresh, then refreshed()
};

class RefreshCycle {
public:
    std::int32_t tickCount = 0;          // ticks since the last refresh, while counting
    std::int32_t refreshPeriod = 36000;  // two hours of 200 ms ticks
    bool autoRefresh = true;
    bool refreshPending = true;  // the refresh on the first tick after start

    // One tick: the countdown text every eighth counted tick, then the refresh check, which
    // waits while a refresh runs (`Refresh::running`: a message box inside it delivers ticks).
    TickPlan tick(bool refreshRunning);
    // A refresh has finished: the countdown starts again.
    void refreshed();
    // "&Automatic Refresh ": switching off freezes the count, switching on resumes it.
    // Returns the new state: the menu item's check mark; off also shows manualRefreshText.
    bool toggleAutoRefresh();
};

}  // namespace kestrine
