#pragma once
// The history's times as text and back: "2026-12-07T15:24:30Z" in the report, and the compact
// "20261207T152430Z" in the name of a file set aside.
#include <optional>
#include <string>

#include "history/health_history.h"

namespace kestrine {

enum class UtcStyle { Extended, Compact };

std::string utcTimeText(UtcSeconds time, UtcStyle style = UtcStyle::Extended);

// "YYYY-MM-DDTHH:MM:SSZ" as seconds since 1970 (negative before); none for any other text or an
// impossible date or time.
std::optional<UtcSeconds> parseUtcTime(const std::string& text);

// How long ago a sample was read, rounded down to whole minutes, hours or days: "read 1 hour
// ago", "read 5 minutes ago", "read 2 days ago"; "read less than a minute ago" under one.
std::string readAgoText(UtcSeconds age);

}  // namespace kestrine
