// kestrine_report_scripted.exe: the console report, with scripted drives instead of the
// storage stack. The scenario file is named by the environment variable KESTRINE_SCENARIO.
#include <cstdlib>

#include "app/win32_report.h"
#include "scripted_device_port.h"

int main(int argc, char** argv) {
    const char* scenario = std::getenv("KESTRINE_SCENARIO");
    kestrine::scripted::ScriptedDevicePort devices(scenario != nullptr ? scenario : "");
    return kestrine::runReportProgram(argc, argv, devices);
}
