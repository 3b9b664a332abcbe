#pragma once
// One owner each for the window's icons, brushes and image lists: released exactly once.
// The owners also keep a process-wide count of the objects they hold, so a long run can show
// that nothing piles up (the scripted test host reports it).
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <utility>

namespace kestrine {

enum class GdiKind : std::size_t { Icon, Brush, ImageList };
inline constexpr std::size_t gdiKindCount = 3;

// Objects held right now by the owners below, per kind. Atomic: a second thread of the test
// host loads icons too.
inline std::array<std::atomic<long>, gdiKindCount> liveGdiObjects{};

inline long liveGdiObjectCount(GdiKind kind) { return liveGdiObjects[static_cast<std::size_t>(kind)].load(); }

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct BrushDeleter {
    void operator()(HBRUSH brush) const { DeleteObject(brush); }
};
struct ImageListDeleter {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};

// Sole owner of one handle (or none); movable, not copyable.
template <typename Handle, typename Deleter, GdiKind kind>
class GdiOwner {
public:
    GdiOwner() = default;
    explicit GdiOwner(Handle handle) noexcept { adopt(handle); }
    GdiOwner(GdiOwner&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiOwner& operator=(GdiOwner&& other) noexcept {
        if (this != &other) {
            free();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    GdiOwner(const GdiOwner&) = delete;
    GdiOwner& operator=(const GdiOwner&) = delete;
    ~GdiOwner() { free(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    void reset(Handle handle = nullptr) noexcept {
        free();
        adopt(handle);
    }

private:
    static std::atomic<long>& live() { return liveGdiObjects[static_cast<std::size_t>(kind)]; }
    void adopt(Handle handle) noexcept {
        handle_ = handle;
        if (handle_ != nullptr) ++live();
    }
    void free() noexcept {
        if (handle_ == nullptr) return;
        Deleter{}(std::exchange(handle_, nullptr));
        --live();
    }

    Handle handle_ = nullptr;
};

using UniqueIcon = GdiOwner<HICON, IconDeleter, GdiKind::Icon>;
using UniqueBrush = GdiOwner<HBRUSH, BrushDeleter, GdiKind::Brush>;
using UniqueImageList = GdiOwner<HIMAGELIST, ImageListDeleter, GdiKind::ImageList>;

// An icon resource's image nearest to `size` pixels square, owned by the caller (not shared,
// so the owner may destroy it). Null when the resource is missing.
inline UniqueIcon loadIcon(HINSTANCE module, int resourceId, int size) {
    return UniqueIcon(static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, size, size, 0)));
}

inline int smallIconSize() { return GetSystemMetrics(SM_CXSMICON); }
inline int largeIconSize() { return GetSystemMetrics(SM_CXICON); }

}  // namespace kestrine
