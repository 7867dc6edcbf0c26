#include "win/window.h"

#include "text/wide.h"
#include "win/controls.h"
#include "win/services.h"

namespace win {

namespace {

// What Create hands to the window procedure through CreateWindowEx: the state object, and whether
// the window has taken it (after which the window frees it, even when its creation then fails).
struct Creation {
    Window* window = nullptr;
    bool attached = false;
};

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

bool RegisterFrameClass(const Frame& frame, WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(Instance(), frame.class_name, &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = frame.class_style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = Instance();
    wc.hIcon = static_cast<HICON>(LoadImageW(Instance(), L"FORM_APPICON", IMAGE_ICON, 32, 32, LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(Instance(), L"FORM_APPICON", IMAGE_ICON, 16, 16, LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // A class's own brush belongs to the class, which lives as long as the program.
    wc.hbrBackground = frame.background == CLR_INVALID ? reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)
                                                        : CreateSolidBrush(frame.background);
    wc.lpszClassName = frame.class_name;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

Window* Window::Of(HWND window) {
    if (window == nullptr || !IsWindow(window)) return nullptr;
    // Only the windows of classes registered here carry a state object in their user data.
    if (GetClassLongPtrW(window, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&Window::Procedure)) return nullptr;
    return reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* creation = static_cast<Creation*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        creation->attached = true;
        creation->window->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->window));
    }
    auto* state = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        const std::unique_ptr<Window> owned(state);
        return DefWindowProcW(window, message, wparam, lparam);
    }
    return state->Dispatch(message, wparam, lparam);
}

LRESULT Window::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate() ? 0 : -1;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam))) return 0;
            // Escape, or a 取消 button pressed (BN_CLICKED is 0, as is the code of a key).
            if (LOWORD(wparam) == IDCANCEL && HIWORD(wparam) == BN_CLICKED) {
                OnCancel();
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
            if (HBRUSH brush = OnControlColour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam)))
                return reinterpret_cast<LRESULT>(brush);
            break;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            break;
    }
    return OnMessage(message, wparam, lparam);
}

bool Window::OnCommand(int, int, HWND) { return false; }

void Window::OnCancel() { OnClose(); }

HBRUSH Window::OnControlColour(HDC, HWND) { return nullptr; }

void Window::OnClose() { Close(IDCANCEL); }

LRESULT Window::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(handle_, message, wparam, lparam);
}

void Window::Close(int result) {
    result_ = result;
    if (closing_) return;
    closing_ = true;
    if (modal_) {
        PostMessageW(handle_, WM_NULL, 0, 0);  // wakes the modal loop, which ends the window
    } else {
        DestroyWindow(handle_);
    }
}

HWND Window::AddControl(const wchar_t* control_class, const std::string& caption, DWORD style, int x, int y,
                        int width, int height, int id, HFONT font, DWORD ex_style) {
    return win::AddControl(handle_, font ? font : DialogFont(), control_class, caption, style, x, y, width, height, id,
                           ex_style);
}

HFONT Window::DialogFont() {
    if (!dialog_font_) dialog_font_ = MakeFont("宋体", 12, FW_NORMAL);
    return dialog_font_.get();
}

void Window::PlaceCentred(int client_width, int client_height) {
    const SIZE frame = FrameSize(handle_, client_width, client_height);
    const RECT r = CentredOnScreen(frame.cx, frame.cy);
    SetWindowPos(handle_, nullptr, r.left, r.top, frame.cx, frame.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Create(std::unique_ptr<Window> window, const Frame& frame, HWND owner) {
    if (!window || !RegisterFrameClass(frame, &Window::Procedure)) return nullptr;
    window->owner_ = owner;
    Creation creation{window.get(), false};
    HWND handle = CreateWindowExW(frame.ex_style, frame.class_name, text::GbkToWide(frame.title).c_str(),
                                  frame.style & ~WS_VISIBLE, frame.x, frame.y, frame.width, frame.height, owner,
                                  nullptr, Instance(), &creation);
    // From WM_NCCREATE on the window owns the object and frees it when it goes, also when its
    // creation failed after that point.
    if (creation.attached) static_cast<void>(window.release());
    if (handle != nullptr && frame.shown) Show(handle);
    return handle;
}

void Show(HWND window) {
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    if (Window* state = Window::Of(window)) state->OnShown();
}

int RunModal(HWND window) {
    Window* state = Window::Of(window);
    if (state == nullptr) return -1;
    state->modal_ = true;
    HWND owner = state->owner_;
    if (owner) EnableWindow(owner, FALSE);
    int result = IDCANCEL;
    bool quit = false;
    WPARAM quit_code = 0;
    MSG msg;
    for (;;) {
        // The state is looked up afresh each time: something else may have destroyed the window.
        state = Window::Of(window);
        if (state == nullptr) break;
        if (state->closing_) {
            result = state->result_;
            break;
        }
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            quit_code = msg.wParam;
            break;
        }
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetForegroundWindow(owner);
    }
    if (IsWindow(window)) DestroyWindow(window);
    if (quit) PostQuitMessage(static_cast<int>(quit_code));
    return result;
}

}  // namespace win
