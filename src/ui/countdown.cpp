#include "ui/countdown.h"

#include <cstdio>

namespace kestrine {

namespace {

constexpr std::int32_t ticksPerSecond = 5;

}  // namespace

std::string countdownText(std::int32_t ticksLeft) {
    const std::int32_t seconds = ticksLeft > 0 ? ticksLeft / ticksPerSecond : 0;
    const std::int32_t h = seconds / 3600;
    const std::int32_t m = (seconds - 3600 * h) / 60;
    const std::int32_t s = seconds - 3600 * h - 60 * m;
    char text[32];
    if (h > 0)
        std::snprintf(text, sizeof text, "%d:%02d:%02d", static_cast<int>(h), static_cast<int>(m), static_cast<int>(s));
    else if (m > 0)
        std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(m), static_cast<int>(s));
    else if (s >= 2)
        std::snprintf(text, sizeof text, "%d Secs", static_cast<int>(s));
    else
        return "1 Sec";
    return text;
}

}  // namespace kestrine
