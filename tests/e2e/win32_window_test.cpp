// The main window as a user meets it: title, first texts, menus, keys, the About and Help
// boxes, and what a second start does.
#include <gtest/gtest.h>

#include <string>

#include "resource.h"
#include "win32_fault_probes.h"
#include "win32_polling.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

using scripted::MenuLine;

const MenuLine* findLine(const std::vector<MenuLine>& lines, const std::string& menu, int position) {
    for (const MenuLine& line : lines)
        if (line.menu == menu && line.position == position) return &line;
    return nullptr;
}

std::vector<std::string> textsOf(const std::vector<MenuLine>& lines, const std::string& menu) {
    std::vector<std::string> texts;
    for (const MenuLine& line : lines)
        if (line.menu == menu) texts.push_back(line.text);
    return texts;
}

// Watches the top-level windows of a copy (those with `title`, or all) every few milliseconds
// until it ends; true when one of them was ever visible.
bool showedAWindowUntilItEnded(ProgramRun& run, const char* title = nullptr) {
    bool shown = false;
    const DWORD start = GetTickCount();
    while (run.running() && GetTickCount() - start < patientMs) {
        for (HWND window : topLevelWindows(run.processId())) {
            char text[64] = {};
            GetWindowTextA(window, text, sizeof text);  // another process's window: no message sent
            if (title == nullptr || std::string(text) == title) shown |= IsWindowVisible(window) != FALSE;
        }
        Sleep(2);
    }
    return shown;
}

TEST(MainWindow, OpensWithTitleDefaultPercentsAndUntouchedFields) {
    ASSERT_TRUE(writeSettings(defaultSettings()));
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    EXPECT_EQ(ProgramRun::windowText(run.window()), "Disk Drive Status");
    EXPECT_TRUE(IsWindowVisible(run.window()));
    EXPECT_EQ(run.controlText(IDC_DEFAULT_PERCENT), "10");
    EXPECT_EQ(run.controlText(IDC_VOLUME_PERCENT), "10");
    // With no drive the panel has nothing to describe: only the name field is ever written.
    EXPECT_EQ(run.controlText(IDC_DRIVE_NAME), "None Selected");
    for (int field : {IDC_SERIAL, IDC_BUS, IDC_FIXED_REMOVABLE, IDC_SPF_STATUS, IDC_SMART_STATUS})
        EXPECT_EQ(run.controlText(field), "...") << field;
    EXPECT_EQ(focusedControl(run.window()), run.control(IDC_DRIVE_LIST));
}

// What the real drives answer depends on the machine; the window and its first refresh do not.
TEST(MainWindow, RealProgramOpensTheSameWindow) {
    ASSERT_TRUE(writeSettings(defaultSettings()));
    ProgramRun run(Program::Real);
    ASSERT_TRUE(run.waitForFirstRefresh());
    EXPECT_EQ(run.controlText(IDC_DEFAULT_PERCENT), "10");
    EXPECT_NE(run.controlText(IDC_DRIVE_NAME), "...");
    EXPECT_GT(listItemCount(run.control(IDC_VOLUME_LIST)), 0);
}

TEST(MainWindow, MenuBarHasItsCommandsWithAutomaticRefreshChecked) {
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    auto menus = readMenus(run.window());
    ASSERT_FALSE(menus.empty()) << "the host did not answer the menu dump";
    EXPECT_EQ(textsOf(menus, "bar"), (std::vector<std::string>{"&File", "&Window", "&Refresh", "&Help"}));
    EXPECT_EQ(textsOf(menus, "bar.0"), std::vector<std::string>{"E&xit"});
    EXPECT_EQ(textsOf(menus, "bar.1"), std::vector<std::string>{"Hide &Window"});
    EXPECT_EQ(textsOf(menus, "bar.2"), (std::vector<std::string>{"&Automatic Refresh ", "&Refresh Data"}));
    EXPECT_EQ(textsOf(menus, "bar.3"), (std::vector<std::string>{"&Notes", "&About This Program"}));
    const MenuLine* automatic = findLine(menus, "bar.2", 0);
    ASSERT_NE(automatic, nullptr);
    EXPECT_EQ(automatic->command, ID_AUTO_REFRESH);
    EXPECT_TRUE(automatic->state & MF_CHECKED);
    EXPECT_EQ(findLine(menus, "bar.2", 1)->command, ID_REFRESH_DATA);
    EXPECT_EQ(findLine(menus, "bar.0", 0)->command, ID_FILE_EXIT);
    EXPECT_EQ(findLine(menus, "bar.1", 0)->command, ID_WINDOW_HIDE);

    run.command(ID_AUTO_REFRESH);
    ASSERT_TRUE(waitUntil([&] { return run.controlText(IDC_NEXT_REFRESH) == "Manual Refresh"; }));
    automatic = findLine(menus = readMenus(run.window()), "bar.2", 0);
    ASSERT_NE(automatic, nullptr);
    EXPECT_FALSE(automatic->state & MF_CHECKED);
}

// Wine appends an "&About Wine" item and a separator to every system menu; they are the
// platform's, not the program's, and are left out of the comparison.
std::vector<MenuLine> programSystemMenu(const std::vector<MenuLine>& menus) {
    std::vector<MenuLine> items;
    bool afterWineItem = false;
    for (const MenuLine& line : menus) {
        if (line.menu != "sys") continue;
        bool wineItem = line.text == "&About Wine";
        if (!wineItem && !(afterWineItem && (line.state & MF_SEPARATOR))) items.push_back(line);
        afterWineItem = wineItem;
    }
    return items;
}

TEST(MainWindow, SystemMenuOffersTrayAndAboutInsteadOfSizeAndMaximize) {
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    std::vector<MenuLine> items = programSystemMenu(readMenus(run.window()));
    std::vector<long long> commands;
    std::string shown;
    for (const MenuLine& item : items) {
        commands.push_back(item.state & MF_SEPARATOR ? 0 : item.command);
        shown += "[" + item.text + "]";
    }
    EXPECT_EQ(commands, (std::vector<long long>{SC_RESTORE, SC_MOVE, IDM_MINIMIZE_TO_TRAY, SC_MINIMIZE, 0, SC_CLOSE, 0,
                                                IDM_ABOUTBOX}))
        << shown;
    ASSERT_EQ(items.size(), 8u) << shown;
    EXPECT_EQ(items[2].text, "Minimize To Tray");
    EXPECT_EQ(items[7].text, "&About this program...");
}

TEST(MainWindow, EscapeEndsTheProgram) {
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    postKey(focusedControl(run.window()), VK_ESCAPE);
    EXPECT_TRUE(run.waitForExit(patientMs));
}

TEST(MainWindow, EnterDoesNothing) {
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    postKey(focusedControl(run.window()), VK_RETURN);
    // A command posted after the key is handled after it: once it shows, the key has been.
    run.command(ID_AUTO_REFRESH);
    ASSERT_TRUE(waitUntil([&] { return run.controlText(IDC_NEXT_REFRESH) == "Manual Refresh"; }));
    EXPECT_TRUE(run.running());
    EXPECT_TRUE(IsWindowVisible(run.window()));
}

// Another kind of object holding the hand-over block's name makes the block impossible to
// create: the program says so, ends when the box is closed without ever showing its window,
// and touches no setting.
TEST(MainWindow, HandOverBlockFailureShowsTheMessageAndEnds) {
    ASSERT_TRUE(writeSettings(defaultSettings()));
    UniqueHandle squatter(CreateMutexA(nullptr, FALSE, "Kestrine"));
    ASSERT_TRUE(squatter.valid());
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    // Message boxes carry the executable's base name as their caption. (The main window is a
    // dialog too, already created but not shown, so the caption tells the box apart.)
    std::vector<HWND> boxes;
    ASSERT_TRUE(waitUntil([&] { return !(boxes = findWindows("kestrine_scripted", run.processId())).empty(); }));
    EXPECT_EQ(messageBoxText(boxes.front()), "Memory initialization error");
    HWND box = boxes.front();
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(showedAWindowUntilItEnded(run, mainTitle)) << "the main window must never appear";
    EXPECT_TRUE(run.waitForExit(patientMs));
    EXPECT_TRUE(unchangedSincePrepared());
}

TEST(MainWindow, SecondStartBringsTheHiddenFirstCopyBackAndEnds) {
    ScenarioFile noDrives;
    ProgramRun first(Program::Scripted);
    ASSERT_TRUE(first.waitForFirstRefresh());
    first.command(ID_WINDOW_HIDE);
    ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(first.window()); }));

    ProgramRun second(Program::Scripted);
    EXPECT_TRUE(second.waitForExit(patientMs));
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(first.window()) != FALSE; }));
    EXPECT_EQ(countWindows(mainTitle, 0), 1);
    EXPECT_TRUE(first.running());
}

// How the user may have left the first copy's window when the second start comes.
enum class Display { Visible, HiddenByMenu, HiddenToTray, Minimized };

void leaveWindow(ProgramRun& first, Display display) {
    switch (display) {
        case Display::Visible: break;  // as the previous hand-over left it: shown, in front
        case Display::HiddenByMenu: first.command(ID_WINDOW_HIDE); break;
        case Display::HiddenToTray: PostMessageA(first.window(), WM_SYSCOMMAND, IDM_MINIMIZE_TO_TRAY, 0); break;
        case Display::Minimized: PostMessageA(first.window(), WM_SYSCOMMAND, SC_MINIMIZE, 0); break;
    }
    ASSERT_TRUE(waitUntil([&] {
        const bool visible = IsWindowVisible(first.window()) != FALSE;
        const bool iconic = IsIconic(first.window()) != FALSE;
        switch (display) {
            case Display::Visible: return visible && !iconic;
            case Display::Minimized: return iconic;
            default: return !visible;
        }
    }));
}

// The running copy has taken a later copy's come-forward request: it clears the hand-over byte
// on the tick that brings it forward. Until then a window that was already in front may still
// be brought forward again.
bool handOverTaken() {
    const UniqueHandle block(OpenFileMappingA(FILE_MAP_READ, FALSE, "Kestrine"));
    if (!block.valid()) return false;
    const UniqueView byte(static_cast<std::uint8_t*>(MapViewOfFile(block.get(), FILE_MAP_READ, 0, 0, 1)));
    return byte.valid() && *static_cast<const volatile std::uint8_t*>(byte.get()) == 0;
}

// A later start hands over without its window ever appearing, whatever state the running
// copy's window is in, and the running copy comes forward in its normal state.
TEST(MainWindow, SecondStartsNeverShowAWindowAndBringTheFirstCopyForward) {
    ScenarioFile noDrives;
    ProgramRun first(Program::Scripted);
    ASSERT_TRUE(first.waitForFirstRefresh());
    const Display states[] = {Display::Visible, Display::HiddenByMenu, Display::HiddenToTray, Display::Minimized};
    for (int start = 0; start < 20; ++start) {
        const Display display = states[start % 4];
        SCOPED_TRACE(start);
        leaveWindow(first, display);
        ProgramRun second(Program::Scripted);
        EXPECT_FALSE(showedAWindowUntilItEnded(second));
        ASSERT_TRUE(second.waitForExit(patientMs));
        EXPECT_TRUE(waitUntil([&] {
            return handOverTaken() && IsWindowVisible(first.window()) && !IsIconic(first.window()) &&
                   GetForegroundWindow() == first.window();
        }));
    }
    EXPECT_EQ(countWindows(mainTitle, 0), 1);
    EXPECT_TRUE(first.running());
}

TEST(MainWindow, AboutOpensFromHelpMenuAndSystemMenuAndCloses) {
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    run.command(ID_HELP_ABOUT);
    HWND about = waitForOwnedWindow("About This Program", run.window());
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(IsWindowEnabled(run.window()));
    clickButton(GetDlgItem(about, IDOK));
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(run.window()) != FALSE; }));

    PostMessageA(run.window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    about = waitForOwnedWindow("About This Program", run.window());
    ASSERT_NE(about, nullptr);
    postKey(about, VK_ESCAPE);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(run.running());
}

TEST(MainWindow, HelpOpensAndClosesWithEnterWhileTheCountdownGoesOn) {
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    run.command(ID_HELP_NOTES);
    HWND help = waitForOwnedWindow("Help", run.window());
    ASSERT_NE(help, nullptr);
    EXPECT_NE(FindWindowExA(help, nullptr, "Static", "Drive shows a new or grown early sign of failure"), nullptr)
        << "the caution picture's row";
    std::string before = run.controlText(IDC_NEXT_REFRESH);
    EXPECT_TRUE(waitUntil([&] { return run.controlText(IDC_NEXT_REFRESH) != before; }));
    postKey(help, VK_RETURN);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(help); }));
    EXPECT_TRUE(run.running());
}

}  // namespace
}  // namespace kestrine::e2e
