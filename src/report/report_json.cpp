#include "report/report_json.h"

#include <cmath>
#include <optional>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "history/utc_time.h"
#include "probe/drive_texts.h"
#include "volumes/byte_size.h"
#include "volumes/volume_scan.h"

namespace kestrine {

namespace {

using Fields = std::vector<std::pair<std::string_view, std::string>>;  // name, JSON value

std::string object(const Fields& fields, std::string_view open = "{", std::string_view between = ", ",
                   std::string_view close = "}") {
    std::string text(open);
    for (const auto& [name, value] : fields) {
        if (text.size() > open.size()) text += between;
        text += '"';
        text += name;
        text += "\": " + value;
    }
    return text += close;
}

// Items one per line, inside a member of the top-level object.
std::string array(const std::vector<std::string>& items) {
    if (items.empty()) return "[]";
    std::string text = "[";
    for (const std::string& item : items) text += (text.size() > 1 ? ",\n    " : "\n    ") + item;
    return text + "\n  ]";
}

std::string boolean(bool value) { return value ? "true" : "false"; }

std::string integer(std::int64_t value) { return std::to_string(value); }

// JSON has no literal for a value that is not finite.
std::string number(double value) { return std::isfinite(value) ? decimalNumber(value) : "null"; }

template <typename Integer>
std::string optionalInteger(const std::optional<Integer>& value) {
    return value ? integer(*value) : "null";
}

std::string attributeObject(const AtaAttribute& attribute) {
    return object({
        {"id", integer(attribute.id)},
        {"name", '"' + std::string(attribute.name) + '"'},  // plain ASCII from the program's own table
        {"flags", integer(attribute.flags)},
        {"current", integer(attribute.current)},
        {"worst", integer(attribute.worst)},
        {"threshold", attribute.hasThreshold ? integer(attribute.threshold) : "null"},
        {"raw", integer(static_cast<std::int64_t>(attribute.raw))},
        {"preFailure", boolean(attribute.preFailure)},
        {"failingNow", boolean(attribute.failingNow)},
    });
}

std::string ataObject(const AtaHealth& health, const AnsiConverter& converter) {
    std::string attributes = "[";
    for (const AtaAttribute& attribute : health.attributes)
        attributes += (attributes.size() > 1 ? ", " : "") + attributeObject(attribute);
    Fields fields = {
        {"attributes", attributes + ']'},
        {"thresholdsUnavailableReason", jsonString(health.thresholdsUnavailableReason, converter)},
        {"temperatureCelsius", optionalInteger(health.temperatureCelsius)},
        {"powerOnHours", optionalInteger(health.powerOnHours)},
    };
    for (const AtaCount& count : ataCounts) fields.emplace_back(count.key, optionalInteger(health.*count.value));
    return object(fields);
}

// ["a", "b"] on one line.
std::string stringList(const std::vector<std::string>& items, const AnsiConverter& converter) {
    std::string list = "[";
    for (const std::string& item : items) list += (list.size() > 1 ? ", " : "") + jsonString(item, converter);
    return list + ']';
}

// The 128-bit counters as exact decimal text.
std::string counter(Counter128 value) { return '"' + decimalText(value) + '"'; }

std::string nvmeObject(const NvmeHealth& log) {
    std::string warnings = "[";
    for (const WarningBit& bit : criticalWarnings(log.criticalWarning))
        warnings += (warnings.size() > 1 ? ", \"" : "\"") + std::string(bit.name) + '"';
    return object({
        {"criticalWarning", integer(log.criticalWarning)},
        {"criticalWarnings", warnings + ']'},
        {"compositeTemperatureKelvin", integer(log.compositeKelvin)},
        {"compositeTemperatureCelsius", optionalInteger(log.compositeCelsius)},
        {"availableSparePercent", integer(log.availableSpare)},
        {"availableSpareThresholdPercent", integer(log.availableSpareThreshold)},
        {"percentageUsed", integer(log.percentageUsed)},
        {"dataUnitBytes", integer(nvmeDataUnitBytes)},
        {"dataUnitsRead", counter(log.dataUnitsRead)},
        {"dataUnitsWritten", counter(log.dataUnitsWritten)},
        {"powerCycles", counter(log.powerCycles)},
        {"powerOnHours", counter(log.powerOnHours)},
        {"unsafeShutdowns", counter(log.unsafeShutdowns)},
        {"mediaErrors", counter(log.mediaErrors)},
        {"errorLogEntries", counter(log.errorLogEntries)},
    });
}

std::string temperatureObject(const TemperatureReading& reading, const AnsiConverter& converter) {
    return object({
        {"available", boolean(reading.available)},
        {"currentCelsius", optionalInteger(reading.current)},
        {"warningCelsius", optionalInteger(reading.warning)},
        {"criticalCelsius", optionalInteger(reading.critical)},
        {"unavailableReason", jsonString(reading.unavailableReason, converter)},
    });
}

// The drive behind a bridge, as the bridge's answers showed it.
std::string bridgeObject(const BridgeHealth& bridge, const AnsiConverter& converter) {
    return object({
        {"model", jsonString(bridge.model, converter)},
        {"serial", jsonString(bridge.serial, converter)},
        {"identityUnavailableReason", jsonString(bridge.identityUnavailableReason, converter)},
        {"smartStatus", '"' + std::string(satStatusIdentifier(bridge.status)) + '"'},
        {"smartStatusUnknownReason", jsonString(bridge.statusUnknownReason, converter)},
        {"cdbSize", bridge.cdbSize ? integer(static_cast<int>(*bridge.cdbSize)) : "null"},
    });
}

std::string healthObject(const DriveEntry& drive, const AnsiConverter& converter) {
    const DriveHealth& health = drive.health;
    Fields fields = {
        {"source", '"' + std::string(healthSourceName(health.source)) + '"'},
        {"critical", boolean(isHealthCritical(health))},
        {"temperatureCelsius", optionalInteger(driveTemperature(health))},
    };
    switch (health.source) {
        case HealthSource::AtaSmart:
        case HealthSource::SatSmart: fields.emplace_back("ata", ataObject(health.ata, converter)); break;
        case HealthSource::NvmeLog: fields.emplace_back("nvme", nvmeObject(health.nvme)); break;
        case HealthSource::None:
            fields.emplace_back("unavailableReason", jsonString(health.unavailableReason, converter));
            break;
    }
    if (health.bridge) fields.emplace_back("bridge", bridgeObject(*health.bridge, converter));
    fields.emplace_back("temperatureProperty", temperatureObject(health.temperature, converter));
    return object(fields);
}

std::string timeText(const std::optional<UtcSeconds>& time) { return time ? '"' + utcTimeText(*time) + '"' : "null"; }

std::string idList(const std::set<std::uint8_t>& ids) {
    std::string list = "[";
    for (const std::uint8_t id : ids) list += (list.size() > 1 ? ", " : "") + integer(id);
    return list + ']';
}

// One object per caution count above 0, then the past failures: the value, what was accepted
// of it and when (null until accepted), and its state.
std::string cautionList(const CautionJudgement& cautions) {
    std::vector<std::string> items;
    for (const CountJudgement& count : cautions.counts)
        items.push_back(object({
            {"count", '"' + std::string(count.name) + '"'},
            {"value", std::to_string(count.value)},
            {"accepted", count.accepted ? std::to_string(count.accepted->value) : "null"},
            {"acceptedTime", timeText(count.accepted ? std::optional(count.accepted->time) : std::nullopt)},
            {"state", '"' + std::string(cautionStateIdentifier(count.state)) + '"'},
        }));
    if (const std::optional<PastFailureJudgement>& past = cautions.pastFailures) {
        std::set<std::uint8_t> accepted;
        for (const std::uint8_t id : past->ids)
            if (past->unaccepted.count(id) == 0) accepted.insert(id);
        items.push_back(object({
            {"count", "\"failedInThePast\""},
            {"value", idList(past->ids)},
            {"accepted", accepted.empty() ? "null" : idList(accepted)},
            {"acceptedTime", timeText(past->acceptedAt)},
            {"state", '"' + std::string(cautionStateIdentifier(past->state)) + '"'},
        }));
    }
    std::string list = "[";
    for (const std::string& item : items) list += (list.size() > 1 ? ", " : "") + item;
    return list + ']';
}

std::string historyObject(const std::optional<HistorySummary>& history) {
    if (!history) return "null";
    return object({
        {"firstSample", timeText(history->firstSample)},
        {"samples", integer(static_cast<std::int64_t>(history->samples))},
        {"lastAccepted", timeText(history->lastAccepted)},
    });
}

std::string driveObject(const DriveEntry& drive, const AnsiConverter& converter) {
    const auto string = [&converter](const std::string& text) { return jsonString(text, converter); };
    const DriveRecord& r = drive.record;
    const bool read = drive.identity == IdentityState::Read;
    // The status error means nothing while SMART is unusable.
    const std::uint32_t statusError = drive.smart == SmartState::NoData ? 0 : r.statusError;
    return object({
        {"number", integer(r.driveNumber)},
        {"label", string(driveLabel(r.driveNumber, r.identityError, r.displayName))},
        {"identity", string(identityIdentifier(drive.identity))},
        {"identityError", integer(r.identityError)},
        {"identityErrorText", string(drive.cannotReadText)},
        {"name", string(r.displayName)},
        {"vendor", string(r.vendor)},
        {"product", string(r.product)},
        {"serial", string(r.serial)},
        {"bus", string(r.busTypeText)},
        {"busType", read ? integer(r.busType) : "null"},
        {"removable", read ? boolean(r.removable) : "null"},
        {"spf",
         object({{"state", string(stateLook(drive.spf).identifier)}, {"text", string(stateLook(drive.spf).text)}})},
        {"smart", object({{"state", string(stateLook(drive.smart).identifier)},
                          {"text", string(stateLook(drive.smart).text)},
                          {"capable", boolean(smartUsable(r))},
                          {"versionError", integer(r.versionError)},
                          {"statusError", integer(statusError)}})},
        {"failurePredicted", boolean(failurePredicted(drive))},
        {"status", string(driveStatusIdentifier(drive.verdict.status))},
        {"statusReasons", stringList(drive.verdict.reasons, converter)},
        {"health", healthObject(drive, converter)},
        {"cautions", cautionList(drive.cautions)},
        {"history", historyObject(drive.history)},
    });
}

std::string volumeObject(const VolumeRow& volume, const AnsiConverter& converter) {
    return object({
        {"volume", jsonString(volumeName(volume.slot), converter)},
        {"label", jsonString(volume.label, Utf8Text())},
        {"totalBytes", integer(volume.totalBytes)},
        {"freeBytes", integer(volume.freeBytes)},
        {"percentFree", number(volume.percentFree)},
        {"totalText", jsonString(formatByteSize(volume.totalBytes), converter)},
        {"freeText", jsonString(formatByteSize(volume.freeBytes), converter)},
        {"percentText", jsonString(percentDown(volume.percentFree, 1) + " %", converter)},
        {"warningPercent", integer(volume.warningPercent)},
        {"warningPercentFrom", jsonString(volume.usesDefault ? "default" : "own", converter)},
        {"state", jsonString(volume.inWarning ? "warning" : "ok", converter)},
    });
}

}  // namespace

std::string writeJsonReport(const Report& report, const AnsiConverter& converter) {
    std::vector<std::string> drives;
    for (const DriveEntry& drive : report.drives) drives.push_back(driveObject(drive, converter));
    std::vector<std::string> volumes;
    for (const VolumeRow& volume : report.volumes) volumes.push_back(volumeObject(volume, converter));

    const Fields members = {
        {"format", integer(reportJsonFormat)},
        {"programVersion", jsonString(report.programVersion, converter)},
        {"time", jsonString(report.utcTime, converter)},
        {"status", jsonString(statusIdentifier(report.status), converter)},
        {"exitCode", integer(exitCode(report.status))},
        {"reason", jsonString(reasonText(report), converter)},
        {"thresholds", object({{"source", jsonString(thresholdSourceIdentifier(report.thresholds), converter)},
                               {"text", jsonString(thresholdSourceText(report.thresholds), converter)}})},
        {"drives", array(drives)},
        {"volumes", array(volumes)},
    };
    return object(members, "{\n  ", ",\n  ", "\n}\n");
}

}  // namespace kestrine
