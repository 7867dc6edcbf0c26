#include "tools/tool_window_common.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "shell/app_win32.h"
#include "text/wide.h"

namespace tools {

namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

// Whether a character may be typed into a restricted box: control characters (Backspace, the
// clipboard keys) always, others only when listed.
bool Allowed(const char* allowed, WPARAM c) {
    if (c < 0x20) return true;
    return c < 0x80 && std::strchr(allowed, static_cast<int>(c)) != nullptr;
}

// The restricted boxes: a character not listed is dropped, a paste keeps only the listed ones (and
// the box's length limit still applies to what is left). Only these two messages are looked at.
LRESULT CALLBACK RestrictedEntryProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    const char* allowed = reinterpret_cast<const char*>(data);
    switch (message) {
        case WM_CHAR:
        case WM_IME_CHAR:
            if (!Allowed(allowed, wparam)) {
                MessageBeep(MB_OK);
                return 0;
            }
            break;
        case WM_PASTE: {
            std::wstring kept;
            if (OpenClipboard(edit)) {
                if (HANDLE data_handle = GetClipboardData(CF_UNICODETEXT)) {
                    if (const auto* clip = static_cast<const wchar_t*>(GlobalLock(data_handle))) {
                        for (const wchar_t* p = clip; *p; ++p)
                            if (*p >= 0x20 && Allowed(allowed, *p)) kept += *p;
                        GlobalUnlock(data_handle);
                    }
                }
                CloseClipboard();
            }
            SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kept.c_str()));
            return 0;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, RestrictedEntryProc, 1);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wparam, lparam);
}

// Whether a font sets every text of the tables on a grid of columns: ASCII one column, a Chinese
// character (two GBK bytes) two.
bool KeepsColumns(HFONT font) {
    HDC dc = GetDC(nullptr);
    if (!dc) return false;
    HGDIOBJ old = SelectObject(dc, font);
    const auto width = [dc](const std::wstring& s) {
        SIZE size{};
        GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    };
    const int column = width(L"0");
    bool ok = column > 0;
    TEXTMETRICW metrics{};
    // TMPF_FIXED_PITCH set means a variable pitch (the name says the opposite).
    if (ok && GetTextMetricsW(dc, &metrics) && (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH)) ok = false;
    const char* samples[] = {"0123456789:- ADBC前", "闰正月大对应公历～塑日望日小寒", "日出时刻天亮天黑北京天安门第个条件日→"};
    for (const char* sample : samples) {
        if (!ok) break;
        ok = width(text::GbkToWide(sample)) == column * static_cast<int>(std::strlen(sample));
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return ok;
}

}  // namespace

std::string ToolWindowTitle(const char* item_name) { return std::string("橙鹿万年历：") + item_name; }

HWND CreateToolFrame(const wchar_t* class_name, WNDPROC procedure, const std::string& title, HWND owner) {
    if (!shell::RegisterProgramClass(class_name, procedure, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) return nullptr;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    // Alone (no owner) the window stands for the program on the taskbar.
    const DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | (owner ? 0 : WS_EX_APPWINDOW);
    return CreateWindowExW(ex_style, class_name, text::GbkToWide(title).c_str(), style, 0, 0, 100, 100, owner, nullptr,
                           Instance(), nullptr);
}

void PlaceToolFrame(HWND window, int client_width, int client_height) {
    RECT frame{0, 0, client_width, client_height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const shell::ScreenSize screen = shell::ScreenPixels();
    SetWindowPos(window, nullptr, std::max(0, (screen.width - width) / 2), std::max(0, (screen.height - height) / 2),
                 width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT CreateDialogFont() {
    return CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, text::GbkToWide("宋体").c_str());
}

HFONT CreateTableFont(int height) {
    // 新宋体 is the fixed-width face of 宋体 on Chinese Windows; elsewhere (Wine maps the Chinese
    // faces to whatever font is at hand) one of the monospaced Chinese faces takes its place.
    const char* faces[] = {"新宋体", "NSimSun", "WenQuanYi Zen Hei Mono", "文泉驿等宽正黑", "Noto Sans Mono CJK SC",
                           "MS Gothic"};
    HFONT first = nullptr;
    for (const char* face : faces) {
        HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                                 text::GbkToWide(face).c_str());
        if (!font) continue;
        if (KeepsColumns(font)) {
            if (first) DeleteObject(first);
            return font;
        }
        if (!first) {
            first = font;
        } else {
            DeleteObject(font);
        }
    }
    return first;
}

int ColumnWidth(HFONT font) {
    HDC dc = GetDC(nullptr);
    if (!dc) return 8;
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, L"0", 1, &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx > 0 ? static_cast<int>(size.cx) : 8;
}

HWND AddControl(HWND parent, HFONT font, const wchar_t* control_class, const std::string& caption, DWORD style,
                int x, int y, int width, int height, int id) {
    const DWORD ex_style = std::wcscmp(control_class, L"EDIT") == 0 ? WS_EX_CLIENTEDGE : 0;
    HWND control = CreateWindowExW(ex_style, control_class, text::GbkToWide(caption).c_str(),
                                   WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

std::string ControlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextW(control, buffer.data(), length + 1);
    return text::WideToGbk(std::wstring_view(buffer.data(), static_cast<size_t>(got > 0 ? got : 0)));
}

void SetControlText(HWND control, const std::string& gbk) { SetWindowTextW(control, text::GbkToWide(gbk).c_str()); }

void RestrictEntry(HWND edit, const char* allowed, int max_length) {
    SendMessageW(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(max_length), 0);
    SetWindowSubclass(edit, RestrictedEntryProc, 1, reinterpret_cast<DWORD_PTR>(allowed));
}

astro::DayNumber ToolStartDay() {
    const shell::App& app = shell::TheApp();
    if (app.displayed_day != 0) return app.displayed_day;
    if (app.clock) {
        const platform::LocalDateTime now = app.clock->Now();
        return astro::DateToDayNumber(now.year, now.month, now.day);
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return astro::DateToDayNumber(now.wYear, now.wMonth, now.wDay);
}

int RunToolWindow(HWND window, HWND owner) {
    if (!window) return IDCANCEL;
    shell::RunModal(window, owner);
    return IDCANCEL;
}

}  // namespace tools
