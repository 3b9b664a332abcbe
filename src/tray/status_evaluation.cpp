#include "tray/status_evaluation.h"

namespace kestrine {

StatusDecision evaluateStatus(int oldDrives, int oldVolumes, int newDrives, int newVolumes) {
    StatusDecision decision;
    const bool wasOk = oldDrives == 0 && oldVolumes == 0;
    decision.isOk = newDrives == 0 && newVolumes == 0;
    decision.stateChanged = wasOk != decision.isOk;
    decision.tooltip = decision.isOk ? "Drive Status Ok" : "Drive Status Warning";
    decision.bringForward = oldVolumes < newVolumes || oldDrives < newDrives;
    return decision;
}

StatusDecision StatusTracker::update(int failingDrives, int volumeWarnings) {
    const StatusDecision decision = evaluateStatus(failingDrives_, volumeWarnings_, failingDrives, volumeWarnings);
    failingDrives_ = failingDrives;
    volumeWarnings_ = volumeWarnings;
    return decision;
}

}  // namespace kestrine
