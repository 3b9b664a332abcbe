#include "scripted_scenario.h"

#include <array>
#include <charconv>
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
    } else {
        problem = "bad key or value '" + word + "'";
        return false;
    }
    return true;
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
    if (scenario.drives.count(static_cast<int>(number)) != 0) {
        problem = "drive " + words[0] + " named twice";
        return false;
    }
    if (words.size() < 2) {
        problem = "missing state";
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
