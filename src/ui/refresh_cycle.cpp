#include "ui/refresh_cycle.h"

#include "ui/countdown.h"

namespace kestrine {

namespace {

constexpr std::int32_t ticksPerRewrite = 8;

}  // namespace

TickPlan RefreshCycle::tick(bool refreshRunning) {
    TickPlan plan;
    if (autoRefresh) {
        if (tickCount % ticksPerRewrite == 0) {
            plan.writeCountdown = true;
            plan.countdown = countdownText(refreshPeriod - tickCount);
        }
        ++tickCount;
    }
    if (refreshRunning) return plan;
    if (refreshPending) {
        refreshPending = false;
        plan.refresh = true;
    } else if (tickCount > refreshPeriod) {
        plan.refresh = true;
    }
    return plan;
}

void RefreshCycle::refreshed() { tickCount = 0; }

bool RefreshCycle::toggleAutoRefresh() {
    autoRefresh = !autoRefresh;
    return autoRefresh;
}

}  // namespace kestrine
