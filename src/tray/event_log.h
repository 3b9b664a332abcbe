#pragma once
// The Windows event log as the program writes to it: one event of a type, with a fixed id
// and the strings that the message table's sentence for that id takes in order (%1, %2, ...).
// The Win32 adapter reports it under the source "Kestrine" in the Application log.
#include <cstdint>
#include <string>
#include <vector>

namespace kestrine {

enum class EventType { Error, Warning, Information };

struct LogEvent {
    EventType type = EventType::Information;
    std::uint32_t id = 0;
    std::vector<std::string> strings;
    bool operator==(const LogEvent&) const = default;
};

class EventLog {
public:
    virtual ~EventLog() = default;
    virtual bool report(const LogEvent& event) = 0;
};

}  // namespace kestrine
