// kestrine-report.exe: the console report over the real storage stack.
#include <cstdlib>

#include "app/win32_report.h"
#include "platform/win32_device_port.h"

#ifdef __GLIBCXX__
// libstdc++'s default handler for an uncaught exception prints its demangled type, which
// links the whole C++ demangler (46 KB) into the program. The report catches what it can;
// anything else ends it at once.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

int main(int argc, char** argv) {
    kestrine::Win32DevicePort devices;
    return kestrine::runReportProgram(argc, argv, devices);
}
