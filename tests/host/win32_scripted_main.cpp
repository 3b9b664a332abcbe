// kestrine_scripted.exe: the whole program, with scripted drives instead of the storage
// stack. The scenario file is named by the environment variable KESTRINE_SCENARIO.
#include <windows.h>

#include <cstdlib>

#include "app/win32_application.h"
#include "scripted_device_port.h"
#include "win32_window_inspector.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int) {
    const char* scenario = std::getenv("KESTRINE_SCENARIO");
    kestrine::scripted::ScriptedDevicePort devices(scenario != nullptr ? scenario : "");
    kestrine::scripted::WindowInspector inspector;
    return kestrine::runApplication(instance, commandTail, devices);
}
