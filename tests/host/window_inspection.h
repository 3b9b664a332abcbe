#pragma once
// How a test asks the scripted host about its window's menus and icons. Both belong to the
// process that made them (Wine answers neither GetMenuStringA nor WM_GETICON from another
// process), so the host answers from a thread of its own: a test sends WM_COPYDATA to the
// host's message-only window of class `inspectorClass`, with a request code as dwData and
// "<window handle in hex>\n<file>" as data; the host writes its answer to the file and
// returns 1.
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

}  // namespace kestrine::scripted
