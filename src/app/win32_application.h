#pragma once
// The whole program: common controls, the main window run modally, and back.
#include <windows.h>

#include "probe/device_port.h"

namespace kestrine {

// `commandTail` is the command line after the program's own name (may be null). The main
// window probes drives through `devices`. Returns 0 when the window has ended.
int runApplication(HINSTANCE instance, const char* commandTail, DevicePort& devices);

}  // namespace kestrine
