#pragma once
// Owners of the handles only the tests hold: bitmaps (the screenshots and the icon checks of
// the test host) and registry keys (the display scale the tests set).
#include <windows.h>

#include "platform/win32_handle.h"

namespace kestrine {

namespace handle_kinds {

inline void deleteBitmap(HBITMAP bitmap) { DeleteObject(bitmap); }
inline void closeRegistryKey(HKEY key) { RegCloseKey(key); }

}  // namespace handle_kinds

using UniqueBitmap = UniqueOwner<HBITMAP, handle_kinds::deleteBitmap, handle_kinds::isNonNull<HBITMAP>>;
using UniqueRegistryKey = UniqueOwner<HKEY, handle_kinds::closeRegistryKey, handle_kinds::isNonNull<HKEY>>;

}  // namespace kestrine
