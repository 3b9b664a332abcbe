#include "win32_process.h"

namespace kestrine::support {

std::string binFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

StartedProcess startBesideMe(const std::string& exeName, const std::string& arguments) {
    std::string commandLine = "\"";
    commandLine.append(binFolder()).append(exeName).append("\"");
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    StartedProcess started;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        started.error = GetLastError();
        return started;
    }
    UniqueHandle thread(info.hThread);
    started.process.reset(info.hProcess);
    started.id = info.dwProcessId;
    return started;
}

}  // namespace kestrine::support
