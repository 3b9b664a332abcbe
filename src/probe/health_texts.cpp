#include "probe/health_texts.h"

#include <cstdio>

#include "history/utc_time.h"
#include "probe/ata_health.h"

namespace kestrine {

const char* driveStatusIdentifier(DriveStatus status) {
    switch (status) {
        case DriveStatus::Caution: return "caution";
        case DriveStatus::Failing: return "failing";
        case DriveStatus::Ok: break;
    }
    return "ok";
}

const char* cautionStateIdentifier(CautionState state) {
    switch (state) {
        case CautionState::Grown: return "grown";
        case CautionState::Accepted: return "accepted";
        case CautionState::New: break;
    }
    return "new";
}

std::string cautionNoun(std::string_view name) {
    for (const AtaCount& count : ataCounts)
        if (count.key == name) return std::string(count.noun);
    return "media errors";
}

namespace {

std::string acceptedOn(UtcSeconds time) { return " accepted on " + utcTimeText(time); }

}  // namespace

std::string cautionCountText(const CountJudgement& count) {
    std::string text =
        cautionNoun(count.name) + ' ' + std::to_string(count.value) + " - " + cautionStateIdentifier(count.state);
    if (count.accepted) text += ", " + std::to_string(count.accepted->value) + acceptedOn(count.accepted->time);
    return text;
}

std::string pastFailureText(const PastFailureJudgement& past) {
    std::string ids;
    for (const std::uint8_t id : past.ids) ids += (ids.empty() ? "" : ", ") + std::to_string(id);
    std::string text = "attributes failed in the past " + ids + " - " + cautionStateIdentifier(past.state);
    if (past.acceptedAt) text += "," + acceptedOn(*past.acceptedAt);
    return text;
}

std::vector<std::pair<std::string, std::string>> nvmeLogFields(const NvmeHealth& log) {
    char warning[8];
    std::snprintf(warning, sizeof warning, "0x%02X", static_cast<unsigned>(log.criticalWarning));
    std::string warnings;
    for (const WarningBit& bit : criticalWarnings(log.criticalWarning))
        warnings += (warnings.empty() ? " (" : ", ") + std::string(bit.name);
    const std::string kelvin = std::to_string(log.compositeKelvin) + " K";
    return {
        {"Critical warning", warning + warnings + (warnings.empty() ? "" : ")")},
        {"Composite temperature",
         log.compositeCelsius ? std::to_string(*log.compositeCelsius) + " C (" + kelvin + ")" : kelvin},
        {"Available spare",
         std::to_string(log.availableSpare) + " % (threshold " + std::to_string(log.availableSpareThreshold) + " %)"},
        {"Percentage used", std::to_string(log.percentageUsed) + " %"},
        {"Data units read", decimalText(log.dataUnitsRead) + " (512,000 bytes each)"},
        {"Data units written", decimalText(log.dataUnitsWritten) + " (512,000 bytes each)"},
        {"Power cycles", decimalText(log.powerCycles)},
        {"Power-on hours", decimalText(log.powerOnHours)},
        {"Unsafe shutdowns", decimalText(log.unsafeShutdowns)},
        {"Media and data integrity errors", decimalText(log.mediaErrors)},
        {"Error log entries", decimalText(log.errorLogEntries)},
    };
}

}  // namespace kestrine
