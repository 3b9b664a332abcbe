#pragma once
// Shell_NotifyIconA behind the tray icon's port.
#include <windows.h>
#include <shellapi.h>

#include "tray/notify_shell.h"

namespace kestrine {

// The version-1 record (88 bytes, understood by every shell) for `record`.
NOTIFYICONDATAA notifyIconData(const TrayIconRecord& record);

class Win32NotifyShell : public NotifyShell {
public:
    bool notify(NotifyAction action, const TrayIconRecord& record) override;
};

}  // namespace kestrine
