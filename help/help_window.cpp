#include "help/help_window.h"

#include <string>

#include "help/help_text.h"
#include "shell/app_win32.h"
#include "text/wide.h"

namespace help {

namespace {

constexpr const wchar_t* kClassName = L"TempolineHelp";

// The layout, in client pixels: the upper box, the row of labels like tabs on top of the lower box.
constexpr int kClientWidth = 440;
constexpr int kMargin = 10;
constexpr int kBoxWidth = kClientWidth - 2 * kMargin;
constexpr int kTitleTop = kMargin;
constexpr int kTitleHeight = 104;
constexpr int kLabelTop = kTitleTop + kTitleHeight + 10;
constexpr int kLabelWidth = 64;
constexpr int kLabelHeight = 22;
constexpr int kPageTop = kLabelTop + kLabelHeight;
constexpr int kPageHeight = 190;
constexpr int kClientHeight = kPageTop + kPageHeight + kMargin;

constexpr COLORREF kCurrentLabelText = RGB(192, 80, 0);  // the program's orange, darkened
constexpr COLORREF kOtherLabelText = RGB(0, 51, 153);    // link blue: press to open

constexpr const char* kLabelCaptions[4] = {"功能", "说明", "快捷键", "关于"};

struct Dialog {
    HWND window = nullptr;
    HWND owner = nullptr;
    HWND title = nullptr;
    HWND page_box = nullptr;
    HWND labels[4] = {};
    HFONT font = nullptr;
    HFONT bold = nullptr;  // the current page's label
    int page = 0;          // 1..4 once filled
    int fills = 0;
};

Dialog* DialogOf(HWND window) {
    if (!window || !IsWindow(window)) return nullptr;
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    if (std::wstring(cls) != kClassName) return nullptr;
    return reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void SetText(HWND control, const std::string& gbk) { SetWindowTextW(control, text::GbkToWide(gbk).c_str()); }

HFONT SongFont(int weight) {
    return CreateFontW(-12, 0, 0, 0, weight, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, text::GbkToWide("宋体").c_str());
}

HWND Control(Dialog& d, const wchar_t* cls, const std::string& caption, DWORD style, DWORD ex_style, int x, int y,
             int w, int h, int id) {
    HWND c = CreateWindowExW(ex_style, cls, text::GbkToWide(caption).c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w,
                             h, d.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                             nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(d.font), FALSE);
    return c;
}

int LabelPage(int id) { return id >= kFirstLabelId && id <= kLastLabelId ? id - kFirstLabelId + 1 : 0; }

void CreateControls(Dialog& d) {
    d.font = SongFont(FW_NORMAL);
    d.bold = SongFont(FW_BOLD);
    const DWORD box = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP;
    d.title = Control(d, L"EDIT", "", box, WS_EX_CLIENTEDGE, kMargin, kTitleTop, kBoxWidth, kTitleHeight, kTitleBoxId);
    for (int k = 0; k < 4; ++k)
        d.labels[k] = Control(d, L"STATIC", kLabelCaptions[k], SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY | WS_BORDER, 0,
                              kMargin + k * (kLabelWidth + 2), kLabelTop, kLabelWidth, kLabelHeight, kFirstLabelId + k);
    d.page_box = Control(d, L"EDIT", "", box, WS_EX_CLIENTEDGE, kMargin, kPageTop, kBoxWidth, kPageHeight, kPageBoxId);
}

// Makes `page` current: its label marked, its text in the lower box. Nothing happens when it is
// current already.
void ShowPage(Dialog& d, int page) {
    if (page < FirstLabelPage || page > LastLabelPage || page == d.page) return;
    const int previous = d.page;
    d.page = page;
    SetText(d.page_box, HelpText(page));
    ++d.fills;
    for (int shown : {previous, page}) {
        if (shown < FirstLabelPage) continue;
        HWND label = d.labels[shown - FirstLabelPage];
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(shown == d.page ? d.bold : d.font), FALSE);
        InvalidateRect(label, nullptr, TRUE);
    }
}

void Close(Dialog& d) { DestroyWindow(d.window); }

// The read-only boxes on white like paper; the labels as tabs, the current one white like the box it
// stands on, the others on the dialog's colour in link blue.
LRESULT ControlColours(Dialog& d, HDC dc, HWND control) {
    const int page = LabelPage(GetDlgCtrlID(control));
    if (page == 0 || page == d.page) {
        SetTextColor(dc, page == 0 ? GetSysColor(COLOR_WINDOWTEXT) : kCurrentLabelText);
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    SetTextColor(dc, kOtherLabelText);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Dialog* d = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_COMMAND:
            if (!d) break;
            switch (LOWORD(wparam)) {
                case IDOK:
                case IDCANCEL: Close(*d); return 0;
                default: break;
            }
            // A press on a label (the second press of a double click comes as STN_DBLCLK).
            if (LabelPage(LOWORD(wparam)) != 0 && (HIWORD(wparam) == STN_CLICKED || HIWORD(wparam) == STN_DBLCLK)) {
                ShowPage(*d, LabelPage(LOWORD(wparam)));
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            if (d) return ControlColours(*d, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
            break;
        case WM_SETCURSOR:
            if (d && LabelPage(GetDlgCtrlID(reinterpret_cast<HWND>(wparam))) != 0 &&
                GetParent(reinterpret_cast<HWND>(wparam)) == window) {
                const int page = LabelPage(GetDlgCtrlID(reinterpret_cast<HWND>(wparam)));
                SetCursor(LoadCursorW(nullptr, page == d->page ? IDC_ARROW : IDC_HAND));
                return TRUE;
            }
            break;
        case WM_CLOSE:
            if (d) Close(*d);
            return 0;
        case WM_DESTROY:
            if (d) {
                if (d->owner) EnableWindow(d->owner, TRUE);
                DeleteObject(d->font);
                DeleteObject(d->bold);
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

HWND CreateHelpDialog(HWND owner) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    shell::RegisterProgramClass(kClassName, DialogProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const shell::ScreenSize screen = shell::ScreenPixels();
    HWND window = CreateWindowExW(ex_style, kClassName, text::GbkToWide("帮助").c_str(), style,
                                  (screen.width - width) / 2, (screen.height - height) / 2, width, height, owner,
                                  nullptr, instance, nullptr);
    if (!window) return nullptr;
    auto* d = new Dialog;
    d->window = window;
    d->owner = owner;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(d));
    CreateControls(*d);
    SetText(d->title, HelpText(0));
    ShowPage(*d, FirstLabelPage);
    ShowWindow(window, SW_SHOW);
    // The reader starts in the page; no text is selected.
    SetFocus(d->page_box);
    SendMessageW(d->page_box, EM_SETSEL, 0, 0);
    return window;
}

int ShowHelpDialog(HWND owner) {
    HWND window = CreateHelpDialog(owner);
    if (!window) return -1;
    shell::RunModal(window, owner);
    return IDOK;
}

int HelpDialogPage(HWND dialog) {
    const Dialog* d = DialogOf(dialog);
    return d ? d->page : 0;
}

int HelpDialogPageFills(HWND dialog) {
    const Dialog* d = DialogOf(dialog);
    return d ? d->fills : 0;
}

}  // namespace help
