#pragma once
// The "SystemTray" start option: start with the window hidden in the notification area.
#include <string_view>

namespace kestrine {

// The command-line tail (without the program's name) asks to start hidden when, after its
// leading non-letters, the whole rest is "SystemTray" in any case.
bool asksToStartHidden(std::string_view commandTail);

}  // namespace kestrine
