#include "history/utc_time.h"

#include <chrono>
#include <cstdio>
#include <string_view>
#include <utility>

namespace kestrine {

std::string utcTimeText(UtcSeconds time, UtcStyle style) {
    using namespace std::chrono;
    const sys_seconds at{seconds{time}};
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss clock{at - day};
    const char* format = style == UtcStyle::Compact ? "%04d%02u%02uT%02d%02d%02dZ" : "%04d-%02u-%02uT%02d:%02d:%02dZ";
    char text[40];
    std::snprintf(text, sizeof text, format, static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count()));
    return text;
}

std::optional<UtcSeconds> parseUtcTime(const std::string& text) {
    using namespace std::chrono;
    // Digits only where the pattern has a digit: no sign, no blank and no shorter field slips in.
    constexpr std::string_view pattern = "0000-00-00T00:00:00Z";
    if (text.size() != pattern.size()) return std::nullopt;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool digitWanted = pattern[i] == '0';
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (digitWanted ? !digit : text[i] != pattern[i]) return std::nullopt;
    }
    const auto number = [&text](std::size_t at, std::size_t length) {
        unsigned value = 0;
        for (std::size_t i = at; i < at + length; ++i) value = value * 10 + static_cast<unsigned>(text[i] - '0');
        return value;
    };
    const int year = static_cast<int>(number(0, 4));
    const unsigned month = number(5, 2), day = number(8, 2), hour = number(11, 2), minute = number(14, 2),
                   second = number(17, 2);
    const year_month_day date{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
    // A leap second counts as the first second of the next minute.
    if (!date.ok() || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    const sys_seconds at = sys_days{date} + hours{hour} + minutes{minute} + seconds{second};
    return at.time_since_epoch().count();
}

std::string readAgoText(UtcSeconds age) {
    constexpr UtcSeconds minute = 60, hour = 60 * minute, day = 24 * hour;
    if (age < minute) return "read less than a minute ago";
    const auto [unit, name] = age < hour  ? std::pair{minute, "minute"}
                              : age < day ? std::pair{hour, "hour"}
                                          : std::pair{day, "day"};
    const UtcSeconds count = age / unit;
    return "read " + std::to_string(count) + ' ' + name + (count == 1 ? "" : "s") + " ago";
}

}  // namespace kestrine
