#pragma once
// One owner each for the window's icons, brushes and image lists: released exactly once.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <type_traits>

namespace kestrine {

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct BrushDeleter {
    void operator()(HBRUSH brush) const { DeleteObject(brush); }
};
struct ImageListDeleter {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};

using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, BrushDeleter>;
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;

// An icon resource's image nearest to `size` pixels square, owned by the caller (not shared,
// so the owner may destroy it). Null when the resource is missing.
inline UniqueIcon loadIcon(HINSTANCE module, int resourceId, int size) {
    return UniqueIcon(static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, size, size, 0)));
}

inline int smallIconSize() { return GetSystemMetrics(SM_CXSMICON); }
inline int largeIconSize() { return GetSystemMetrics(SM_CXICON); }

}  // namespace kestrine
