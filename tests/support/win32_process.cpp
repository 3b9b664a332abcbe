#include "win32_process.h"

#include <tlhelp32.h>

#include <algorithm>
#include <vector>

#include "win32_polling.h"

namespace kestrine::support {

std::string binFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

namespace {

StartedProcess start(const std::string& exeName, const std::string& arguments, STARTUPINFOA& startup,
                     BOOL inheritHandles) {
    std::string commandLine = "\"";
    commandLine.append(binFolder()).append(exeName).append("\"");
    if (!arguments.empty()) commandLine += " " + arguments;
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    StartedProcess started;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, inheritHandles, 0, nullptr, nullptr, &startup,
                        &info)) {
        started.error = GetLastError();
        return started;
    }
    UniqueHandle thread(info.hThread);
    started.process.reset(info.hProcess);
    started.id = info.dwProcessId;
    return started;
}

// A temporary file the child inherits as a standard handle; gone when closed.
UniqueHandle captureFile() {
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "kst", 0, path);
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    return UniqueHandle(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inheritable, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

std::string captured(const UniqueHandle& file) {
    std::string text;
    if (SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
}

}  // namespace

// The Unix shell as the Windows side sees the Unix root, and the Wine loader on the Unix path
// (Debian's, or the 64-bit one that scripts/wine64 puts first).
constexpr char unixShell[] = "Z:\\bin\\sh";
constexpr char joinedThroughWine[] = R"(sh -c "exec wine \"$0\" \"$@\" 2>&1" )";

std::vector<DWORD> processesNamed(const std::string& exeName) {
    std::vector<DWORD> ids;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    if (!snapshot.valid() || !Process32First(snapshot.get(), &entry)) return ids;
    do {
        if (lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0) ids.push_back(entry.th32ProcessID);
    } while (Process32Next(snapshot.get(), &entry));
    return ids;
}

StartedProcess startThroughWineLoader(const std::string& exeName, HANDLE standardError, const char* wineDebug,
                                      const std::string& arguments) {
    const std::vector<DWORD> before = processesNamed(exeName);
    std::string commandLine = joinedThroughWine + ('"' + binFolder() + exeName + "\" " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = standardError;
    PROCESS_INFORMATION info = {};
    char ownDebug[256] = {};
    const bool hadDebug = GetEnvironmentVariableA("WINEDEBUG", ownDebug, sizeof ownDebug) > 0;
    SetEnvironmentVariableA("WINEDEBUG", wineDebug);
    const BOOL created =
        CreateProcessA(unixShell, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    SetEnvironmentVariableA("WINEDEBUG", hadDebug ? ownDebug : nullptr);
    StartedProcess started;
    if (!created) {
        started.error = GetLastError();
        return started;
    }
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    e2e::waitUntil([&] {
        for (DWORD id : processesNamed(exeName))
            if (std::find(before.begin(), before.end(), id) == before.end()) started.id = id;
        return started.id != 0;
    });
    if (started.id != 0)
        started.process.reset(
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, started.id));
    return started;
}

StartedProcess startBesideMe(const std::string& exeName, const std::string& arguments) {
    STARTUPINFOA startup = {};
    return start(exeName, arguments, startup, FALSE);
}

ConsoleRun runConsoleBesideMe(const std::string& exeName, const std::string& arguments, DWORD limitMs) {
    const UniqueHandle output = captureFile();
    const UniqueHandle errors = captureFile();
    ConsoleRun run;
    if (!output.valid() || !errors.valid()) return run;
    STARTUPINFOA startup = {};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.get();
    startup.hStdError = errors.get();
    const StartedProcess started = start(exeName, arguments, startup, TRUE);
    if (!started.started()) return run;
    run.finished = WaitForSingleObject(started.process.get(), limitMs) == WAIT_OBJECT_0;
    if (!run.finished) {
        TerminateProcess(started.process.get(), 1);
        WaitForSingleObject(started.process.get(), limitMs);
    }
    GetExitCodeProcess(started.process.get(), &run.exitCode);
    run.output = captured(output);
    run.errors = captured(errors);
    return run;
}

}  // namespace kestrine::support
