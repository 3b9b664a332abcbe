#pragma once
// The real adapters behind the core's ports, built once by an entry point and lent by
// reference to whatever front end it runs. The device port stays outside: the scripted test
// host brings its own.
#include <string>

#include "platform/win32_device_port.h"
#include "platform/win32_event_log.h"
#include "platform/win32_file_store.h"
#include "platform/win32_history_lock.h"
#include "platform/win32_process_token.h"
#include "platform/win32_settings_folder.h"
#include "platform/win32_volume_source.h"
#include "ui/win32_notify_shell.h"

namespace kestrine {

struct Win32Platform {
    Win32SystemMessages systemMessages;
    Win32VolumeSource volumes;
    Win32FileStore files;
    Win32Pause pause;
    Win32HistoryLock historyLock;
    Win32NotifyShell notifyShell;
    Win32EventLog eventLog;
    std::string settingsFolder = settingsBaseFolder();
    bool elevated = runsElevated();
};

}  // namespace kestrine
