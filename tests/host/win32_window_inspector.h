#pragma once
// The scripted host's answering thread for menu, icon and object-count dumps (see
// window_inspection.h).
#include <windows.h>

#include "platform/win32_handle.h"

namespace kestrine::scripted {

class WindowInspector {
public:
    WindowInspector();
    ~WindowInspector();  // ends the thread and waits for it
    WindowInspector(const WindowInspector&) = delete;
    WindowInspector& operator=(const WindowInspector&) = delete;

private:
    DWORD threadId_ = 0;
    UniqueHandle thread_;
};

}  // namespace kestrine::scripted
