// The reference for the start-up time of the calendar: a bare window of the day page's size and
// styles, registered and created the same way, with nothing in it.
#include <windows.h>

#include "win/startup_trace.h"

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    TEMPO_STARTUP_MARK("entry");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(RGB(79, 190, 223));
    wc.lpszClassName = L"TempolineBareWindow";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, wc.lpszClassName, L"bare",
                                  WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 382, 309, 260, 150, nullptr, nullptr,
                                  instance, nullptr);
    TEMPO_STARTUP_MARK("window made");
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    TEMPO_STARTUP_MARK("shown");
    MSG msg;
    while (TEMPO_STARTUP_IDLE(), GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
