#include "win32_program_run.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <utility>
#include <vector>

#include "resource.h"
#include "win32_polling.h"
#include "win32_process.h"

namespace kestrine::e2e {
namespace {

const char* exeName(Program program) { return program == Program::Real ? "kestrine.exe" : "kestrine_scripted.exe"; }

struct WindowQuery {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
    auto* query = reinterpret_cast<WindowQuery*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (query->processId == 0 || owner == query->processId) query->found.push_back(window);
    return TRUE;
}

bool isProgramImage(DWORD processId) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    if (!snapshot.valid() || !Process32First(snapshot.get(), &entry)) return false;
    do {
        if (entry.th32ProcessID == processId)
            return lstrcmpiA(entry.szExeFile, exeName(Program::Real)) == 0 ||
                   lstrcmpiA(entry.szExeFile, exeName(Program::Scripted)) == 0;
    } while (Process32Next(snapshot.get(), &entry));
    return false;
}

}  // namespace

ProgramRun::ProgramRun(Program program, const std::string& commandTail)
    : ProgramRun(support::startBesideMe(exeName(program), commandTail)) {}

ProgramRun::ProgramRun(support::StartedProcess started) {
    if (!started.started()) {
        ADD_FAILURE() << "cannot start the program, error " << started.error;
        return;
    }
    process_ = std::move(started.process);
    processId_ = started.id;
}

ProgramRun::~ProgramRun() {
    if (running()) TerminateProcess(process_.get(), 1);
    if (started()) WaitForSingleObject(process_.get(), patientMs);
}

bool ProgramRun::running() const { return started() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

bool ProgramRun::waitForExit(DWORD limitMs) {
    return started() && WaitForSingleObject(process_.get(), limitMs) == WAIT_OBJECT_0;
}

HWND ProgramRun::window() {
    if (window_ != nullptr && IsWindow(window_)) return window_;
    window_ = nullptr;
    if (!started()) return nullptr;
    waitUntil([this] {
        auto found = findWindows(mainTitle, processId_);
        if (!found.empty()) window_ = found.front();
        return window_ != nullptr || !running();
    });
    return window_;
}

bool ProgramRun::waitForFirstRefresh() {
    return window() != nullptr && waitUntil([this] {
               std::string countdown = controlText(IDC_NEXT_REFRESH);
               return !countdown.empty() && countdown != "...";
           });
}

std::string ProgramRun::windowText(HWND window) {
    char text[512] = {};
    DWORD_PTR copied = 0;
    if (window == nullptr || !SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                                                  SMTO_ABORTIFHUNG, patientMs, &copied))
        return "";
    return std::string(text, copied);
}

std::vector<HWND> topLevelWindows(DWORD processId) {
    WindowQuery query{processId, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::vector<HWND> findWindows(const char* title, DWORD processId) {
    std::vector<HWND> found;
    for (HWND window : topLevelWindows(processId))
        if (ProgramRun::windowText(window) == title) found.push_back(window);
    return found;
}

int countWindows(const char* title, DWORD processId) { return static_cast<int>(findWindows(title, processId).size()); }

std::string shownNotification(const std::string& part) {
    for (HWND window : topLevelWindows(0)) {
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        if (lstrcmpiA(className, TOOLTIPS_CLASSA) != 0 || !IsWindowVisible(window)) continue;
        const std::string text = ProgramRun::windowText(window);
        if (text.find(part) != std::string::npos) return text;
    }
    return "";
}

HWND waitForOwnedWindow(const char* title, HWND owner) {
    HWND found = nullptr;
    waitUntil([&] {
        for (HWND window : findWindows(title, 0))
            if (GetWindow(window, GW_OWNER) == owner) found = window;
        return found != nullptr;
    });
    return found;
}

void endLeftoverPrograms() {
    for (HWND window : findWindows(mainTitle, 0)) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (!isProgramImage(processId)) continue;
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
        if (!process.valid()) continue;
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), patientMs);
    }
}

HWND focusedControl(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void postKey(HWND target, WPARAM key) {
    UINT scanCode = MapVirtualKeyA(static_cast<UINT>(key), 0);
    PostMessageA(target, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(scanCode) << 16));
    PostMessageA(target, WM_KEYUP, key, 1 | (static_cast<LPARAM>(scanCode) << 16) | (3u << 30));
}

void sendKeyDown(HWND control, WPARAM key) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(control, WM_KEYDOWN, key, 1, SMTO_ABORTIFHUNG, patientMs, &ignored);
}

void clickButton(HWND button) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, patientMs, &ignored);
}

}  // namespace kestrine::e2e
