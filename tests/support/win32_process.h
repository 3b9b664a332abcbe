#pragma once
// Starting a program that sits beside the running test program: the one way every test and
// measuring program starts another process.
#include <windows.h>

#include <string>

#include "platform/win32_handle.h"

namespace kestrine::support {

// The running program's folder, with its trailing backslash.
std::string binFolder();

struct StartedProcess {
    UniqueHandle process;  // the thread handle is closed at once; nothing here needs it
    DWORD id = 0;
    DWORD error = 0;  // GetLastError of a failed start
    bool started() const { return process.valid(); }
};

// Runs `exeName` from binFolder() with `arguments` after its quoted path.
StartedProcess startBesideMe(const std::string& exeName, const std::string& arguments = "");

// Runs `exeName` from binFolder() as a Unix shell would, through Wine's loader, with
// WINEDEBUG set to `wineDebug` and the Unix standard error of the program going to
// `standardError`. Wine writes a process's debug output to that standard error, which a
// Windows child shares with its parent. So a Unix shell starts it: CreateProcess gives a Unix
// program the standard output it is given (not the standard error), and the shell joins the
// two. Wine hands back no handle for a Unix program: the new process is found by its image
// name. `arguments` follow the program's path, split at blanks.
StartedProcess startThroughWineLoader(const std::string& exeName, HANDLE standardError, const char* wineDebug,
                                      const std::string& arguments = "");

struct ConsoleRun {
    bool finished = false;  // ended by itself within the limit (else it was terminated)
    DWORD exitCode = 0;
    std::string output;  // its standard output, byte for byte
    std::string errors;  // its standard error
};

// Runs the console program `exeName` like startBesideMe, its standard output and error
// caught in temporary files, and waits up to `limitMs` for it to end.
ConsoleRun runConsoleBesideMe(const std::string& exeName, const std::string& arguments, DWORD limitMs);

}  // namespace kestrine::support
