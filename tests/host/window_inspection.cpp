#include "window_inspection.h"

#include <charconv>
#include <sstream>

namespace kestrine::scripted {
namespace {

template <typename Number>
bool parseNumber(const std::string& text, Number& value) {
    auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return status == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

std::string formatMenuLine(const MenuLine& line) {
    return line.menu + '\t' + std::to_string(line.position) + '\t' + std::to_string(line.command) +
           '\t' + std::to_string(line.state) + '\t' + line.text + '\n';
}

std::vector<MenuLine> parseMenuDump(const std::string& text) {
    std::vector<MenuLine> lines;
    std::istringstream input(text);
    std::string raw;
    while (std::getline(input, raw)) {
        std::istringstream fields(raw);
        MenuLine line;
        std::string position, command, state;
        if (!std::getline(fields, line.menu, '\t') || !std::getline(fields, position, '\t') ||
            !std::getline(fields, command, '\t') || !std::getline(fields, state, '\t'))
            continue;
        std::getline(fields, line.text);
        if (parseNumber(position, line.position) && parseNumber(command, line.command) &&
            parseNumber(state, line.state))
            lines.push_back(line);
    }
    return lines;
}

std::string formatIconDump(const IconDump& icons) {
    return "small\t" + std::to_string(icons.small) + "\nbig\t" + std::to_string(icons.big) + "\n";
}

bool parseIconDump(const std::string& text, IconDump& icons) {
    std::istringstream input(text);
    std::string name, value;
    bool small = false, big = false;
    while (std::getline(input, name, '\t') && std::getline(input, value)) {
        if (name == "small") small = parseNumber(value, icons.small);
        if (name == "big") big = parseNumber(value, icons.big);
    }
    return small && big;
}

}  // namespace kestrine::scripted
