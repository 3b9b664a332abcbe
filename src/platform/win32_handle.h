#pragma once
// The one owner of every operating-system handle: kernel handles, find handles, mapping
// views, icons, brushes, image lists, screen device contexts, event sources, menus and local
// memory.
// Each kind names its close function, what a held handle looks like and its verifier, which
// hears of every handle taken and released; the owner closes a held handle exactly once. A window timer, which is no handle but must be
// killed as surely, has its own owner below.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdint>
#include <utility>

namespace kestrine {

// Handles held right now by the owners of one kind, kept by the counting verifier, so that a
// long run can show that nothing piles up. Atomic: a second thread of the test host loads
// icons too.
template <typename Owner>
inline std::atomic<long> ownedHandleCount{0};

// Verifiers: told when an owner of kind `Owner` takes a held handle and when it releases one.
struct NoVerifier {
    template <typename Owner>
    static void adopted() noexcept {}
    template <typename Owner>
    static void released() noexcept {}
};
struct CountingVerifier {
    template <typename Owner>
    static void adopted() noexcept {
        ++ownedHandleCount<Owner>;
    }
    template <typename Owner>
    static void released() noexcept {
        --ownedHandleCount<Owner>;
    }
};

// Sole owner of one handle (or none); movable, not copyable.
template <typename Handle, void (*close)(Handle), bool (*isHeld)(Handle), typename Verifier = NoVerifier>
class UniqueOwner {
public:
    UniqueOwner() = default;
    explicit UniqueOwner(Handle handle) noexcept : handle_(handle) { adopted(); }
    UniqueOwner(UniqueOwner&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) {
            free();
            handle_ = std::exchange(other.handle_, Handle{});
        }
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    ~UniqueOwner() { free(); }

    Handle get() const noexcept { return handle_; }
    bool valid() const noexcept { return isHeld(handle_); }
    explicit operator bool() const noexcept { return valid(); }
    // Closes the held handle and takes `handle`; given the handle it holds, it keeps it open.
    void reset(Handle handle = Handle{}) noexcept {
        if (handle == handle_) return;
        free();
        handle_ = handle;
        adopted();
    }
    // Gives the held handle up without closing it: the caller closes it now.
    [[nodiscard]] Handle release() noexcept {
        if (valid()) Verifier::template released<UniqueOwner>();
        return std::exchange(handle_, Handle{});
    }

private:
    void adopted() noexcept {
        if (valid()) Verifier::template adopted<UniqueOwner>();
    }
    void free() noexcept {
        if (!valid()) return;
        close(std::exchange(handle_, Handle{}));
        Verifier::template released<UniqueOwner>();
    }

    Handle handle_{};
};

namespace handle_kinds {

// Windows fails with either null or INVALID_HANDLE_VALUE, depending on the call.
inline bool isKernelHandle(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
template <typename Handle>
bool isNonNull(Handle handle) {
    return handle != nullptr;
}

inline void closeHandle(HANDLE handle) { CloseHandle(handle); }
inline void closeFind(HANDLE handle) { FindClose(handle); }
inline void unmapView(std::uint8_t* view) { UnmapViewOfFile(view); }
inline void destroyIcon(HICON icon) { DestroyIcon(icon); }
inline void deleteBrush(HBRUSH brush) { DeleteObject(brush); }
inline void deletePen(HPEN pen) { DeleteObject(pen); }
inline void deleteFont(HFONT font) { DeleteObject(font); }
inline void destroyImageList(HIMAGELIST list) { ImageList_Destroy(list); }
inline void releaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
inline void deregisterEventSource(HANDLE source) { DeregisterEventSource(source); }
inline void freeLocal(void* memory) { LocalFree(memory); }
inline void destroyMenu(HMENU menu) { DestroyMenu(menu); }

}  // namespace handle_kinds

using UniqueHandle = UniqueOwner<HANDLE, handle_kinds::closeHandle, handle_kinds::isKernelHandle>;
using UniqueFindHandle = UniqueOwner<HANDLE, handle_kinds::closeFind, handle_kinds::isKernelHandle>;
using UniqueView = UniqueOwner<std::uint8_t*, handle_kinds::unmapView, handle_kinds::isNonNull<std::uint8_t*>>;
// The window's pictures are counted: the soak reads the counts through the scripted test host,
// which has no other way to see them (the process's kernel handles it counts from outside).
using UniqueIcon = UniqueOwner<HICON, handle_kinds::destroyIcon, handle_kinds::isNonNull<HICON>, CountingVerifier>;
using UniqueBrush = UniqueOwner<HBRUSH, handle_kinds::deleteBrush, handle_kinds::isNonNull<HBRUSH>, CountingVerifier>;
using UniqueImageList =
    UniqueOwner<HIMAGELIST, handle_kinds::destroyImageList, handle_kinds::isNonNull<HIMAGELIST>, CountingVerifier>;
// The health window's plot makes its pens and font for each paint.
using UniquePen = UniqueOwner<HPEN, handle_kinds::deletePen, handle_kinds::isNonNull<HPEN>>;
using UniqueFont = UniqueOwner<HFONT, handle_kinds::deleteFont, handle_kinds::isNonNull<HFONT>>;
using UniqueScreenDc = UniqueOwner<HDC, handle_kinds::releaseScreenDc, handle_kinds::isNonNull<HDC>>;
using UniqueEventSource = UniqueOwner<HANDLE, handle_kinds::deregisterEventSource, handle_kinds::isNonNull<HANDLE>>;
// A menu loaded from the resources (the drive list's context menu).
using UniqueMenu = UniqueOwner<HMENU, handle_kinds::destroyMenu, handle_kinds::isNonNull<HMENU>>;
// Memory the system allocated for the caller with LocalAlloc (a converted security descriptor).
using UniqueLocalMemory = UniqueOwner<void*, handle_kinds::freeLocal, handle_kinds::isNonNull<void*>>;

// A window's timer: started with SetTimer, killed with KillTimer exactly once, at stop() or
// when the owner goes.
class UniqueTimer {
public:
    UniqueTimer() = default;
    UniqueTimer(const UniqueTimer&) = delete;
    UniqueTimer& operator=(const UniqueTimer&) = delete;
    ~UniqueTimer() { stop(); }

    bool start(HWND window, UINT_PTR id, UINT milliseconds) {
        stop();
        if (SetTimer(window, id, milliseconds, nullptr) == 0) return false;
        window_ = window;
        id_ = id;
        return true;
    }
    void stop() {
        if (window_ != nullptr) KillTimer(std::exchange(window_, nullptr), id_);
    }

private:
    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
};

}  // namespace kestrine
