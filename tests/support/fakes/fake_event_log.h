#pragma once
// The event log as the list of events reported to it.
#include <vector>

#include "tray/event_log.h"

namespace kestrine::testing {

class RecordingEventLog : public EventLog {
public:
    std::vector<LogEvent> events;
    bool report(const LogEvent& event) override {
        events.push_back(event);
        return true;
    }
};

}  // namespace kestrine::testing
