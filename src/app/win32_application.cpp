#include "app/win32_application.h"

#include <commctrl.h>

#include <array>
#include <string>

#include "app/win32_error_mode.h"
#include "ui/program_name.h"

namespace kestrine {

namespace {

std::string applicationName(HINSTANCE instance) {
    std::array<char, MAX_PATH> path{};
    const DWORD length = GetModuleFileNameA(instance, path.data(), static_cast<DWORD>(path.size()));
    return programNameFromPath(std::string_view(path.data(), length));
}

}  // namespace

MainWindowPorts mainWindowPorts(Win32Platform& platform, DevicePort& devices) {
    return {devices,
            platform.systemMessages,
            platform.volumes,
            platform.files,
            platform.pause,
            platform.historyLock,
            platform.notifyShell,
            platform.eventLog,
            platform.settingsFolder,
            platform.elevated};
}

int runApplication(HINSTANCE instance, const char* commandTail, DevicePort& devices) {
    failDriveErrorsQuietly();
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);

    const ApplicationInfo application{applicationName(instance), commandTail != nullptr ? commandTail : ""};
    Win32Platform platform;
    MainWindow window(instance, application, mainWindowPorts(platform, devices));
    window.runModal(nullptr);
    return 0;
}

}  // namespace kestrine
