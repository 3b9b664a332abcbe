#include "report/report_arguments.h"

#include <array>
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

// Each option: its spellings (the first is its name in messages), and the switch it sets, or
// the text it takes as it stands; an option with neither is --format.
struct Option {
    std::array<std::string_view, 3> spellings;
    bool ReportOptions::*flag;
    std::string ReportOptions::*text;
};

const Option options[] = {
    {{"--help", "-h", "/?"}, &ReportOptions::help, nullptr},
    {{"--version"}, &ReportOptions::version, nullptr},
    {{"--details"}, &ReportOptions::details, nullptr},
    {{"--format"}, nullptr, nullptr},
    {{"--prometheus"}, nullptr, &ReportOptions::prometheusFile},
    {{"--save-replies"}, nullptr, &ReportOptions::saveRepliesFolder},
    {{"--replay"}, nullptr, &ReportOptions::replayFolder},
    {{"--history"}, nullptr, &ReportOptions::historyFile},
    {{"--accept"}, nullptr, &ReportOptions::acceptText},
};

// "all", or a disk number 0 to 15 in decimal; false when it is neither.
bool takeAccept(ReportOptions& taken) {
    const std::string& text = taken.acceptText;
    if (text.empty()) return true;
    if (text == "all") {
        taken.accept = AcceptScope::AllDrives;
        return true;
    }
    if (text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    taken.acceptDrive = std::stoi(text);
    taken.accept = AcceptScope::OneDrive;
    return taken.acceptDrive < driveTableSize;
}

const Option* optionSpelled(std::string_view word) {
    for (const Option& option : options)
        for (const std::string_view spelling : option.spellings)
            if (!spelling.empty() && word == spelling) return &option;
    return nullptr;
}

// Takes an option's value; false with the error when it is refused.
bool take(ReportOptions& taken, const Option& option, const std::string& value, std::string& error) {
    if (option.text != nullptr) {
        taken.*option.text = value;
    } else if (const std::optional<ReportFormat> format = formatNamed(value)) {
        taken.format = *format;
    } else {
        error = "unknown format '" + value + "' (text, json or nagios)";
        return false;
    }
    return true;
}

}  // namespace

ParsedArguments parseReportArguments(const std::vector<std::string>& arguments) {
    ParsedArguments parsed{true, {}, {}};
    std::set<const Option*> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // "--format=json" is "--format json".
        const std::size_t equals = argument.starts_with("--") ? argument.find('=') : std::string::npos;
        const std::string word = argument.substr(0, equals);
        const Option* option = optionSpelled(word);
        if (option == nullptr || (equals != std::string::npos && option->flag != nullptr)) {
            if (argument.starts_with("-")) return refused("unknown option '" + argument + "'");
            return refused("unexpected argument '" + argument + "'");
        }
        const std::string name(option->spellings[0]);
        if (!given.insert(option).second) return refused("option '" + name + "' given twice");
        if (option->flag != nullptr) {
            parsed.options.*option->flag = true;
            continue;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("--")) {
            value = arguments[++i];  // an option word is never taken for a value: "--prometheus --help" lacks the file
        }
        if (value.empty()) return refused("option '" + name + "' needs a value");
        if (!take(parsed.options, *option, value, parsed.error)) return refused(parsed.error);
    }
    if (!parsed.options.saveRepliesFolder.empty() && !parsed.options.replayFolder.empty())
        return refused("options '--save-replies' and '--replay' exclude each other");
    if (!takeAccept(parsed.options))
        return refused("option '--accept' takes 'all' or a disk number 0 to " + std::to_string(driveTableSize - 1) +
                       ", not '" + parsed.options.acceptText + "'");
    if (parsed.options.accept != AcceptScope::None && !parsed.options.replayFolder.empty() &&
        parsed.options.historyFile.empty())
        return refused("option '--accept' with '--replay' needs '--history FILE': a replay records no history");
    return parsed;
}

ReportFormat chosenFormat(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::optional<ReportFormat> format;
        if (arguments[i] == "--format" && i + 1 < arguments.size()) format = formatNamed(arguments[i + 1]);
        if (arguments[i].starts_with("--format=")) format = formatNamed(arguments[i].substr(9));
        if (format) return *format;
    }
    return ReportFormat::Text;
}

std::string reportUsage() {
    return "usage: kestrine-report [--format text|json|nagios] [--details] [--prometheus FILE] "
           "[--save-replies DIR | --replay DIR] [--history FILE] [--accept all|N] [--help] [--version]\n";
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
           "  --history FILE    record each drive's health into FILE instead of KSTMH.dat beside the\n"
           "                    settings file (a replay records only with this option)\n"
           "  --accept all|N    accept the current health of every drive, or of disk N, before\n"
           "                    judging: its caution counts warn again only when they grow\n"
           "  --help, -h, /?    this text\n"
           "  --version         the program's version\n"
           "\n"
           "An option with a value may also be written --format=json. Each option may be given once.\n"
           "\n"
           "Exit status:\n"
           "  0  ok: no drive fails or is in caution, and every volume is at or above its warning\n"
           "     percent\n"
           "  1  warning: a volume is below its warning percent, or a drive is in caution: an early\n"
           "     sign such as reallocated, pending or uncorrectable sectors, a SMART attribute that\n"
           "     failed in the past or NVMe media errors, each new or grown since it was accepted;\n"
           "     NVMe wear, or a temperature at its warning limit\n"
           "  2  critical: a drive predicts failure (storage prediction or SMART status), a SMART\n"
           "     attribute of a drive is failing now, or an NVMe drive sets a critical-warning bit\n"
           "  3  unknown: bad arguments, a folder refused (no saved replies in it, or one to save into\n"
           "     that exists), or all is well but the run met a problem of its own (no drive letters,\n"
           "     a warning percent in the settings file outside 1 to 50, the metrics file or the health\n"
           "     history not written, a damaged history set aside);\n"
           "     such a problem never hides 1 or 2\n"
           "\n"
           "Every exit prints in the format asked for: bad arguments too, when a valid --format is\n"
           "among them.\n";
}

}  // namespace kestrine
