#pragma once
// The overall state, ok or warning, from the two problem counts before and after a refresh.
#include <string>

namespace kestrine {

// The tray tooltip from start until the state first changes.
inline constexpr char startTooltip[] = "Smart Status Ok";

struct StatusDecision {
    bool stateChanged = false;  // swap the small window icon, tray picture and tooltip
    bool isOk = true;           // the state after the refresh
    std::string tooltip;        // "Drive Status Ok" or "Drive Status Warning"
    bool bringForward = false;  // a count grew: restore a minimized window
};

StatusDecision evaluateStatus(int oldDrives, int oldVolumes, int newDrives, int newVolumes);

}  // namespace kestrine
