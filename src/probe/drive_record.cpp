#include "probe/drive_record.h"

#include <algorithm>
#include <string_view>

#include "probe/drive_health.h"
#include "probe/drive_probe.h"

namespace kestrine {

bool isListed(const DriveRecord& r) { return r.present && r.probed; }

bool hasDetails(const DriveRecord& r) { return isListed(r) && r.identityValid; }

bool smartUsable(const DriveRecord& r) { return r.versionError == 0 && r.smartCapable; }

bool smartFromHealthLog(const DriveRecord& r) { return !smartUsable(r) && r.busType == busNvme; }

namespace {

// ASCII letters only, as descriptor strings are: the C library's toupper would ask the locale
// on every refresh.
bool namesNvme(const std::string& text) {
    constexpr std::string_view nvme = "NVME";
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    // A plain scan for the first letter: the drive list asks this of every bridged drive several
    // times a refresh.
    for (std::size_t at = 0; at + nvme.size() <= text.size(); ++at) {
        if (upper(text[at]) != nvme[0]) continue;
        if (upper(text[at + 1]) == nvme[1] && upper(text[at + 2]) == nvme[2] && upper(text[at + 3]) == nvme[3])
            return true;
    }
    return false;
}

// Refused for want of rights is no failure: a standard user keeps the view SMART gives it.
bool smartRequestsFailed(const DriveRecord& r) {
    if (!smartUsable(r)) return r.versionError != errorAccessDenied;
    return r.statusError != 0 && r.statusError != errorAccessDenied;
}

}  // namespace

bool translatingBus(std::uint32_t bus) { return bus == busUsb || bus == busScsi || bus == busSas || bus == busRaid; }

bool nvmeBehindUsbBridge(const DriveRecord& r) {
    return r.busType == busUsb && (namesNvme(r.vendor) || namesNvme(r.product));
}

bool smartThroughBridge(const DriveRecord& r) {
    return translatingBus(r.busType) && smartRequestsFailed(r) && !nvmeBehindUsbBridge(r);
}

SpfState spfState(const DriveRecord& r) {
    if (!r.predictQueried) return SpfState::NoData;
    return r.predictOk ? SpfState::Ok : SpfState::FailurePredicted;
}

SmartState smartState(const DriveRecord& r, const DriveHealth& health) {
    if (smartFromHealthLog(r)) {
        if (health.source != HealthSource::NvmeLog) return SmartState::NoData;
        return hasCriticalWarning(health.nvme) ? SmartState::FailurePredicted : SmartState::Ok;
    }
    if (smartThroughBridge(r)) {
        const SatStatus status = health.bridge ? health.bridge->status : SatStatus::Unknown;
        if (status == SatStatus::Unknown) return SmartState::NoData;
        return status == SatStatus::ThresholdExceeded ? SmartState::FailurePredicted : SmartState::Ok;
    }
    // Older status values stay in the record while SMART is unusable; they mean nothing then.
    if (!smartUsable(r)) return SmartState::NoData;
    if (r.statusError != 0) return SmartState::QueryFailed;
    return r.thresholdExceeded ? SmartState::FailurePredicted : SmartState::Ok;
}

namespace {

IndicatorLevel level(SpfState state) {
    switch (state) {
        case SpfState::Ok: return IndicatorLevel::Ok;
        case SpfState::FailurePredicted: return IndicatorLevel::FailurePredicted;
        case SpfState::NoData: break;
    }
    return IndicatorLevel::NoData;
}

IndicatorLevel level(SmartState state) {
    switch (state) {
        case SmartState::Ok: return IndicatorLevel::Ok;
        case SmartState::FailurePredicted: return IndicatorLevel::FailurePredicted;
        case SmartState::NoData:
        case SmartState::QueryFailed: break;
    }
    return IndicatorLevel::NoData;
}

}  // namespace

IndicatorLevel indicatorLevel(const DriveRecord& r, const DriveHealth& health) {
    return std::max(level(spfState(r)), level(smartState(r, health)));
}

}  // namespace kestrine
