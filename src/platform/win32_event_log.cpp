#include "platform/win32_event_log.h"

#include <vector>

#include "kestrine_events.h"  // the message table's ids, written by windmc
#include "tray/status_events.h"

namespace kestrine {

// The events' ids in the core and their sentences in the message table go together.
static_assert(driveFailingEvent == MSG_DRIVE_FAILING);
static_assert(driveOkEvent == MSG_DRIVE_OK);
static_assert(volumeLowEvent == MSG_VOLUME_LOW);
static_assert(volumeOkEvent == MSG_VOLUME_OK);
static_assert(settingsNotSavedEvent == MSG_SETTINGS_NOT_SAVED);
static_assert(settingsNotReadEvent == MSG_SETTINGS_NOT_READ);
static_assert(settingsFolderRefusedEvent == MSG_SETTINGS_FOLDER_REFUSED);

WORD eventLogType(EventType type) {
    switch (type) {
        case EventType::Error: return EVENTLOG_ERROR_TYPE;
        case EventType::Warning: return EVENTLOG_WARNING_TYPE;
        case EventType::Information: break;
    }
    return EVENTLOG_INFORMATION_TYPE;
}

Win32EventLog::Win32EventLog() : source_(RegisterEventSourceA(nullptr, eventSourceName)) {}

bool Win32EventLog::report(const LogEvent& event) {
    if (!source_.valid()) return false;
    std::vector<const char*> strings;
    for (const std::string& text : event.strings) strings.push_back(text.c_str());
    return ReportEventA(source_.get(), eventLogType(event.type), 0, event.id, nullptr,
                        static_cast<WORD>(strings.size()), 0, strings.data(), nullptr) != FALSE;
}

}  // namespace kestrine
