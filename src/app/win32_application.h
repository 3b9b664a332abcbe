#pragma once
// The tray program's composition root: it builds the adapters, hands them to the main window
// and runs the window modally.
#include <windows.h>

#include "app/win32_platform.h"
#include "probe/device_port.h"
#include "ui/win32_main_window.h"

namespace kestrine {

// The main window's ports: `devices` and the adapters of `platform`.
MainWindowPorts mainWindowPorts(Win32Platform& platform, DevicePort& devices);

// `commandTail` is the command line after the program's own name (may be null). The main
// window probes drives through `devices`. Returns 0 when the window has ended.
int runApplication(HINSTANCE instance, const char* commandTail, DevicePort& devices);

}  // namespace kestrine
