#include "report/report_text.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "history/utc_time.h"
#include "probe/drive_texts.h"
#include "report/text_encoding.h"
#include "volumes/byte_size.h"
#include "volumes/volume_scan.h"

namespace kestrine {

namespace {

using Row = std::vector<std::string>;

// One line per cell, in UTF-8 (device strings and the system's texts come in its code page):
// outer blanks (the system's error texts end in a line break) go, inner control characters
// show as '?', and an empty cell shows as "-" to keep the columns readable.
std::string cell(const std::string& text, const AnsiConverter& converter) {
    const std::string shown = controlsShown(utf8Text(trimBlanks(text), converter));
    return shown.empty() ? "-" : shown;
}

// The columns a cell takes: its characters, each a UTF-8 sequence.
std::size_t widthOf(const std::string& cell) {
    return static_cast<std::size_t>(
        std::count_if(cell.begin(), cell.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::vector<std::size_t> columnWidths(const std::vector<Row>& rows) {
    std::vector<std::size_t> widths;
    for (const Row& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], widthOf(row[i]));
    }
    return widths;
}

// Columns two blanks apart, each as wide as its widest cell; no blanks at line ends.
std::string alignedLine(const Row& row, const std::vector<std::size_t>& widths, std::string_view indent = "") {
    std::string line(indent);
    for (std::size_t i = 0; i < row.size(); ++i) {
        line += row[i];
        if (i + 1 < row.size()) line.append(widths[i] - widthOf(row[i]) + 2, ' ');
    }
    return line + '\n';
}

std::string alignedTable(const std::vector<Row>& rows, std::string_view indent) {
    const std::vector<std::size_t> widths = columnWidths(rows);
    std::string table;
    for (const Row& row : rows) table += alignedLine(row, widths, indent);
    return table;
}

// --- health ------------------------------------------------------------------------------

constexpr std::string_view healthIndent = "  ";
constexpr std::string_view detailIndent = "    ";

const AtaAttribute* attributeWithId(const DriveHealth& health, std::uint8_t id) {
    for (const AtaAttribute& attribute : health.ata.attributes)
        if (attribute.id == id) return &attribute;
    return nullptr;
}

// "power-on 8000 hours" for a present attribute; "power-on unknown" when its raw value is not
// the quantity it usually counts.
void addRawValue(std::vector<std::string>& parts, const DriveHealth& health, std::uint8_t id,
                 const std::optional<std::uint32_t>& value, std::string_view what, std::string_view unit = "") {
    if (attributeWithId(health, id) == nullptr) return;
    parts.push_back(std::string(what) + ' ' + (value ? std::to_string(*value) + std::string(unit) : "unknown"));
}

// The numbers a person checks first, ", " apart.
std::string headline(const DriveHealth& health) {
    std::vector<std::string> parts;
    if (const std::optional<int> degrees = driveTemperature(health))
        parts.push_back("temperature " + std::to_string(*degrees) + " C");
    if (hasAtaTable(health)) {
        addRawValue(parts, health, 9, health.ata.powerOnHours, "power-on", " hours");
        for (const AtaCount& count : ataCounts)
            addRawValue(parts, health, count.id, health.ata.*count.value, count.word);
    } else if (health.source == HealthSource::NvmeLog) {
        const NvmeHealth& log = health.nvme;
        parts.push_back("power-on " + decimalText(log.powerOnHours) + " hours");
        parts.push_back("used " + std::to_string(log.percentageUsed) + " %");
        parts.push_back("available spare " + std::to_string(log.availableSpare) + " % (threshold " +
                        std::to_string(log.availableSpareThreshold) + " %)");
        parts.push_back("media errors " + decimalText(log.mediaErrors));
    }
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
    return text;
}

// "  Status: caution - reallocated sectors: 8; pending sectors: 2", or just "  Status: ok".
std::string statusLine(const DriveVerdict& verdict, const AnsiConverter& converter) {
    std::string line = std::string(healthIndent) + "Status: " + driveStatusIdentifier(verdict.status);
    for (std::size_t i = 0; i < verdict.reasons.size(); ++i)
        line += (i == 0 ? " - " : "; ") + cell(verdict.reasons[i], converter);
    return line + '\n';
}

// Whether anything of the drive's counts was accepted: without, its status line names them all.
bool anythingAccepted(const CautionJudgement& cautions) {
    return std::any_of(cautions.counts.begin(), cautions.counts.end(),
                       [](const CountJudgement& count) { return count.accepted.has_value(); }) ||
           (cautions.pastFailures && cautions.pastFailures->acceptedAt);
}

// Once something of the drive was accepted, one line per caution count above 0 and for the
// past failures: its value, its state, and what was accepted of it and when; then how far the
// drive's history goes back.
std::string cautionLines(const DriveEntry& drive) {
    const std::string indent(healthIndent);
    std::string lines;
    if (!anythingAccepted(drive.cautions) && !(drive.history && drive.history->lastAccepted)) return lines;
    for (const CountJudgement& count : drive.cautions.counts)
        lines += indent + "Caution count: " + cautionCountText(count) + '\n';
    if (const std::optional<PastFailureJudgement>& past = drive.cautions.pastFailures)
        lines += indent + "Caution count: " + pastFailureText(*past) + '\n';
    if (const std::optional<HistorySummary>& history = drive.history) {
        lines +=
            indent + "History: " + std::to_string(history->samples) + " sample" + (history->samples == 1 ? "" : "s");
        if (history->firstSample) lines += " since " + utcTimeText(*history->firstSample);
        if (history->lastAccepted) lines += ", last accepted on " + utcTimeText(*history->lastAccepted);
        lines += '\n';
    }
    return lines;
}

// The drive behind a bridge that answered: its own model and serial number, and what its SMART
// RETURN STATUS said when it said no verdict.
std::string bridgeLines(const BridgeHealth& bridge, const AnsiConverter& converter) {
    std::string lines = std::string(healthIndent) + "Behind the bridge: ";
    if (bridge.identityUnavailableReason.empty())
        lines += cell(bridge.model, converter) + ", serial " + cell(bridge.serial, converter) + '\n';
    else
        lines += "not identified - " + cell(bridge.identityUnavailableReason, converter) + '\n';
    if (bridge.status == SatStatus::Unknown)
        lines += std::string(healthIndent) + "SMART RETURN STATUS: no verdict - " +
                 cell(bridge.statusUnknownReason, converter) + '\n';
    return lines;
}

// One indented block: where the health came from with its headline, then every failing
// attribute or critical-warning bit on a line of its own.
std::string healthBlock(const DriveHealth& health, const AnsiConverter& converter) {
    std::string block(healthIndent);
    std::string_view separator = ": ";
    switch (health.source) {
        case HealthSource::AtaSmart: block += "Health (ATA SMART)"; break;
        case HealthSource::NvmeLog: block += "Health (NVMe log)"; break;
        case HealthSource::SatSmart: block += "Health (ATA SMART through the bridge)"; break;
        case HealthSource::None:
            block += "Health: not available - " + cell(health.unavailableReason, converter);
            separator = "; ";
            break;
    }
    if (const std::string numbers = headline(health); !numbers.empty()) block += std::string(separator) + numbers;
    block += '\n';
    for (const AtaAttribute& attribute : health.ata.attributes)
        if (attribute.failingNow)
            block += std::string(healthIndent) + "Failing now: attribute " + attributeTitle(attribute) + " (current " +
                     std::to_string(attribute.current) + ", threshold " + std::to_string(attribute.threshold) + ")\n";
    if (!health.ata.thresholdsUnavailableReason.empty())
        block += std::string(healthIndent) + "Thresholds: not available - " +
                 cell(health.ata.thresholdsUnavailableReason, converter) + '\n';
    if (health.source == HealthSource::NvmeLog)
        for (const WarningBit& bit : criticalWarnings(health.nvme.criticalWarning))
            block += std::string(healthIndent) + "Critical warning: " + std::string(bit.name) + '\n';
    if (health.bridge && health.bridge->cdbSize) block += bridgeLines(*health.bridge, converter);
    return block;
}

std::string attributeTable(const DriveHealth& health, const AnsiConverter& converter) {
    std::vector<Row> rows{
        {"ID", "Attribute", "Flags", "Current", "Worst", "Threshold", "Raw", "Pre-failure", "Failing now"}};
    for (const AtaAttribute& a : health.ata.attributes) {
        char flags[8];
        std::snprintf(flags, sizeof flags, "0x%04X", static_cast<unsigned>(a.flags));
        rows.push_back({std::to_string(a.id), cell(std::string(a.name), converter), flags, std::to_string(a.current),
                        std::to_string(a.worst), a.hasThreshold ? std::to_string(a.threshold) : "-",
                        std::to_string(a.raw), a.preFailure ? "yes" : "no", a.failingNow ? "yes" : "no"});
    }
    return alignedTable(rows, detailIndent);
}

std::string healthLog(const NvmeHealth& log) {
    std::vector<Row> rows;
    for (const auto& [name, value] : nvmeLogFields(log)) rows.push_back({name + ':', value});
    return alignedTable(rows, detailIndent);
}

std::string temperatureLine(const TemperatureReading& reading, const AnsiConverter& converter) {
    std::string line = std::string(detailIndent) + "Temperature property: ";
    if (!reading.available) return line + "not available - " + cell(reading.unavailableReason, converter) + "\n";
    // No sensor entry, or a value that is no temperature.
    const auto degrees = [](std::optional<int> value) { return value ? std::to_string(*value) + " C" : "unknown"; };
    return line + degrees(reading.current) + " (warning " + degrees(reading.warning) + ", critical " +
           degrees(reading.critical) + ")\n";
}

// The whole attribute table or health log, and the temperature property.
std::string healthDetails(const DriveHealth& health, const AnsiConverter& converter) {
    std::string details;
    if (hasAtaTable(health)) details += attributeTable(health, converter);
    if (health.source == HealthSource::NvmeLog) details += healthLog(health.nvme);
    return details + temperatureLine(health.temperature, converter);
}

Row driveRow(const DriveEntry& drive, const AnsiConverter& converter) {
    const DriveRecord& r = drive.record;
    Row row{"Disk " + std::to_string(r.driveNumber)};
    if (drive.identity == IdentityState::Read) {
        row.insert(row.end(), {cell(r.displayName, converter), cell(r.serial, converter),
                               cell(r.busTypeText, converter), r.removable ? "Removable" : "Fixed"});
    } else {
        row.insert(row.end(), {cell(drive.cannotReadText, converter), "-", "-", "-"});
    }
    row.push_back(stateLook(drive.spf).text);
    row.push_back(stateLook(drive.smart).text);
    return row;
}

// A volume label is UTF-8 already: the report reads it with the wide call.
Row volumeRow(const VolumeRow& volume) {
    return {volumeName(volume.slot),
            cell(volume.label, Utf8Text()),
            percentDown(volume.percentFree, 1) + " %",
            formatByteSize(volume.freeBytes),
            formatByteSize(volume.totalBytes),
            std::to_string(volume.warningPercent) + " %" + (volume.usesDefault ? " (default)" : " (own)"),
            volume.inWarning ? "warning" : "ok"};
}

// A header and one row per item, each followed by what `below` gives for it, or `none` when
// there are no items.
template <typename Item>
std::string table(const std::vector<Item>& items, Row header, const std::function<Row(const Item&)>& rowOf,
                  const char* none, const std::function<std::string(const Item&)>& below = {}) {
    if (items.empty()) return none;
    std::vector<Row> rows{std::move(header)};
    for (const Item& item : items) rows.push_back(rowOf(item));
    const std::vector<std::size_t> widths = columnWidths(rows);
    std::string text = alignedLine(rows[0], widths);
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += alignedLine(rows[i + 1], widths);
        if (below) text += below(items[i]);
    }
    return text;
}

}  // namespace

std::string writeTextReport(const Report& report, bool details, const AnsiConverter& converter) {
    std::string text =
        "Kestrine " + cell(report.programVersion, converter) + ", " + cell(report.utcTime, converter) + '\n';
    const std::string status =
        std::string("Status: ") + statusWord(report.status) + " - " + cell(reasonText(report), converter) + '\n';
    // A refused run read nothing: its problem is all there is to say.
    if (report.thresholds == ThresholdSource::NotRead) return text + status;
    text += std::string("Warning percents: ") + thresholdSourceText(report.thresholds) + "\n\n";

    const std::function<std::string(const DriveEntry&)> health = [details, &converter](const DriveEntry& drive) {
        return statusLine(drive.verdict, converter) + healthBlock(drive.health, converter) + cautionLines(drive) +
               (details ? healthDetails(drive.health, converter) : "");
    };
    const auto row = [&converter](const DriveEntry& drive) { return driveRow(drive, converter); };
    text += table<DriveEntry>(report.drives, {"Drive", "Name", "Serial", "Bus", "Type", "SPF Status", "SMART Status"},
                              row, "No drives listed.\n", health);
    text += '\n';
    text +=
        table<VolumeRow>(report.volumes, {"Volume", "Label", "Free", "Free Space", "Total Size", "Warning At", "State"},
                         volumeRow, "No volumes listed.\n");
    return text + '\n' + status;
}

}  // namespace kestrine
