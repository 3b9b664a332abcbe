#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/win32_application.h"
#include "fakes/fake_device_port.h"
#include "resource.h"
#include "ui/status_images.h"
#include "ui/win32_gdi.h"
#include "ui/win32_shared_memory.h"
#include "ui_program_resources.h"

namespace kestrine {
namespace {

// One step of a script run inside the window's modal loop. False: not there yet, try again
// at the next turn (a bounded number of times).
using Step = std::function<bool(HWND window)>;

struct Script {
    std::vector<Step> steps;
    std::size_t next = 0;
    int tries = 0;
    bool gaveUp = false;
};

constexpr int maxTries = 200;
Script* running = nullptr;

BOOL CALLBACK keepIfMainWindow(HWND window, LPARAM result) {
    std::array<char, 64> title{};
    GetWindowTextA(window, title.data(), static_cast<int>(title.size()));
    if (std::strcmp(title.data(), "Disk Drive Status") != 0) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

HWND mainWindowOfThisThread() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), keepIfMainWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK advance(HWND, UINT, UINT_PTR, DWORD) {
    HWND window = mainWindowOfThisThread();
    if (window == nullptr || running->next >= running->steps.size()) return;
    if (running->steps[running->next](window)) {
        ++running->next;
        running->tries = 0;
    } else if (++running->tries > maxTries) {
        running->gaveUp = true;
        running->next = running->steps.size();
        PostMessageA(window, WM_COMMAND, ID_FILE_EXIT, 0);
    }
}

// Runs the real main window over drives that never answer; the script's last step must end it.
INT_PTR runMainWindow(std::vector<Step> steps, Script& script) {
    testing::FakeDevicePort devices;  // no drive answers
    Win32Platform platform;
    MainWindow window(programResources(), ApplicationInfo{"kestrine", ""}, mainWindowPorts(platform, devices));
    script.steps = std::move(steps);
    running = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, advance);
    const INT_PTR result = window.runModal(nullptr);
    KillTimer(nullptr, timer);
    running = nullptr;
    return result;
}

std::string itemText(HWND window, int id) {
    std::array<char, 128> text{};
    GetDlgItemTextA(window, id, text.data(), static_cast<int>(text.size()));
    return text.data();
}

struct MenuItem {
    UINT id;
    bool separator;
    std::string text;
};

// Wine puts an "About Wine" item of its own, after a separator, into every system menu.
constexpr UINT wineAboutCommand = 0xF141;

std::vector<MenuItem> menuItems(HMENU menu) {
    std::vector<MenuItem> items;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        std::array<char, 128> text{};
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text.data();
        info.cch = static_cast<UINT>(text.size());
        GetMenuItemInfoA(menu, position, TRUE, &info);
        if (info.wID == wineAboutCommand) {
            if (!items.empty() && items.back().separator) items.pop_back();
            continue;
        }
        items.push_back(MenuItem{info.wID, (info.fType & MFT_SEPARATOR) != 0, text.data()});
    }
    return items;
}

Step escape() {
    return [](HWND window) {
        PostMessageA(GetFocus() != nullptr ? GetFocus() : window, WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
    };
}

class MainWindowRun : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(programResources(), nullptr) << "kestrine.exe must be built beside the tests"; }
    Script script;
};

TEST_F(MainWindowRun, SystemMenuOffersMinimizeToTrayAndAboutButNoSizeOrMaximize) {
    std::vector<MenuItem> items;
    runMainWindow({[&](HWND window) {
                       items = menuItems(GetSystemMenu(window, FALSE));
                       return true;
                   },
                   escape()},
                  script);
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items[0].id, static_cast<UINT>(SC_RESTORE));
    EXPECT_EQ(items[1].id, static_cast<UINT>(SC_MOVE));
    EXPECT_EQ(items[2].id, static_cast<UINT>(IDM_MINIMIZE_TO_TRAY));
    EXPECT_EQ(items[2].text, "Minimize To Tray");
    EXPECT_EQ(items[3].id, static_cast<UINT>(SC_MINIMIZE));
    EXPECT_TRUE(items[4].separator);
    EXPECT_EQ(items[5].id, static_cast<UINT>(SC_CLOSE));
    EXPECT_TRUE(items[6].separator);
    EXPECT_EQ(items[7].id, static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(items[7].text, "&About this program...");
}

// Both lists show the window's status strip without owning it, so destroying them leaves
// the strip to its one owner. The strip is the one drawn for the system's DPI, with the
// caution picture the lists use, and each list
// shows its entries one per row in a column as wide as the list less a scroll bar.
TEST_F(MainWindowRun, ListsShareTheStatusStripWithoutOwningIt) {
    std::vector<LONG_PTR> styles;
    std::vector<LRESULT> strips;
    std::vector<std::pair<LRESULT, LONG>> columnAndSpace;
    int imageWidth = 0;
    int imageHeight = 0;
    int images = 0;
    runMainWindow({[&](HWND window) {
                       for (const int list : {IDC_DRIVE_LIST, IDC_VOLUME_LIST}) {
                           HWND control = GetDlgItem(window, list);
                           styles.push_back(GetWindowLongPtrA(control, GWL_STYLE));
                           strips.push_back(SendMessageA(control, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
                           RECT client{};
                           GetClientRect(control, &client);
                           columnAndSpace.emplace_back(SendMessageA(control, LVM_GETCOLUMNWIDTH, 0, 0),
                                                       client.right - GetSystemMetrics(SM_CXVSCROLL));
                       }
                       ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(strips[0]), &imageWidth, &imageHeight);
                       images = ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(strips[0]));
                       return true;
                   },
                   escape()},
                  script);
    ASSERT_EQ(styles.size(), 2u);
    for (const LONG_PTR style : styles) {
        EXPECT_NE(style & LVS_SHAREIMAGELISTS, 0);
        EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    }
    EXPECT_NE(strips[0], 0);
    EXPECT_EQ(strips[0], strips[1]);
    EXPECT_EQ(imageWidth, statusImageSize(systemDpi()));
    EXPECT_EQ(imageHeight, imageWidth);
    EXPECT_EQ(images, imageWidth == 16 ? 5 : 4) << "the larger strips end after the caution picture, image 3";
    for (const auto& [column, space] : columnAndSpace) {
        EXPECT_GT(column, 0);
        EXPECT_EQ(column, space);
    }
}

TEST_F(MainWindowRun, EnterDoesNothingAndEscapeEndsWithCancel) {
    bool openAfterEnter = false;
    const INT_PTR result =
        runMainWindow({[](HWND window) {
                           PostMessageA(GetFocus() != nullptr ? GetFocus() : window, WM_KEYDOWN, VK_RETURN, 0);
                           return true;
                       },
                       [&](HWND window) {
                           openAfterEnter = IsWindowVisible(window) != FALSE;
                           return true;
                       },
                       escape()},
                      script);
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(script.gaveUp);
}

TEST_F(MainWindowRun, ExitEndsWithCancel) {
    const INT_PTR result = runMainWindow({[](HWND window) {
                                             PostMessageA(window, WM_COMMAND, ID_FILE_EXIT, 0);
                                             return true;
                                         }},
                                         script);
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(MainWindowRun, HiddenWindowComesBackOnlyOnALeftDoubleClickOnTheTrayIcon) {
    const UINT trayMessage = RegisterWindowMessageA("MySysTray");
    bool hidden = false;
    bool hiddenAfterSingleClick = false;
    bool shownAfterDoubleClick = false;
    runMainWindow({[](HWND window) {
                       PostMessageA(window, WM_COMMAND, ID_WINDOW_HIDE, 0);
                       return true;
                   },
                   [&](HWND window) {
                       hidden = IsWindowVisible(window) == FALSE;
                       SendMessageA(window, trayMessage, 2, WM_LBUTTONDOWN);
                       SendMessageA(window, trayMessage, 2, WM_RBUTTONDBLCLK);
                       hiddenAfterSingleClick = IsWindowVisible(window) == FALSE;
                       SendMessageA(window, trayMessage, 2, WM_LBUTTONDBLCLK);
                       shownAfterDoubleClick = IsWindowVisible(window) != FALSE;
                       return true;
                   },
                   escape()},
                  script);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(hiddenAfterSingleClick);
    EXPECT_TRUE(shownAfterDoubleClick);
}

TEST_F(MainWindowRun, MinimizeToTrayHidesWithoutMinimizing) {
    bool hidden = false;
    bool minimized = true;
    runMainWindow({[](HWND window) {
                       PostMessageA(window, WM_SYSCOMMAND, IDM_MINIMIZE_TO_TRAY, 0);
                       return true;
                   },
                   [&](HWND window) {
                       hidden = IsWindowVisible(window) == FALSE;
                       minimized = IsIconic(window) != FALSE;
                       return true;
                   },
                   escape()},
                  script);
    EXPECT_TRUE(hidden);
    EXPECT_FALSE(minimized);
}

TEST_F(MainWindowRun, LaterStartsRequestBringsAHiddenWindowBackAndIsCleared) {
    SharedMemory later;
    bool shown = false;
    runMainWindow({[](HWND window) {
                       ShowWindow(window, SW_HIDE);
                       return true;
                   },
                   [&](HWND) {
                       if (!later.create("Kestrine", 1) || later.createdNew()) return false;
                       *later.view() = 1;
                       return true;
                   },
                   [&](HWND window) {
                       if (*later.view() != 0) return false;  // the window's tick has not run yet
                       shown = IsWindowVisible(window) != FALSE;
                       return true;
                   },
                   escape()},
                  script);
    EXPECT_FALSE(script.gaveUp);
    EXPECT_TRUE(shown);
}

TEST_F(MainWindowRun, AutomaticRefreshSwitchesItsCheckMarkAndShowsManualRefresh) {
    UINT stateOff = 0;
    UINT stateOn = 0;
    std::string textOff;
    runMainWindow({[](HWND window) {
                       PostMessageA(window, WM_COMMAND, ID_AUTO_REFRESH, 0);
                       return true;
                   },
                   [&](HWND window) {
                       stateOff = GetMenuState(GetMenu(window), ID_AUTO_REFRESH, MF_BYCOMMAND);
                       textOff = itemText(window, IDC_NEXT_REFRESH);
                       PostMessageA(window, WM_COMMAND, ID_AUTO_REFRESH, 0);
                       return true;
                   },
                   [&](HWND window) {
                       stateOn = GetMenuState(GetMenu(window), ID_AUTO_REFRESH, MF_BYCOMMAND);
                       return true;
                   },
                   escape()},
                  script);
    EXPECT_EQ(stateOff & MF_CHECKED, 0u);
    EXPECT_EQ(textOff, "Manual Refresh");
    EXPECT_NE(stateOn & MF_CHECKED, 0u);
}

// Up, then down: whatever percent the prefix's settings file holds from earlier runs (1 after
// some end-to-end tests), one step up and back is possible.
TEST_F(MainWindowRun, DefaultPercentButtonsStepTheShownValue) {
    UINT before = 0;
    UINT raised = 0;
    UINT lowered = 0;
    runMainWindow({[&](HWND window) {
                       before = GetDlgItemInt(window, IDC_DEFAULT_PERCENT, nullptr, FALSE);
                       PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_DEFAULT_UP, BN_CLICKED), 0);
                       return true;
                   },
                   [&](HWND window) {
                       raised = GetDlgItemInt(window, IDC_DEFAULT_PERCENT, nullptr, FALSE);
                       PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_DEFAULT_DOWN, BN_CLICKED), 0);
                       return true;
                   },
                   [&](HWND window) {
                       lowered = GetDlgItemInt(window, IDC_DEFAULT_PERCENT, nullptr, FALSE);
                       return true;
                   },
                   escape()},
                  script);
    ASSERT_GE(before, 1u);
    ASSERT_LE(before, 49u);
    EXPECT_EQ(raised, before + 1);
    EXPECT_EQ(lowered, before);
}

INT_PTR CALLBACK plainDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Each label of the main window fits on its one line in the dialog font, also where the
// system has no MS Sans Serif (the scripts' Wine prefix shows a narrow stand-in).
TEST(MainWindowTemplate, EveryLabelFitsOnOneLine) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    HWND dialog = CreateDialogParamA(programResources(), MAKEINTRESOURCEA(IDD_MAIN), nullptr, plainDialog, 0);
    ASSERT_NE(dialog, nullptr);
    HDC dc = GetDC(dialog);
    const HGDIOBJ before = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    RECT line{0, 0, 1000, 0};
    DrawTextA(dc, "X", -1, &line, DT_CALCRECT | DT_WORDBREAK);
    std::vector<std::string> labels;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        std::array<char, 64> kind{}, text{};
        GetClassNameA(child, kind.data(), static_cast<int>(kind.size()));
        GetWindowTextA(child, text.data(), static_cast<int>(text.size()));
        if (lstrcmpiA(kind.data(), "Static") != 0 || text[0] == 0 || std::strcmp(text.data(), "...") == 0) continue;
        RECT needed{};
        GetClientRect(child, &needed);
        DrawTextA(dc, text.data(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        EXPECT_EQ(needed.bottom - needed.top, line.bottom) << "'" << text.data() << "' wraps";
        labels.push_back(text.data());
    }
    SelectObject(dc, before);
    ReleaseDC(dialog, dc);
    DestroyWindow(dialog);
    EXPECT_EQ(labels.size(), 12u);
}

}  // namespace
}  // namespace kestrine
