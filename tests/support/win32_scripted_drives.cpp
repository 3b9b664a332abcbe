#include "win32_scripted_drives.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "scripted_scenario.h"
#include "win32_polling.h"

namespace kestrine::e2e {
namespace {

std::string temporaryFile(const char* prefix) {
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, prefix, 0, path);
    return path;
}

HWND inspectorOf(DWORD processId) {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(HWND_MESSAGE, candidate, scripted::inspectorClass, nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(candidate, &owner);
        if (owner == processId) return candidate;
    }
    return nullptr;
}

// Sends one request to the inspector of the process that owns `window`; `answer` is what
// it wrote.
bool askInspector(HWND window, ULONG_PTR request, std::string& answer) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HWND inspector = nullptr;
    waitUntil([&] { return (inspector = inspectorOf(processId)) != nullptr; });
    if (inspector == nullptr) return false;
    std::string answerPath = temporaryFile("ins");
    char handle[32] = {};
    std::snprintf(handle, sizeof handle, "%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    std::string data = std::string(handle) + "\n" + answerPath;
    COPYDATASTRUCT message = {};
    message.dwData = request;
    message.cbData = static_cast<DWORD>(data.size());
    message.lpData = data.data();
    DWORD_PTR result = 0;
    bool answered = SendMessageTimeoutA(inspector, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message), SMTO_ABORTIFHUNG,
                                        patientMs, &result) &&
                    result == 1;
    std::ostringstream text;
    text << std::ifstream(answerPath, std::ios::binary).rdbuf();
    DeleteFileA(answerPath.c_str());
    answer = text.str();
    return answered;
}

}  // namespace

ScenarioFile::ScenarioFile(const std::string& text) : path_(temporaryFile("scn")) {
    write(text);
    SetEnvironmentVariableA("KESTRINE_SCENARIO", path_.c_str());
}

ScenarioFile::~ScenarioFile() {
    SetEnvironmentVariableA("KESTRINE_SCENARIO", nullptr);
    DeleteFileA(path_.c_str());
}

void ScenarioFile::write(const std::string& text) {
    scripted::Scenario scenario;
    std::string error;
    EXPECT_TRUE(scripted::parseScenario(text, scenario, error)) << error;
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << text;
}

std::vector<scripted::MenuLine> readMenus(HWND window) {
    std::string dump;
    if (!askInspector(window, scripted::dumpMenusRequest, dump)) return {};
    return scripted::parseMenuDump(dump);
}

bool readIcons(HWND window, scripted::IconDump& icons) {
    std::string dump;
    return askInspector(window, scripted::dumpIconsRequest, dump) && scripted::parseIconDump(dump, icons);
}

bool readObjectCounts(HWND window, scripted::ObjectCounts& counts) {
    std::string dump;
    return askInspector(window, scripted::countObjectsRequest, dump) && scripted::parseObjectCounts(dump, counts);
}

}  // namespace kestrine::e2e
