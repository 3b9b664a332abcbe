#include "probe/drive_record.h"

#include <algorithm>

namespace kestrine {

bool isListed(const DriveRecord& r) { return r.present && r.probed; }

bool hasDetails(const DriveRecord& r) { return isListed(r) && r.identityValid; }

bool smartUsable(const DriveRecord& r) { return r.versionError == 0 && r.smartCapable; }

SpfState spfState(const DriveRecord& r) {
    if (!r.predictQueried) return SpfState::NoData;
    return r.predictOk ? SpfState::Ok : SpfState::FailurePredicted;
}

SmartState smartState(const DriveRecord& r) {
    // Older status values stay in the record while SMART is unusable; they mean nothing then.
    if (!smartUsable(r)) return SmartState::NoData;
    if (r.statusError != 0) return SmartState::QueryFailed;
    return r.thresholdExceeded ? SmartState::FailurePredicted : SmartState::Ok;
}

namespace {

int level(SpfState state) {
    switch (state) {
        case SpfState::Ok: return 1;
        case SpfState::FailurePredicted: return 2;
        case SpfState::NoData: break;
    }
    return 0;
}

int level(SmartState state) {
    switch (state) {
        case SmartState::Ok: return 1;
        case SmartState::FailurePredicted: return 2;
        case SmartState::NoData:
        case SmartState::QueryFailed: break;
    }
    return 0;
}

}  // namespace

int indicatorLevel(const DriveRecord& r) {
    return std::max(level(spfState(r)), level(smartState(r)));
}

int failingDriveCount(const DriveTable& table) {
    return static_cast<int>(std::count_if(table.begin(), table.end(), [](const DriveRecord& r) {
        return isListed(r) && indicatorLevel(r) == 2;
    }));
}

}  // namespace kestrine
