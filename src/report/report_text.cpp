#include "report/report_text.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "probe/drive_texts.h"
#include "volumes/byte_size.h"

namespace kestrine {

namespace {

using Row = std::vector<std::string>;

// One line per cell: outer blanks (the system's error texts end in a line break) go, inner
// control characters show as '?', and an empty cell shows as "-" to keep the columns readable.
std::string cell(const std::string& text) {
    std::string shown = trimBlanks(text);
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    return shown.empty() ? "-" : shown;
}

// Columns two blanks apart, each as wide as its widest cell; no blanks at line ends.
std::string alignedTable(const std::vector<Row>& rows) {
    std::vector<std::size_t> widths;
    for (const Row& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    std::string table;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line.append(widths[i] - row[i].size() + 2, ' ');
        }
        table += line + '\n';
    }
    return table;
}

Row driveRow(const DriveEntry& drive) {
    const DriveRecord& r = drive.record;
    Row row{"Disk " + std::to_string(r.driveNumber)};
    if (drive.identity == IdentityState::Read) {
        row.insert(row.end(),
                   {cell(r.displayName), cell(r.serial), cell(r.busTypeText), r.removable ? "Removable" : "Fixed"});
    } else {
        row.insert(row.end(), {cell(drive.cannotReadText), "-", "-", "-"});
    }
    row.push_back(describeState(drive.spf).text);
    row.push_back(describeState(drive.smart).text);
    return row;
}

Row volumeRow(const VolumeRow& volume) {
    return {volumeName(volume.slot),
            cell(volume.label),
            volumePercentText(volume.percentFree),
            formatByteSize(volume.freeBytes),
            formatByteSize(volume.totalBytes),
            std::to_string(volume.warningPercent) + " %" + (volume.usesDefault ? " (default)" : " (own)"),
            volume.inWarning ? "warning" : "ok"};
}

// A header and one row per item, or `none` when there are no items.
template <typename Item>
std::string table(const std::vector<Item>& items, Row header, Row (*rowOf)(const Item&), const char* none) {
    if (items.empty()) return none;
    std::vector<Row> rows{std::move(header)};
    for (const Item& item : items) rows.push_back(rowOf(item));
    return alignedTable(rows);
}

}  // namespace

std::string writeTextReport(const Report& report) {
    std::string text = "Kestrine " + cell(report.programVersion) + ", " + cell(report.utcTime) + '\n';
    text += std::string("Warning percents: ") + thresholdSourceText(report.thresholds) + "\n\n";

    text += table(report.drives, {"Drive", "Name", "Serial", "Bus", "Type", "SPF Status", "SMART Status"}, driveRow,
                  "No drives listed.\n");
    text += '\n';
    text += table(report.volumes, {"Volume", "Label", "Free", "Free Space", "Total Size", "Warning At", "State"},
                  volumeRow, "No volumes listed.\n");
    text += std::string("\nStatus: ") + statusWord(report.status) + " - " + cell(report.reason) + '\n';
    return text;
}

}  // namespace kestrine
