#include "win/controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstring>

#include "text/wide.h"

namespace win {

namespace {

// The rest of a control's messages go to its own procedure; the subclass comes off when it goes.
LRESULT Default(HWND control, UINT message, WPARAM wparam, LPARAM lparam, SUBCLASSPROC subclass) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(control, subclass, 1);
    return DefSubclassProc(control, message, wparam, lparam);
}

// Whether a character may be typed into a restricted box: control characters (Backspace, the
// clipboard keys) always, others only when listed.
bool Allowed(const char* allowed, WPARAM c) {
    if (c < 0x20) return true;
    return c < 0x80 && std::strchr(allowed, static_cast<int>(c)) != nullptr;
}

// A character not listed is dropped; a paste keeps only the listed ones (and the box's length limit
// still applies to what is left).
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
        default:
            break;
    }
    return Default(edit, message, wparam, lparam, RestrictedEntryProc);
}

LRESULT ToParent(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    HWND parent = GetParent(control);
    POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    MapWindowPoints(control, parent, &p, 1);
    return SendMessageW(parent, message, wparam, MAKELPARAM(p.x, p.y));
}

LRESULT CALLBACK ReadOnlyTextProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_PASTE:
            return 0;
        case WM_GETDLGCODE:  // the arrows scroll it; Tab, Enter and Escape go on to the window
            return Default(edit, message, wparam, lparam, ReadOnlyTextProc) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
        case WM_LBUTTONDBLCLK:
            SendMessageW(edit, EM_SETSEL, 0, -1);
            SendMessageW(GetParent(edit), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(edit), kTextDoubleClicked),
                         reinterpret_cast<LPARAM>(edit));
            return 0;
        case WM_KEYDOWN:
            if (wparam == VK_ESCAPE) {
                SendMessageW(GetParent(edit), WM_COMMAND, IDCANCEL, 0);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wparam == VK_ESCAPE) return 0;
            break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return ToParent(edit, message, wparam, lparam);
        case WM_CONTEXTMENU:  // the window's menu, not the edit's, as for the right button
            return SendMessageW(GetParent(edit), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetParent(edit)), lparam);
        default:
            break;
    }
    return Default(edit, message, wparam, lparam, ReadOnlyTextProc);
}

LRESULT CALLBACK DialogKeysLeaveProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    if (message == WM_GETDLGCODE)
        return Default(edit, message, wparam, lparam, DialogKeysLeaveProc) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
    return Default(edit, message, wparam, lparam, DialogKeysLeaveProc);
}

LRESULT CALLBACK PassMouseProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_RBUTTONUP || message == WM_MOUSEMOVE)
        return ToParent(control, message, wparam, lparam);
    return Default(control, message, wparam, lparam, PassMouseProc);
}

// Whether a font sets every sample on a grid of columns: ASCII one column, a Chinese character (two
// GBK bytes) two. A font that says it has a variable pitch is refused at once.
bool KeepsColumns(HFONT font, const std::vector<const char*>& samples) {
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
    for (const char* sample : samples) {
        if (!ok) break;
        ok = width(text::GbkToWide(sample)) == column * static_cast<int>(std::strlen(sample));
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return ok;
}

TEXTMETRICW Metrics(HFONT font) {
    TEXTMETRICW metrics{};
    HDC dc = GetDC(nullptr);
    if (!dc) return metrics;
    HGDIOBJ old = SelectObject(dc, font);
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return metrics;
}

}  // namespace

HWND AddControl(HWND parent, HFONT font, const wchar_t* control_class, const std::string& caption, DWORD style, int x,
                int y, int width, int height, int id, DWORD ex_style) {
    HWND control = CreateWindowExW(ex_style, control_class, text::GbkToWide(caption).c_str(),
                                   WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

Font ColumnFont(int height, const std::vector<const char*>& faces, const std::vector<const char*>& samples) {
    Font first;
    for (const char* face : faces) {
        Font font(CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                              text::GbkToWide(face).c_str()));
        if (!font) continue;
        if (KeepsColumns(font.get(), samples)) return font;
        if (!first) first = std::move(font);
    }
    return first;
}

int DigitWidth(HFONT font) {
    HDC dc = GetDC(nullptr);
    if (!dc) return 8;
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, L"0", 1, &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx > 0 ? static_cast<int>(size.cx) : 8;
}

int LineHeight(HFONT font) { return static_cast<int>(Metrics(font).tmHeight); }

std::string Text(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(control, buffer.data(), length + 1);
    buffer.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text::WideToGbk(buffer);
}

void SetText(HWND control, const std::string& gbk) { SetWindowTextW(control, text::GbkToWide(gbk).c_str()); }

void FillList(HWND combo, const std::vector<std::string>& items) {
    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SendMessageW(combo, CB_INITSTORAGE, items.size(), items.size() * 24);
    for (const std::string& item : items)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text::GbkToWide(item).c_str()));
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(combo, nullptr, TRUE);
}

int Selection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

void Select(HWND combo, int index) { SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

HWND DropDownOf(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(combo, &info) ? info.hwndList : nullptr;
}

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND button, bool on) { SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

void RestrictEntry(HWND edit, const char* allowed, int max_length) {
    SendMessageW(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(max_length), 0);
    SetWindowSubclass(edit, RestrictedEntryProc, 1, reinterpret_cast<DWORD_PTR>(allowed));
}

void MakeReadOnlyText(HWND edit) { SetWindowSubclass(edit, ReadOnlyTextProc, 1, 0); }

void PassMouseToParent(HWND control) { SetWindowSubclass(control, PassMouseProc, 1, 0); }

void LetDialogKeysLeave(HWND edit) { SetWindowSubclass(edit, DialogKeysLeaveProc, 1, 0); }

void PaintOffScreen(HWND window, const std::function<void(HDC, const RECT&)>& draw) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HDC buffer = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(buffer, bitmap);
    draw(buffer, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, old);
    DeleteObject(bitmap);
    DeleteDC(buffer);
    EndPaint(window, &ps);
}

HBRUSH Colours::Use(HDC dc, COLORREF text, COLORREF background) {
    SetTextColor(dc, text);
    return Use(dc, background);
}

HBRUSH Colours::Use(HDC dc, COLORREF background) {
    SetBkColor(dc, background);
    return BrushOf(background);
}

HBRUSH Colours::BrushOf(COLORREF colour) {
    for (const auto& [c, brush] : brushes_)
        if (c == colour) return brush.get();
    brushes_.emplace_back(colour, Brush(CreateSolidBrush(colour)));
    return brushes_.back().second.get();
}

}  // namespace win
