#include "window_inspection.h"

#include <charconv>
#include <iterator>
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
    return line.menu + '\t' + std::to_string(line.position) + '\t' + std::to_string(line.command) + '\t' +
           std::to_string(line.state) + '\t' + line.text + '\n';
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

namespace {

struct CountField {
    const char* name;
    long ObjectCounts::*count;
};

constexpr CountField countFields[] = {{"icons", &ObjectCounts::icons},
                                      {"brushes", &ObjectCounts::brushes},
                                      {"imagelists", &ObjectCounts::imageLists},
                                      {"windows", &ObjectCounts::windows}};

}  // namespace

std::string formatObjectCounts(const ObjectCounts& counts) {
    std::string text;
    for (const CountField& field : countFields)
        text += std::string(field.name) + '\t' + std::to_string(counts.*field.count) + '\n';
    return text;
}

bool parseObjectCounts(const std::string& text, ObjectCounts& counts) {
    std::istringstream input(text);
    std::string name, value;
    unsigned found = 0;
    while (std::getline(input, name, '\t') && std::getline(input, value)) {
        for (std::size_t index = 0; index < std::size(countFields); ++index) {
            if (name == countFields[index].name && parseNumber(value, counts.*countFields[index].count))
                found |= 1u << index;
        }
    }
    return found == (1u << std::size(countFields)) - 1;
}

}  // namespace kestrine::scripted
