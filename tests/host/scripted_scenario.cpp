#include "scripted_scenario.h"

#include <array>
#include <charconv>
#include <limits>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrine::scripted {
namespace {

constexpr std::array<std::pair<std::string_view, DriveState>, 11> stateNames{{
    {"healthy", DriveState::Healthy},
    {"failing-spf", DriveState::FailingSpf},
    {"threshold-exceeded", DriveState::ThresholdExceeded},
    {"smart-query-fails", DriveState::SmartQueryFails},
    {"smart-unsupported", DriveState::SmartUnsupported},
    {"version-fails", DriveState::VersionFails},
    {"predict-fails", DriveState::PredictFails},
    {"identity-fails", DriveState::IdentityFails},
    {"access-denied", DriveState::AccessDenied},
    {"open-fails", DriveState::OpenFails},
    {"hostile", DriveState::Hostile},
}};

constexpr std::array<std::pair<std::string_view, HostileReply>, 6> hostileNames{{
    {"offsets-past-end", HostileReply::OffsetsPastEnd},
    {"negative-offsets", HostileReply::NegativeOffsets},
    {"unterminated", HostileReply::Unterminated},
    {"random-bytes", HostileReply::RandomBytes},
    {"short-replies", HostileReply::ShortReplies},
    {"silent-open-failure", HostileReply::SilentOpenFailure},
}};

constexpr std::array<std::pair<std::string_view, BridgeKind>, 2> bridgeNames{{
    {"sat", BridgeKind::Sat},
    {"sat12", BridgeKind::Sat12},
}};

constexpr std::uint32_t errorAccessDenied = 5;
constexpr std::uint32_t errorGenFailure = 31;
constexpr std::uint32_t errorInvalidFunction = 1;
constexpr std::uint32_t errorIoDevice = 1117;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool parseUnsigned(std::string_view text, std::uint32_t& value) {
    if (text.empty()) return false;
    auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return status == std::errc() && end == text.data() + text.size();
}

// Splits one line into words; a word may hold a quoted part (key="a b"). False on an
// unterminated quote.
bool splitWords(std::string_view line, std::vector<std::string>& words) {
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i == line.size()) break;
        std::string word;
        while (i < line.size() && !isBlank(line[i])) {
            if (line[i] == '"') {
                std::size_t close = line.find('"', i + 1);
                if (close == std::string_view::npos) return false;
                word.append(line.substr(i + 1, close - i - 1));
                i = close + 1;
            } else {
                word.push_back(line[i++]);
            }
        }
        words.push_back(std::move(word));
    }
    return true;
}

// Looks `word` up in a table of names; false when it is not there.
template <typename Value, std::size_t N>
bool lookUp(const std::array<std::pair<std::string_view, Value>, N>& names, std::string_view word, Value& value) {
    for (const auto& [name, named] : names) {
        if (word == name) {
            value = named;
            return true;
        }
    }
    return false;
}

bool applyKey(const std::string& word, DriveScript& drive, std::string& problem) {
    std::size_t equals = word.find('=');
    if (equals == std::string::npos) {
        problem = "expected key=value, got '" + word + "'";
        return false;
    }
    std::string key = word.substr(0, equals);
    std::string value = word.substr(equals + 1);
    std::uint32_t number = 0;
    if (key == "vendor") {
        drive.vendor = value;
    } else if (key == "product") {
        drive.product = value;
    } else if (key == "serial") {
        drive.serial = value;
    } else if (key == "bus" && parseUnsigned(value, number)) {
        drive.bus = number;
    } else if (key == "removable" && (value == "0" || value == "1")) {
        drive.removable = value == "1";
    } else if (key == "code" && parseUnsigned(value, number) && number != 0) {
        drive.code = number;
    } else if (key == "reply" && lookUp(hostileNames, value, drive.hostile)) {
        // the look-up has stored the kind of reply
    } else if (key == "seed" && parseUnsigned(value, number)) {
        drive.seed = number;
    } else if (key == "bridge" && lookUp(bridgeNames, value, drive.bridge)) {
        // the look-up has stored the kind of bridge
    } else if (key == "model") {
        drive.model = value;
    } else if (key == "drive-serial") {
        drive.driveSerial = value;
    } else {
        problem = "bad key or value '" + word + "'";
        return false;
    }
    return true;
}

// A number no larger than `max`: decimal, or hexadecimal after 0x.
bool parseNumber(std::string_view text, std::uint64_t max, std::uint64_t& value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return false;
    auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return status == std::errc() && end == text.data() + text.size() && value <= max;
}

// The key=value words of a health line. Each field takes its key; a key no field takes, a
// repeated key or a bad value is the line's problem.
class KeyValues {
public:
    bool read(const std::vector<std::string>& words) {
        for (std::size_t k = 2; k < words.size(); ++k) {
            const std::size_t equals = words[k].find('=');
            if (equals == std::string::npos) return fail("expected key=value, got '" + words[k] + "'");
            if (!values_.emplace(words[k].substr(0, equals), words[k].substr(equals + 1)).second)
                return fail("key '" + words[k].substr(0, equals) + "' given twice");
        }
        return true;
    }

    template <typename Number>
    bool number(const std::string& key, std::uint64_t max, Number& field) {
        const auto found = values_.find(key);
        if (found == values_.end()) return true;
        std::uint64_t value = 0;
        if (!parseNumber(found->second, max, value)) return bad(found->first, found->second);
        field = static_cast<Number>(value);
        values_.erase(found);
        return true;
    }

    bool counter(const std::string& key, Counter128& field) {
        return number(key, std::numeric_limits<std::uint64_t>::max(), field.low);
    }

    bool degrees(const std::string& key, std::int16_t& field) {
        const auto found = values_.find(key);
        if (found == values_.end()) return true;
        const std::string& text = found->second;
        auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), field);
        if (text.empty() || status != std::errc() || end != text.data() + text.size()) return bad(found->first, text);
        values_.erase(found);
        return true;
    }

    bool allTaken() { return values_.empty() || bad(values_.begin()->first, values_.begin()->second); }

    const std::string& problem() const { return problem_; }

private:
    bool fail(std::string problem) {
        problem_ = std::move(problem);
        return false;
    }
    bool bad(const std::string& key, const std::string& value) {
        return fail("bad key or value '" + key + "=" + value + "'");
    }

    std::map<std::string, std::string> values_;
    std::string problem_;
};

bool readAttribute(KeyValues& keys, testing::AttributeRow& row) {
    return keys.number("id", 0xFF, row.id) && keys.number("flags", 0xFFFF, row.flags) &&
           keys.number("current", 0xFF, row.current) && keys.number("worst", 0xFF, row.worst) &&
           keys.number("raw", 0xFFFF'FFFF'FFFF, row.raw) && keys.number("threshold", 0xFF, row.threshold);
}

bool readNvmeLog(KeyValues& keys, NvmeHealth& log) {
    return keys.number("warning", 0xFF, log.criticalWarning) && keys.number("kelvin", 0xFFFF, log.compositeKelvin) &&
           keys.number("spare", 0xFF, log.availableSpare) &&
           keys.number("spare-threshold", 0xFF, log.availableSpareThreshold) &&
           keys.number("used", 0xFF, log.percentageUsed) && keys.counter("read", log.dataUnitsRead) &&
           keys.counter("written", log.dataUnitsWritten) && keys.counter("power-cycles", log.powerCycles) &&
           keys.counter("hours", log.powerOnHours) && keys.counter("unsafe-shutdowns", log.unsafeShutdowns) &&
           keys.counter("media-errors", log.mediaErrors) && keys.counter("error-log-entries", log.errorLogEntries);
}

bool readTemperature(KeyValues& keys, TemperatureScript& temperature) {
    return keys.degrees("current", temperature.current) && keys.degrees("warning", temperature.warning) &&
           keys.degrees("critical", temperature.critical);
}

// A health line adds to a drive an earlier line has named. A line that fails may leave the
// drive half-changed; parseScenario then discards the whole scenario.
bool parseHealthLine(const std::vector<std::string>& words, DriveScript& drive, std::string& problem) {
    const std::string& kind = words[1];
    KeyValues keys;
    if (kind == "attribute") {
        if (drive.attributes.size() == maxScriptedAttributes) {
            problem = "more than ";  // appended in steps: GCC 12 misreads one chain of + as overlapping copies
            problem.append(std::to_string(maxScriptedAttributes)).append(" attributes");
            return false;
        }
        testing::AttributeRow row;
        if (keys.read(words) && readAttribute(keys, row) && keys.allTaken()) {
            drive.attributes.push_back(row);
            return true;
        }
    } else if (kind == "nvme-log" ? drive.nvmeLog.has_value() : drive.temperature.has_value()) {
        problem = "a second " + kind + " line";
        return false;
    } else if (kind == "nvme-log") {
        if (keys.read(words) && readNvmeLog(keys, drive.nvmeLog.emplace()) && keys.allTaken()) return true;
    } else if (keys.read(words) && readTemperature(keys, drive.temperature.emplace()) && keys.allTaken()) {
        return true;
    }
    problem = keys.problem();
    return false;
}

bool isHealthLine(const std::string& kind) {
    return kind == "attribute" || kind == "nvme-log" || kind == "temperature";
}

bool parseLine(std::string_view line, Scenario& scenario, std::string& problem) {
    std::vector<std::string> words;
    if (!splitWords(line, words)) {
        problem = "unterminated quote";
        return false;
    }
    if (words.empty()) return true;
    if (words[0] == "standard-user") {
        if (words.size() == 1) {
            scenario.standardUser = true;
            return true;
        }
        problem = "standard-user takes nothing after it";
        return false;
    }
    std::uint32_t number = 0;
    if (!parseUnsigned(words[0], number) || number > highestScriptedDrive) {
        problem = "bad drive number '" + words[0] + "'";
        return false;
    }
    if (words.size() < 2) {
        problem = "missing state";
        return false;
    }
    const auto named = scenario.drives.find(static_cast<int>(number));
    if (isHealthLine(words[1])) {
        if (named != scenario.drives.end()) return parseHealthLine(words, named->second, problem);
        problem = words[1] + " line before drive " + words[0] + " is named";
        return false;
    }
    if (named != scenario.drives.end()) {
        problem = "drive " + words[0] + " named twice";
        return false;
    }
    DriveScript drive;
    if (!lookUp(stateNames, words[1], drive.state)) {
        problem = "unknown state '" + words[1] + "'";
        return false;
    }
    for (std::size_t k = 2; k < words.size(); ++k) {
        if (!applyKey(words[k], drive, problem)) return false;
    }
    scenario.drives[static_cast<int>(number)] = drive;
    return true;
}

}  // namespace

bool parseScenario(const std::string& text, Scenario& scenario, std::string& error) {
    scenario = Scenario{};
    std::istringstream lines(text);
    std::string line;
    for (int lineNumber = 1; std::getline(lines, line); ++lineNumber) {
        std::string_view content(line);
        content = content.substr(0, content.find('#'));
        std::string problem;
        if (!parseLine(content, scenario, problem)) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            scenario = Scenario{};
            return false;
        }
    }
    return true;
}

std::uint32_t failureCode(const DriveScript& drive) {
    if (drive.code != 0) return drive.code;
    switch (drive.state) {
        case DriveState::AccessDenied: return errorAccessDenied;
        case DriveState::IdentityFails: return errorIoDevice;
        case DriveState::SmartQueryFails: return errorGenFailure;
        default: return errorInvalidFunction;
    }
}

std::uint8_t ReplyBytes::next() {
    // xorshift32: cheap, and every seed but 0 cycles through all other 32-bit values.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<std::uint8_t>(state_ >> 24);
}

}  // namespace kestrine::scripted
