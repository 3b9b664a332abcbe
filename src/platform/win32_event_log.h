#pragma once
// ReportEventA behind the event-log port, under the source "Kestrine" in the Application log.
#include <windows.h>

#include "platform/win32_handle.h"
#include "tray/event_log.h"

namespace kestrine {

class Win32EventLog : public EventLog {
public:
    // Registers the source on this computer. Windows takes events from a source that the
    // installer did not register too; it then shows their strings without the sentence.
    Win32EventLog();

    // False when the source could not be registered or the event not written.
    bool report(const LogEvent& event) override;

private:
    UniqueEventSource source_;
};

// The event log's type for `type`.
WORD eventLogType(EventType type);

}  // namespace kestrine
