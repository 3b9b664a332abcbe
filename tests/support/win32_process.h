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
