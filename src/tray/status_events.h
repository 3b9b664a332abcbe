#pragma once
// The events the window writes: one per change of a drive's or volume's state, never one per
// refresh, and one when the settings cannot be saved. The ids are fixed: administrators'
// collectors select them, and resources/kestrine_events.mc gives each its sentence.
#include <cstdint>
#include <string>
#include <vector>

#include "tray/event_log.h"
#include "tray/problem_news.h"

namespace kestrine {

inline constexpr char eventSourceName[] = "Kestrine";

inline constexpr std::uint32_t driveFailingEvent = 100;      // error: label, reasons, prediction, SMART status
inline constexpr std::uint32_t driveOkEvent = 101;           // information: the same (no reasons)
inline constexpr std::uint32_t volumeLowEvent = 200;         // warning: name, percent, free, total, limit
inline constexpr std::uint32_t volumeOkEvent = 201;          // information: the same figures
inline constexpr std::uint32_t settingsNotSavedEvent = 300;  // error: the settings file's path

// The new problems' events first, then the recoveries', each in the order of the items.
std::vector<LogEvent> statusEvents(const ProblemNews& news);

LogEvent settingsNotSaved(const std::string& settingsPath);

}  // namespace kestrine
