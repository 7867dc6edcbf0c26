#include "shell/confirm_dialog.h"

#include "shell/app_win32.h"
#include "text/wide.h"

namespace shell {

namespace {

constexpr const wchar_t* kClassName = L"TempolineConfirm";
constexpr int kClientWidth = 250;
constexpr int kClientHeight = 100;

struct Dialog {
    HWND window = nullptr;
    HWND owner = nullptr;
    HWND ok = nullptr;
    HWND cancel = nullptr;
    HFONT font = nullptr;
};

// The answer of the last dialog closed (the dialog's record goes with its window).
bool g_last_answer = false;

HWND Control(Dialog& d, const wchar_t* cls, const std::string& caption, DWORD style, int x, int y, int w, int h, int id) {
    HWND c = CreateWindowExW(0, cls, text::GbkToWide(caption).c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                             d.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                             nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(d.font), FALSE);
    return c;
}

void CreateControls(Dialog& d, const std::string& question) {
    d.font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, text::GbkToWide("宋体").c_str());
    HWND icon = Control(d, L"STATIC", "", SS_ICON, 20, 16, 32, 32, kConfirmIconId);
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
    Control(d, L"STATIC", question, SS_LEFT | SS_CENTERIMAGE, 66, 16, kClientWidth - 66 - 16, 32, kConfirmQuestionId);
    // BS_NOTIFY: the dialog hears which button has the focus and makes that one the default.
    d.ok = Control(d, L"BUTTON", "确定", WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY, 40, 62, 76, 24, IDOK);
    d.cancel = Control(d, L"BUTTON", "取消", WS_TABSTOP | BS_DEFPUSHBUTTON | BS_NOTIFY, 134, 62, 76, 24, IDCANCEL);
}

// The focused button is the default one, as in a system dialog box, so that Enter presses it.
void MarkDefault(Dialog& d, HWND focused) {
    SendMessageW(d.ok, BM_SETSTYLE, focused == d.ok ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    SendMessageW(d.cancel, BM_SETSTYLE, focused == d.ok ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON, TRUE);
}

void Close(Dialog& d, bool answer) {
    g_last_answer = answer;
    DestroyWindow(d.window);
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Dialog* d = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_COMMAND:
            if (!d) break;
            if (HIWORD(wparam) == BN_SETFOCUS) {
                MarkDefault(*d, reinterpret_cast<HWND>(lparam));
                return 0;
            }
            if (HIWORD(wparam) != BN_CLICKED) break;
            switch (LOWORD(wparam)) {
                case IDOK: Close(*d, true); return 0;
                case IDCANCEL: Close(*d, false); return 0;
                default: break;
            }
            break;
        case DM_GETDEFID:
            // Enter presses the focused button, and 取消 when neither has the focus.
            if (d) return MAKELRESULT(GetFocus() == d->ok ? IDOK : IDCANCEL, DC_HASDEFID);
            break;
        case WM_CLOSE:
            if (d) Close(*d, false);
            return 0;
        case WM_DESTROY:
            if (d) {
                if (d->owner) EnableWindow(d->owner, TRUE);
                DeleteObject(d->font);
            }
            return 0;
        case WM_NCDESTROY:
            delete d;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

HWND CreateConfirmDialog(HWND owner, const std::string& question_gbk) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    shell::RegisterProgramClass(kClassName, DialogProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const ScreenSize screen = ScreenPixels();
    HWND window = CreateWindowExW(ex_style, kClassName, text::GbkToWide("警告").c_str(), style,
                                  (screen.width - width) / 2, (screen.height - height) / 2, width, height, owner,
                                  nullptr, instance, nullptr);
    if (!window) return nullptr;
    auto* d = new Dialog;
    d->window = window;
    d->owner = owner;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(d));
    CreateControls(*d, question_gbk);
    ShowWindow(window, SW_SHOW);
    SetFocus(d->cancel);
    return window;
}

bool ShowConfirmDialog(HWND owner, const std::string& question_gbk) {
    HWND window = CreateConfirmDialog(owner, question_gbk);
    if (!window) return false;
    g_last_answer = false;
    RunModal(window, owner);  // a program that ends meanwhile leaves no answer
    const bool answer = g_last_answer;
    return answer;
}

}  // namespace shell
