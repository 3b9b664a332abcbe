#pragma once
// Loading the window's icons at the sizes the system wants.
#include <windows.h>

#include "platform/win32_handle.h"

namespace kestrine {

// An icon resource's image nearest to `size` pixels square, owned by the caller (not shared,
// so the owner may destroy it). Null when the resource is missing.
inline UniqueIcon loadIcon(HINSTANCE module, int resourceId, int size) {
    return UniqueIcon(static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, size, size, 0)));
}

inline int smallIconSize() { return GetSystemMetrics(SM_CXSMICON); }
inline int largeIconSize() { return GetSystemMetrics(SM_CXICON); }

}  // namespace kestrine
