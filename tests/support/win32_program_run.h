#pragma once
// One run of the program under test, started the way a user starts it and always ended:
// the destructor terminates a process that is still running and waits for it.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32_handle.h"
#include "win32_process.h"

namespace kestrine::e2e {

enum class Program { Real, Scripted };  // kestrine.exe, or kestrine_scripted.exe

inline constexpr const char* mainTitle = "Disk Drive Status";

class ProgramRun {
public:
    // Starts the program with `commandTail` after its own name. Fails the test (and leaves
    // `started()` false) when the process cannot be created.
    explicit ProgramRun(Program program, const std::string& commandTail = "");
    // Takes over a process started otherwise; fails the test when it was not started.
    explicit ProgramRun(support::StartedProcess started);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return process_.valid(); }
    DWORD processId() const { return processId_; }
    bool running() const;
    bool waitForExit(DWORD limitMs);

    // The main window of this process (also while hidden), waiting for it to appear;
    // null when it does not.
    HWND window();
    // Waits until the first refresh has run: the countdown field no longer shows "...".
    bool waitForFirstRefresh();

    HWND control(int id) { return GetDlgItem(window(), id); }
    std::string controlText(int id) { return windowText(control(id)); }
    void command(int id) { PostMessageA(window(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    static std::string windowText(HWND window);

private:
    UniqueHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// Top-level windows of process `processId` (hidden ones included); with `processId` 0, of
// every process.
std::vector<HWND> topLevelWindows(DWORD processId);
// The same, only those with this title.
std::vector<HWND> findWindows(const char* title, DWORD processId);
int countWindows(const char* title, DWORD processId);
// Wine's notification area draws a notification as a balloon: a tooltip window of its own in
// the virtual desktop, whose text is the notification's. The text of the shown one that
// holds `part`, or nothing.
std::string shownNotification(const std::string& part);
// Waits for the top-level window with this title whose owner is `owner`; null if none shows.
HWND waitForOwnedWindow(const char* title, HWND owner);
// Ends copies of the program left over from an earlier, interrupted run of the suite.
void endLeftoverPrograms();
// The window with the keyboard focus in the thread that owns `window`.
HWND focusedControl(HWND window);
// Posts a key press (down and up) to `target`, as the keyboard would deliver it.
void postKey(HWND target, WPARAM key);
// Hands a key-down straight to a control, as a list view gets it when it has the focus.
void sendKeyDown(HWND control, WPARAM key);
void clickButton(HWND button);

}  // namespace kestrine::e2e
