#include "platform/win32_utc_clock.h"

#include <windows.h>

namespace kestrine {

namespace {

// FILETIME counts 100-nanosecond intervals since 1601-01-01.
constexpr std::int64_t intervalsPerSecond = 10'000'000;
constexpr std::int64_t secondsFrom1601To1970 = 11'644'473'600;

}  // namespace

UtcSeconds utcNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const std::int64_t intervals =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return intervals / intervalsPerSecond - secondsFrom1601To1970;
}

}  // namespace kestrine
