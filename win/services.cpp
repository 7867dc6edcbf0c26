#include "win/services.h"

#include <algorithm>
#include <vector>

#include "text/wide.h"
#include "win/dpi.h"
#include "win/window.h"

namespace win {

SIZE DesktopReach() {
    SIZE reach{0, 0};
    for (const Monitor& m : Monitors()) {
        reach.cx = std::max<LONG>(reach.cx, m.area.right);
        reach.cy = std::max<LONG>(reach.cy, m.area.bottom);
    }
    return reach;
}

RECT KeptOnScreen(RECT r) { return ToRect(KeptOnMonitors(Monitors(), ToBox(r))); }

void PlaceAtCentre(HWND window, std::optional<POINT> centre) {
    const Window* state = Window::Of(window);
    RECT now;
    GetWindowRect(window, &now);
    const SIZE current{now.right - now.left, now.bottom - now.top};
    const auto size_at = [state, current](int dpi) {
        const SIZE s = state ? state->FrameSizeAt(dpi) : current;
        return Extent{static_cast<int>(s.cx), static_cast<int>(s.cy)};
    };
    const std::optional<Spot> at = centre ? std::optional<Spot>(Spot{centre->x, centre->y}) : std::nullopt;
    const Box placed = win::PlaceAtCentre(Monitors(), at, size_at).box;
    SetWindowPos(window, nullptr, placed.left, placed.top, placed.Width(), placed.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool SetTopmost(HWND window, bool on) {
    return SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED) != FALSE;
}

bool EmbedInDesktop(HWND window, bool on) {
    if (!on) {
        SetParent(window, nullptr);
        return true;
    }
    HWND manager = FindWindowW(L"Progman", L"Program Manager");
    HWND view = manager ? FindWindowExW(manager, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
    HWND list = view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
    if (list == nullptr) return false;
    return SetParent(window, list) != nullptr;
}

void SetTransparency(HWND window, int t) {
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (!(style & WS_EX_LAYERED)) SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    const int alpha = 255 - std::clamp(t, 0, 255);
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

int Alpha(HWND window) {
    BYTE alpha = 255;
    DWORD flags = 0;
    if (!(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED)) return 255;
    if (!GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA)) return 255;
    return alpha;
}

void StartDrag(HWND window) {
    ReleaseCapture();
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

bool IsWindowOrChild(HWND window, HWND other) { return other != nullptr && (other == window || IsChild(window, other)); }

SingleInstance::SingleInstance(const wchar_t* name) : mutex_(CreateMutexW(nullptr, FALSE, name)) {
    already_running_ = !mutex_ || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(text::GbkToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(text::GbkToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool BitmapFileLoads(const std::string& path) {
    if (!FileExists(path)) return false;
    const std::wstring wide = text::GbkToWide(path);
    const Bitmap bitmap(static_cast<HBITMAP>(LoadImageW(nullptr, wide.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    return static_cast<bool>(bitmap);
}

}  // namespace win
