#pragma once
// The events the window writes: one per change of a drive's or volume's state, never one per
// refresh, and one when the settings cannot be read or saved. The ids are fixed: administrators'
// collectors select them, and resources/kestrine_events.mc gives each its sentence.
#include <cstdint>
#include <string>
#include <vector>

#include "probe/device_port.h"
#include "tray/event_log.h"
#include "tray/problem_news.h"

namespace kestrine {

inline constexpr char eventSourceName[] = "Kestrine";

inline constexpr std::uint32_t driveFailingEvent = 100;      // error: label, reasons, prediction, SMART status
inline constexpr std::uint32_t driveOkEvent = 101;           // information: the same (no reasons)
inline constexpr std::uint32_t cautionGrownEvent = 110;      // warning: label, model, serial, count, value, accepted
inline constexpr std::uint32_t healthAcceptedEvent = 111;    // information: label, model, serial, the counts accepted
inline constexpr std::uint32_t volumeLowEvent = 200;         // warning: name, percent, free, total, limit
inline constexpr std::uint32_t volumeOkEvent = 201;          // information: the same figures
inline constexpr std::uint32_t settingsNotSavedEvent = 300;  // error: the settings file's path
inline constexpr std::uint32_t settingsNotReadEvent = 301;   // error: the file's path, the system's error
inline constexpr std::uint32_t settingsFolderRefusedEvent = 302;  // error: the folder's path
inline constexpr std::uint32_t historyNotRecordedEvent = 303;     // warning: the history's path, why
inline constexpr std::uint32_t historySetAsideEvent = 304;        // warning: its path, what it was, where it went

// The new problems' events first, then the recoveries', each in the order of the items.
std::vector<LogEvent> statusEvents(const ProblemNews& news);

LogEvent settingsNotSaved(const std::string& settingsPath);
// The file is there but could not be read: the system's text for `error` and its code.
LogEvent settingsNotRead(const std::string& settingsPath, std::uint32_t error, const SystemMessages& messages);
// A copy with administrator rights did not write into a folder someone else may have redirected.
LogEvent settingsFolderRefused(const std::string& folder);
LogEvent historyNotRecorded(const std::string& historyPath, const std::string& why);
LogEvent historySetAside(const std::string& historyPath, const std::string& what, const std::string& asidePath);

}  // namespace kestrine
