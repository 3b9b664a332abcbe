#include "win32_window_inspector.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "resource.h"
#include "ui/win32_gdi.h"
#include "win32_test_handles.h"
#include "window_inspection.h"

namespace kestrine::scripted {
namespace {

std::string itemText(HMENU menu, int position) {
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

void dumpMenu(std::ofstream& out, HMENU menu, const std::string& name, bool withPopups) {
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MenuLine line;
        line.menu = name;
        line.position = position;
        line.command = static_cast<int>(GetMenuItemID(menu, position));
        line.state = GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
        line.text = itemText(menu, position);
        out << formatMenuLine(line);
        HMENU popup = GetSubMenu(menu, position);
        if (withPopups && popup != nullptr) dumpMenu(out, popup, name + "." + std::to_string(position), false);
    }
}

// The pixels of an icon: its colour and mask bitmaps, byte for byte, and its width.
struct IconPicture {
    int width = 0;
    std::vector<std::uint8_t> color;
    std::vector<std::uint8_t> mask;
};

std::vector<std::uint8_t> bitmapBytes(HBITMAP bitmap) {
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.bmWidthBytes) * info.bmHeight);
    LONG got = GetBitmapBits(bitmap, static_cast<LONG>(bytes.size()), bytes.data());
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

bool readPicture(HICON icon, IconPicture& picture) {
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return false;
    UniqueBitmap color(info.hbmColor);
    UniqueBitmap mask(info.hbmMask);
    BITMAP size = {};
    if (!mask || GetObjectA(mask.get(), sizeof size, &size) == 0) return false;
    picture.width = size.bmWidth;
    picture.color = bitmapBytes(color.get());
    picture.mask = bitmapBytes(mask.get());
    return true;
}

// Which of the program's status icons `icon` shows: the resource loaded at the same size
// gives the same pixels.
int identifyIcon(HICON icon) {
    IconPicture shown;
    if (!readPicture(icon, shown)) return 0;
    for (int resource : {IDI_PROGRAM, IDI_DRIVE_WARNING, IDI_OK}) {
        UniqueIcon candidate = loadIcon(GetModuleHandleA(nullptr), resource, shown.width);
        IconPicture expected;
        if (readPicture(candidate.get(), expected) && expected.color == shown.color && expected.mask == shown.mask)
            return resource;
    }
    return 0;
}

HICON windowIcon(HWND window, WPARAM which) {
    return reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, which, 0));
}

BOOL CALLBACK countChildWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<long*>(count);
    return TRUE;
}

// Every top-level window of this process with all its descendants (EnumChildWindows goes
// down the whole tree).
BOOL CALLBACK countProcessWindow(HWND window, LPARAM count) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<long*>(count);
    EnumChildWindows(window, countChildWindow, count);
    return TRUE;
}

ObjectCounts countObjects() {
    ObjectCounts counts;
    counts.icons = ownedHandleCount<UniqueIcon>.load();
    counts.brushes = ownedHandleCount<UniqueBrush>.load();
    counts.imageLists = ownedHandleCount<UniqueImageList>.load();
    EnumWindows(countProcessWindow, reinterpret_cast<LPARAM>(&counts.windows));
    return counts;
}

bool writeAnswer(ULONG_PTR request, HWND window, std::ofstream& out) {
    if (request == dumpMenusRequest) {
        if (HMENU bar = GetMenu(window)) dumpMenu(out, bar, "bar", true);
        if (HMENU system = GetSystemMenu(window, FALSE)) dumpMenu(out, system, "sys", false);
        return true;
    }
    if (request == dumpIconsRequest) {
        IconDump icons{identifyIcon(windowIcon(window, ICON_SMALL)), identifyIcon(windowIcon(window, ICON_BIG))};
        out << formatIconDump(icons);
        return true;
    }
    if (request == countObjectsRequest) {
        out << formatObjectCounts(countObjects());
        return true;
    }
    return false;
}

// Data: "<window handle in hex>\n<file path>". Only windows of this process are inspected.
LRESULT answer(const COPYDATASTRUCT& request) {
    if (request.lpData == nullptr) return 0;
    std::string data(static_cast<const char*>(request.lpData), request.cbData);
    std::size_t newline = data.find('\n');
    if (newline == std::string::npos) return 0;
    std::uintptr_t handle = 0;
    auto parsed = std::from_chars(data.data(), data.data() + newline, handle, 16);
    if (parsed.ec != std::errc() || parsed.ptr != data.data() + newline) return 0;
    HWND window = reinterpret_cast<HWND>(handle);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (!IsWindow(window) || owner != GetCurrentProcessId()) return 0;
    std::ofstream out(data.substr(newline + 1), std::ios::binary | std::ios::trunc);
    return out && writeAnswer(request.dwData, window, out) && out ? 1 : 0;
}

LRESULT CALLBACK inspectorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) return answer(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI inspectorThread(LPVOID) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = inspectorProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = inspectorClass;
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowExA(0, inspectorClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    if (window != nullptr) DestroyWindow(window);
    return 0;
}

}  // namespace

WindowInspector::WindowInspector() : thread_(CreateThread(nullptr, 0, inspectorThread, nullptr, 0, &threadId_)) {}

WindowInspector::~WindowInspector() {
    if (!thread_.valid()) return;
    // The thread may not have its queue yet; retry until the quit request is taken.
    while (!PostThreadMessageA(threadId_, WM_QUIT, 0, 0) && WaitForSingleObject(thread_.get(), 10) == WAIT_TIMEOUT) {
    }
    WaitForSingleObject(thread_.get(), INFINITE);
}

}  // namespace kestrine::scripted
