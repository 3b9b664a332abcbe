#pragma once
// The few messages the program shows the user ("BadVolumeID", "Bad Config Data On Save"):
// the main window shows them as OK boxes captioned with the application's name.
#include <string>

namespace kestrine {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show(const std::string& text) = 0;
};

}  // namespace kestrine
