#pragma once
// The console report's composition root: it builds the adapters, runs one report over them
// and writes it to standard output. No window, no tray icon, no single-copy block.
#include "probe/device_port.h"

namespace kestrine {

// `argv` as main has it; the drives are probed through `devices`. Returns the exit code.
int runReportProgram(int argc, char** argv, DevicePort& devices);

}  // namespace kestrine
