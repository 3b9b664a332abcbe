// kestrine.exe: the real storage stack behind the whole program.
#include <windows.h>

#include "app/win32_application.h"
#include "platform/win32_device_port.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int) {
    kestrine::Win32DevicePort devices;
    return kestrine::runApplication(instance, commandTail, devices);
}
