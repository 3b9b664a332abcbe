#include "report/report_arguments.h"

#include <optional>
#include <set>
#include <string_view>
#include <utility>

namespace kestrine {

namespace {

std::optional<ReportFormat> formatNamed(const std::string& name) {
    if (name == "text") return ReportFormat::Text;
    if (name == "json") return ReportFormat::Json;
    if (name == "nagios") return ReportFormat::Nagios;
    return std::nullopt;
}

ParsedArguments refused(std::string error) { return {false, {}, std::move(error)}; }

// The options whose value is taken as it stands.
const std::pair<std::string_view, std::string ReportOptions::*> textOptions[] = {
    {"--prometheus", &ReportOptions::prometheusFile},
    {"--save-replies", &ReportOptions::saveRepliesFolder},
    {"--replay", &ReportOptions::replayFolder},
};

std::string ReportOptions::*textOption(const std::string& argument) {
    for (const auto& [name, value] : textOptions)
        if (argument == name) return value;
    return nullptr;
}

}  // namespace

ParsedArguments parseReportArguments(const std::vector<std::string>& arguments) {
    ParsedArguments parsed{true, {}, {}};
    std::set<std::string> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string ReportOptions::*const text = textOption(argument);
        if (argument == "--help") {
            parsed.options.help = true;
        } else if (argument == "--version") {
            parsed.options.version = true;
        } else if (argument == "--details") {
            parsed.options.details = true;
        } else if (argument == "--format" || text != nullptr) {
            if (!given.insert(argument).second) return refused("option '" + argument + "' given twice");
            // An option word is never taken for a value: "--prometheus --help" lacks the file.
            if (i + 1 == arguments.size() || arguments[i + 1].empty() || arguments[i + 1].starts_with("--"))
                return refused("option '" + argument + "' needs a value");
            const std::string& value = arguments[++i];
            if (text != nullptr) {
                parsed.options.*text = value;
            } else if (const std::optional<ReportFormat> format = formatNamed(value)) {
                parsed.options.format = *format;
            } else {
                return refused("unknown format '" + value + "' (text, json or nagios)");
            }
        } else if (argument.starts_with("-")) {
            return refused("unknown option '" + argument + "'");
        } else {
            return refused("unexpected argument '" + argument + "'");
        }
    }
    if (given.count("--save-replies") != 0 && given.count("--replay") != 0)
        return refused("options '--save-replies' and '--replay' exclude each other");
    return parsed;
}

std::string reportUsage() {
    return "usage: kestrine-report [--format text|json|nagios] [--details] [--prometheus FILE] "
           "[--save-replies DIR | --replay DIR] [--help] [--version]\n";
}

std::string reportHelp() {
    return reportUsage() +
           "\n"
           "Probes the physical drives 0 to 15 and the volumes C: to Z: as the Kestrine window does,\n"
           "reads each drive's health (SMART attributes, or the NVMe health log, and its temperature),\n"
           "judges each volume against its warning percent, prints one report and exits.\n"
           "\n"
           "  --format text     a report for people (the default)\n"
           "  --format json     one JSON document\n"
           "  --format nagios   one status line with performance data, for monitoring plugins\n"
           "  --details         text format: each drive's whole attribute table or health log\n"
           "  --prometheus FILE also write the metrics in the Prometheus text format to FILE\n"
           "  --save-replies DIR\n"
           "                    also save what each drive answered into DIR, a new folder, to send\n"
           "                    for a drive that reads wrongly\n"
           "  --replay DIR      answer from the replies saved in DIR instead of the drives\n"
           "  --help            this text\n"
           "  --version         the program's version\n"
           "\n"
           "Exit status:\n"
           "  0  ok: no drive fails or is in caution, and every volume is at or above its warning\n"
           "     percent\n"
           "  1  warning: a volume is below its warning percent, or a drive is in caution: an early\n"
           "     sign such as reallocated, pending or uncorrectable sectors, a SMART attribute that\n"
           "     failed in the past, NVMe media errors or wear, or a temperature at its warning limit\n"
           "  2  critical: a drive predicts failure (storage prediction or SMART status), a SMART\n"
           "     attribute of a drive is failing now, or an NVMe drive sets a critical-warning bit\n"
           "  3  unknown: bad arguments, or the report could not be made\n";
}

}  // namespace kestrine
