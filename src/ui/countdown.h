#pragma once
// The "Next Refresh" text: the time left until the automatic refresh.
#include <cstdint>
#include <string>

namespace kestrine {

// Five ticks make a second. Shows H:MM:SS, M:SS, "N Secs" or, for the last two seconds,
// "1 Sec". A negative count (never expected) reads as nothing left.
std::string countdownText(std::int32_t ticksLeft);

}  // namespace kestrine
