#pragma once
// The window's overall state, ok or warning, from the two problem counts before and after a
// refresh: its small icon, the tray's picture and tooltip, and whether it comes forward. The
// report has a status of its own and runs none of this.
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

// The counts of the refresh shown last, for the next evaluation; none before the first.
class StatusTracker {
public:
    StatusDecision update(int failingDrives, int volumeWarnings);

private:
    int failingDrives_ = 0;
    int volumeWarnings_ = 0;
};

}  // namespace kestrine
