#include "win/dpi.h"

#include <algorithm>

namespace win {

namespace {

// The functions of user32 and shcore that older systems lack, looked up once. Their types are
// spelled out here: the headers declare them only for newer target versions.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using EnableNonClientDpiScalingFn = BOOL(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

template <typename Function>
Function FromUser32(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

GetDpiForMonitorFn MonitorDpiFunction() {
    // shcore.dll is loaded only when the monitors are asked for, and stays for the program's life.
    static const GetDpiForMonitorFn function = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    return function;
}

int MonitorDpi(HMONITOR monitor) {
    UINT x = 0, y = 0;
    if (GetDpiForMonitorFn f = MonitorDpiFunction(); f && SUCCEEDED(f(monitor, kEffectiveDpi, &x, &y)) && y > 0)
        return static_cast<int>(y);
    return SystemDpi();
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    auto& found = *reinterpret_cast<std::vector<std::pair<bool, Monitor>>*>(data);
    found.emplace_back((info.dwFlags & MONITORINFOF_PRIMARY) != 0,
                       Monitor{ToBox(info.rcMonitor), ToBox(info.rcWork), MonitorDpi(monitor)});
    return TRUE;
}

}  // namespace

int SystemDpi() {
    static const int dpi = [] {
        if (auto f = FromUser32<GetDpiForSystemFn>("GetDpiForSystem")) {
            if (const UINT d = f(); d > 0) return static_cast<int>(d);
        }
        HDC screen = GetDC(nullptr);
        const int d = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen) ReleaseDC(nullptr, screen);
        return d > 0 ? d : kBaseDpi;
    }();
    return dpi;
}

int DpiOf(HWND window) {
    static const auto f = FromUser32<GetDpiForWindowFn>("GetDpiForWindow");
    if (f && window) {
        if (const UINT d = f(window); d > 0) return static_cast<int>(d);
    }
    return SystemDpi();
}

void ScaleFrameOf(HWND window) {
    static const auto f = FromUser32<EnableNonClientDpiScalingFn>("EnableNonClientDpiScaling");
    if (f) f(window);
}

std::vector<Monitor> Monitors() {
    std::vector<std::pair<bool, Monitor>> found;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&found));
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first && !b.first; });
    std::vector<Monitor> monitors;
    for (const auto& [primary, m] : found) monitors.push_back(m);
    if (monitors.empty()) {  // no monitor reported: the screen as the system metrics give it
        const Box screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        RECT work;
        monitors.push_back({screen, SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) ? ToBox(work) : screen, SystemDpi()});
    }
    return monitors;
}

int MetricAt(int index, int dpi) {
    static const auto f = FromUser32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (f) return f(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

SIZE FrameSizeAt(DWORD style, DWORD ex_style, SIZE client, int dpi) {
    static const auto f = FromUser32<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT frame{0, 0, client.cx, client.cy};
    if (!f || !f(&frame, style, FALSE, ex_style, static_cast<UINT>(dpi))) AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

RECT ToRect(const Box& box) { return RECT{box.left, box.top, box.right, box.bottom}; }

Box ToBox(const RECT& r) {
    return Box{static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom)};
}

RECT Scaler::Rect(const RECT& r) const { return ToRect(ScaledBox(ToBox(r), dpi_)); }

void Scaler::Frame(HDC dc, const RECT& logical, HBRUSH brush, int width) const {
    const RECT outer = Rect(logical);
    const RECT inner = Rect(logical.left + width, logical.top + width, logical.right - width, logical.bottom - width);
    const RECT lines[4] = {
        {outer.left, outer.top, outer.right, inner.top},        // top
        {outer.left, inner.bottom, outer.right, outer.bottom},  // bottom
        {outer.left, inner.top, inner.left, inner.bottom},      // left
        {inner.right, inner.top, outer.right, inner.bottom},    // right
    };
    for (const RECT& line : lines)
        if (line.right > line.left && line.bottom > line.top) FillRect(dc, &line, brush);
}

bool Scaler::Hit(const RECT& logical, POINT pixels) const {
    const RECT r = Rect(logical);
    return PtInRect(&r, pixels) != FALSE;
}

}  // namespace win
