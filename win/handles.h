// Owners of operating-system handles: each frees its handle exactly once, when the owner goes, so a
// window that keeps its fonts, brushes and bitmaps in such members cannot leak them.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>

namespace win {

template <typename Handle, void (*Free)(Handle)>
class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Frees the handle held and keeps `handle` instead.
    void reset(Handle handle = nullptr) {
        if (handle_ && handle_ != handle) Free(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

template <typename Handle>
void DeleteGdiObject(Handle handle) {
    DeleteObject(handle);
}
inline void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }
inline void DestroyMenuHandle(HMENU menu) { DestroyMenu(menu); }
inline void DestroyIconHandle(HICON icon) { DestroyIcon(icon); }

using Font = Owned<HFONT, DeleteGdiObject<HFONT>>;
using Brush = Owned<HBRUSH, DeleteGdiObject<HBRUSH>>;
using Bitmap = Owned<HBITMAP, DeleteGdiObject<HBITMAP>>;
// A mutex, an event, a thread: closed with CloseHandle.
using KernelHandle = Owned<HANDLE, CloseKernelHandle>;
// A menu and the submenus in it.
using Menu = Owned<HMENU, DestroyMenuHandle>;
// An icon loaded at a size of its own (not shared).
using Icon = Owned<HICON, DestroyIconHandle>;

// A value a worker's thread hands to a window: posted as `message` with the value's own copy in
// LPARAM, taken back by the window with TakePosted; a value that could not be posted (the window
// is gone) is freed at once, and what is still queued when the window goes is freed by FreePosted.
template <typename T>
void PostOwned(HWND window, UINT message, T value) {
    auto copy = std::make_unique<T>(std::move(value));
    if (PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(copy.get()))) copy.release();
}
template <typename T>
std::unique_ptr<T> TakePosted(LPARAM lparam) {
    return std::unique_ptr<T>(reinterpret_cast<T*>(lparam));
}
template <typename T>
void FreePosted(HWND window, UINT message) {
    MSG pending;
    while (PeekMessageW(&pending, window, message, message, PM_REMOVE)) TakePosted<T>(pending.lParam);
}

}  // namespace win
