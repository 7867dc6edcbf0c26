// Owners of operating-system handles: each frees its handle exactly once, when the owner goes, so a
// window that keeps its fonts, brushes and bitmaps in such members cannot leak them.
#pragma once

#include <windows.h>

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

}  // namespace win
