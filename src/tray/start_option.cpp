#include "tray/start_option.h"

#include <algorithm>

namespace kestrine {

namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool asksToStartHidden(std::string_view commandTail) {
    constexpr std::string_view option = "systemtray";
    const auto first = std::find_if(commandTail.begin(), commandTail.end(), isAsciiLetter);
    const std::string_view rest(first, commandTail.end());
    return std::equal(rest.begin(), rest.end(), option.begin(), option.end(),
                      [](char a, char b) { return asciiLower(a) == b; });
}

}  // namespace kestrine
