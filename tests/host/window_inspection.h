#pragma once
// How a test asks the scripted host about its window's menus and icons, and what objects it
// holds. Menus and icons belong to the process that made them (Wine answers neither
// GetMenuStringA nor WM_GETICON from another process), so the host answers from a thread of
// its own: a test sends WM_COPYDATA to the host's message-only window of class
// `inspectorClass`, with a request code as dwData and "<window handle in hex>\n<file>" as
// data; the host writes its answer to the file and returns 1.
//
// `dumpMenusRequest` writes one line per menu item:
//     MENU '\t' POSITION '\t' COMMAND '\t' STATE '\t' TEXT
// where MENU is "bar" for the menu bar, "bar.N" for the pop-up at bar position N and "sys"
// for the system menu; COMMAND is GetMenuItemID (-1 for a pop-up) and STATE is
// GetMenuState, both in decimal.
#include <cstdint>
#include <string>
#include <vector>

namespace kestrine::scripted {

inline constexpr const char* inspectorClass = "KestrineScriptedHostInspector";
inline constexpr std::uintptr_t dumpMenusRequest = 0x4B4D4E55;  // "KMNU"
// `dumpIconsRequest` writes "small\t<id>\nbig\t<id>\n": the icon resource (128, 134 or
// 135) whose picture the window's small and big icons show, or 0 for none of them.
inline constexpr std::uintptr_t dumpIconsRequest = 0x4B49434F;  // "KICO"
// `countObjectsRequest` writes "<kind>\t<count>\n" for the kinds of `ObjectCounts`.
inline constexpr std::uintptr_t countObjectsRequest = 0x4B4F424A;  // "KOBJ"

struct MenuLine {
    std::string menu;
    int position = 0;
    long long command = 0;
    unsigned state = 0;
    std::string text;
};

std::string formatMenuLine(const MenuLine& line);
// Lines that do not have the five fields are skipped.
std::vector<MenuLine> parseMenuDump(const std::string& text);

struct IconDump {
    int small = 0;
    int big = 0;
};

std::string formatIconDump(const IconDump& icons);
// False unless both lines are there.
bool parseIconDump(const std::string& text, IconDump& icons);

// What the host process holds at one moment. Icons, brushes and image lists are the live
// objects of the program's owners (ui/win32_gdi.h), the only places it makes them;
// windows are every window of the process, top-level or child, hidden or shown (the
// inspector's own message-only window is not among them). Not counted: device contexts
// (borrowed for one paint), the shared system cursors, the menus and fonts that the window
// manager makes and releases with the window, the images an image list holds inside it.
struct ObjectCounts {
    long icons = 0;
    long brushes = 0;
    long imageLists = 0;
    long windows = 0;
    bool operator==(const ObjectCounts&) const = default;
};

std::string formatObjectCounts(const ObjectCounts& counts);
// False unless all four kinds are there, each with a number.
bool parseObjectCounts(const std::string& text, ObjectCounts& counts);

}  // namespace kestrine::scripted
