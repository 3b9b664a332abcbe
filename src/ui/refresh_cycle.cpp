#include "ui/refresh_cycle.h"

#include "ui/countdown.h"

namespace kestrine {

namespace {

constexpr std::int32_t ticksPerRewrite = 8;

}  // namespace

TickPlan RefreshCycle::tick() {
    TickPlan plan;
    if (autoRefresh) {
        if (tickCount % ticksPerRewrite == 0) {
            plan.writeCountdown = true;
            plan.countdown = countdownText(refreshPeriod - tickCount);
        }
        ++tickCount;
    }
    if (refreshing) return plan;
    if (refreshPending) {
        refreshPending = false;
        plan.refresh = true;
    } else if (tickCount > refreshPeriod) {
        plan.refresh = true;
    }
    return plan;
}

bool RefreshCycle::beginRefresh() {
    if (refreshing) return false;
    refreshing = true;
    return true;
}

void RefreshCycle::refreshed() {
    tickCount = 0;
    refreshing = false;
}

bool RefreshCycle::toggleAutoRefresh() {
    autoRefresh = !autoRefresh;
    return autoRefresh;
}

}  // namespace kestrine
