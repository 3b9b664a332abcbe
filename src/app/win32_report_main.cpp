// kestrine-report.exe: the console report over the real storage stack.
#include "app/win32_report.h"
#include "platform/win32_device_port.h"

int main(int argc, char** argv) {
    kestrine::Win32DevicePort devices;
    return kestrine::runReportProgram(argc, argv, devices);
}
