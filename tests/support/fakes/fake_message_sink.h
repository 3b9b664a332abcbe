#pragma once
// Keeps the texts of the message boxes the program would have shown.
#include <string>
#include <vector>

#include "settings/message_sink.h"

namespace kestrine::testing {

class RecordingMessageSink : public MessageSink {
public:
    std::vector<std::string> shown;
    void show(const std::string& text) override { shown.push_back(text); }
};

}  // namespace kestrine::testing
