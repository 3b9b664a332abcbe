#include "history/utc_time.h"

#include <chrono>
#include <cstdio>
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
    int year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char zone = 0;
    int length = 0;
    if (text.size() != 20 ||
        std::sscanf(text.c_str(), "%4d-%2u-%2uT%2u:%2u:%2u%c%n", &year, &month, &day, &hour, &minute, &second, &zone,
                    &length) != 7 ||
        zone != 'Z' || length != 20)
        return std::nullopt;
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
