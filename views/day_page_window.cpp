#include "views/day_page_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <memory>
#include <vector>

#include "calendar/day_info.h"
#include "shell/app_win32.h"
#include "text/wide.h"

namespace views {

namespace {

constexpr const wchar_t* kClassName = L"TempolineDayPage";
constexpr int kWidth = 260;
constexpr int kHeight = 150;
constexpr COLORREF kBackground = RGB(79, 190, 223);
constexpr COLORREF kListBackground = RGB(190, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

struct Placement {
    int x, y, width;
};
constexpr Placement kListPlacement[kDayListCount] = {
    {9, 16, 109}, {118, 16, 81}, {199, 16, 52},    // Gregorian year, month, day
    {9, 64, 109}, {118, 64, 81}, {199, 64, 52},    // lunar
    {9, 112, 109}, {118, 112, 81}, {199, 112, 52},  // Hijri
};

struct DayPage {
    HWND window = nullptr;
    std::array<HWND, kDayListCount> lists{};
    std::array<HWND, kDayListCount> dropdowns{};  // the list boxes the lists drop down
    std::array<std::vector<std::string>, kDayListCount> items;
    HWND attribute = nullptr;
    HWND information = nullptr;
    HWND picture = nullptr;
    HWND tooltip = nullptr;
    HFONT font = nullptr;
    HBRUSH list_brush = nullptr;
    HBRUSH back_brush = nullptr;
    HBITMAP bitmap = nullptr;
    DayPageState state;
    bool dynasty = false;
};

DayPage* PageOf(HWND window) { return reinterpret_cast<DayPage*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

DayList ListOf(int id) { return static_cast<DayList>(id - kFirstListId); }

COLORREF TextColourOf(int list) {
    const DayList l = static_cast<DayList>(list);
    return l == DayList::kLunarYear || l == DayList::kLunarMonth || l == DayList::kLunarDay ? kMagenta : kBlue;
}

LRESULT CALLBACK ListProc(HWND combo, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data);

// Fills a list. The list's own procedure is taken off meanwhile: thousands of items would each pass
// through it (under Wine that costs seconds for the year lists).
void Fill(DayPage& page, HWND combo, const std::vector<std::string>& items) {
    RemoveWindowSubclass(combo, ListProc, 1);
    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SendMessageW(combo, CB_INITSTORAGE, items.size(), items.size() * 24);
    for (const std::string& item : items)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text::GbkToWide(item).c_str()));
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(combo, nullptr, TRUE);
    SetWindowSubclass(combo, ListProc, 1, reinterpret_cast<DWORD_PTR>(&page));
}

// Shows the page's state in all nine lists: refills the lists whose items changed, selects the day.
void ShowState(DayPage& page, bool refill_years) {
    for (int i = 0; i < kDayListCount; ++i) {
        const DayList list = static_cast<DayList>(i);
        const bool year_list = list == DayList::kSolarYear || list == DayList::kLunarYear || list == DayList::kHijriYear;
        if (!year_list || refill_years || page.items[i].empty()) {
            std::vector<std::string> items = ListItems(page.state, list, page.dynasty);
            if (items != page.items[i]) {
                page.items[i] = std::move(items);
                Fill(page, page.lists[i], page.items[i]);
            }
        }
        SendMessageW(page.lists[i], CB_SETCURSEL, SelectedItem(page.state, list), 0);
    }
}

void SetDay(DayPage& page, astro::DayNumber day) {
    page.state = DayPageAt(day);
    shell::TheApp().displayed_day = page.state.day;
    ShowState(page, false);
    RefreshDayPage(page.window);
}

void Step(DayPage& page, DayList list, int delta) {
    const astro::DayNumber next = StepList(page.state, list, delta);
    if (next != page.state.day) SetDay(page, next);
}

// The lists step by a day, a month or a year with the arrow keys and the wheel; Escape hides the
// page (the tray icon and Ctrl+Alt+R bring it back).
LRESULT CALLBACK ListProc(HWND combo, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    DayPage& page = *reinterpret_cast<DayPage*>(data);
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        MSG relay{combo, message, wparam, lparam, 0, {}};
        SendMessageW(page.tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
    }
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP) return SendMessageW(page.window, message, wparam, lparam);
    const DayList list = ListOf(GetDlgCtrlID(combo));
    // Asked only for the keys and the wheel: the question itself passes through this procedure.
    const auto dropped = [combo] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; };
    switch (message) {
        case WM_KEYDOWN:
            if (dropped()) break;
            if (wparam == VK_LEFT || wparam == VK_UP) {
                Step(page, list, -1);
                return 0;
            }
            if (wparam == VK_RIGHT || wparam == VK_DOWN) {
                Step(page, list, 1);
                return 0;
            }
            if (wparam == VK_ESCAPE) {
                ShowWindow(page.window, SW_HIDE);
                return 0;
            }
            break;
        case WM_MOUSEWHEEL:
            if (dropped()) break;
            Step(page, list, GET_WHEEL_DELTA_WPARAM(wparam) > 0 ? -1 : 1);
            return 0;
        default:
            break;
    }
    return DefSubclassProc(combo, message, wparam, lparam);
}

// The two lines are read-only: nothing can be pasted, and a double click selects the whole line.
LRESULT CALLBACK LineProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    if (message == WM_PASTE) return 0;
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP) return SendMessageW(GetParent(edit), message, wparam, lparam);
    if (message == WM_LBUTTONDBLCLK) {
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return 0;
    }
    return DefSubclassProc(edit, message, wparam, lparam);
}

// The background picture covers the page; a press on it drags the page like its body.
LRESULT CALLBACK PictureProc(HWND picture, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    HWND page = GetParent(picture);
    switch (message) {
        case WM_LBUTTONDOWN:
            shell::StartDrag(page);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MOUSEMOVE:
            // The picture lies at the page's origin: the coordinates hold for the page as well.
            return SendMessageW(page, message, wparam, lparam);
        default:
            return DefSubclassProc(picture, message, wparam, lparam);
    }
}

void AddTooltip(DayPage& page, HWND control, const std::string& tip) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND;  // mouse messages are relayed by the controls' own procedures
    info.hwnd = page.window;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    std::wstring wide = text::GbkToWide(tip);
    info.lpszText = wide.data();
    SendMessageW(page.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CreateControls(DayPage& page) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    page.font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, text::GbkToWide("宋体").c_str());
    page.list_brush = CreateSolidBrush(kListBackground);
    page.back_brush = CreateSolidBrush(kBackground);
    page.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                   page.window, nullptr, instance, nullptr);
    for (int i = 0; i < kDayListCount; ++i) {
        const Placement& p = kListPlacement[i];
        page.lists[i] = CreateWindowExW(0, L"COMBOBOX", nullptr,
                                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, p.x, p.y,
                                        p.width, 240, page.window,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstListId + i)), instance, nullptr);
        SendMessageW(page.lists[i], WM_SETFONT, reinterpret_cast<WPARAM>(page.font), FALSE);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (GetComboBoxInfo(page.lists[i], &info)) page.dropdowns[i] = info.hwndList;
        SetWindowSubclass(page.lists[i], ListProc, 1, reinterpret_cast<DWORD_PTR>(&page));
        AddTooltip(page, page.lists[i], ListName(static_cast<DayList>(i)));
    }
    const auto line = [&](int id, int y, int height) {
        HWND edit = CreateWindowExW(0, L"EDIT", nullptr, WS_CHILD | WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, 9, y, 242,
                                    height, page.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                    nullptr);
        SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(page.font), FALSE);
        SetWindowSubclass(edit, LineProc, 1, 0);
        return edit;
    };
    page.attribute = line(kAttributeLineId, 45, 13);
    page.information = line(kInformationLineId, 92, 14);
    page.picture = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_BITMAP | SS_NOTIFY, 0, 0, 265, 150,
                                   page.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPictureId)), instance,
                                   nullptr);
    SetWindowPos(page.picture, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowSubclass(page.picture, PictureProc, 1, 0);
}

LRESULT OnControlColour(DayPage& page, HDC dc, HWND control) {
    for (int i = 0; i < kDayListCount; ++i) {
        if (control == page.lists[i] || control == page.dropdowns[i]) {
            SetTextColor(dc, TextColourOf(i));
            SetBkColor(dc, kListBackground);
            return reinterpret_cast<LRESULT>(page.list_brush);
        }
    }
    if (control == page.attribute || control == page.information) {
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, kListBackground);
        return reinterpret_cast<LRESULT>(page.list_brush);
    }
    SetBkColor(dc, kBackground);
    return reinterpret_cast<LRESULT>(page.back_brush);
}

void OnDropFiles(DayPage& page, HDROP drop) {
    wchar_t path[MAX_PATH] = {};
    if (DragQueryFileW(drop, 0, path, MAX_PATH) > 0) {
        const std::string gbk = text::WideToGbk(path);
        if (!shell::AcceptBitmapPath(gbk, shell::BitmapLoads).empty() && SetBackgroundPicture(page.window, gbk))
            shell::TheApp().settings.dform_back_bitmap_name = gbk;
    }
    DragFinish(drop);
}

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DayPage* page = PageOf(window);
    LRESULT result = 0;
    if (page && shell::HandleCalendarMessage(window, message, wparam, lparam, true, result)) return result;
    switch (message) {
        case WM_COMMAND:
            if (!page) break;
            if (LOWORD(wparam) == IDCANCEL) {  // Escape
                ShowWindow(window, SW_HIDE);
                return 0;
            }
            if (HIWORD(wparam) == CBN_SELCHANGE) {
                const int id = LOWORD(wparam);
                if (id >= kFirstListId && id < kFirstListId + kDayListCount) {
                    const int index = static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lparam), CB_GETCURSEL, 0, 0));
                    SetDay(*page, DayForChoice(page->state, ListOf(id), index));
                    return 0;
                }
            }
            break;
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (page) return OnControlColour(*page, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
            break;
        case WM_LBUTTONDOWN:
            shell::StartDrag(window);
            return 0;
        case WM_DROPFILES:
            if (page) OnDropFiles(*page, reinterpret_cast<HDROP>(wparam));
            return 0;
        case WM_CLOSE:
            shell::CloseCalendarWindow(window, true);
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            if (page) {
                if (page->bitmap) DeleteObject(page->bitmap);
                DeleteObject(page->font);
                DeleteObject(page->list_brush);
                DeleteObject(page->back_brush);
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                delete page;
            }
            if (shell::TheApp().calendar_window == window) shell::TheApp().calendar_window = nullptr;
            // Closed to make way for the month page: the program goes on.
            if (!shell::TheApp().view_switching) PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void RegisterPageClass() {
    static const bool registered = shell::RegisterProgramClass(kClassName, PageProc, CreateSolidBrush(kBackground), CS_DBLCLKS);
    (void)registered;
}

}  // namespace

HWND CreateDayPage(astro::DayNumber day) {
    RegisterPageClass();
    shell::App& app = shell::TheApp();
    const shell::ScreenSize screen = shell::ScreenPixels();
    int left = screen.width / 2 - kWidth / 2;
    int top = screen.height / 2 - kHeight / 2;
    if (app.settings.form_center_x >= 0 && app.settings.form_center_y >= 0) {
        left = app.settings.form_center_x - kWidth / 2;
        top = app.settings.form_center_y - kHeight / 2;
    }
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kClassName,
                                  text::GbkToWide("橙鹿日历").c_str(),
                                  WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, left, top, kWidth, kHeight, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return nullptr;
    auto* page = new DayPage;
    page->window = window;
    page->dynasty = app.settings.dform_show_dynasty_flag != 0;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
    CreateControls(*page);
    if (!app.settings.dform_back_bitmap_name.empty()) SetBackgroundPicture(window, app.settings.dform_back_bitmap_name);
    SetDay(*page, day);
    shell::InitCalendarWindow(window, true);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

HWND DayPageTooltip(HWND window) {
    DayPage* page = PageOf(window);
    return page ? page->tooltip : nullptr;
}

astro::DayNumber DayPageDay(HWND window) {
    DayPage* page = PageOf(window);
    return page ? page->state.day : 0;
}

void ShowDayOnPage(HWND window, astro::DayNumber day) {
    if (DayPage* page = PageOf(window)) SetDay(*page, day);
}

void RefreshDayPage(HWND window) {
    DayPage* page = PageOf(window);
    if (!page) return;
    const shell::Settings& s = shell::TheApp().settings;
    const astro::CalendarDate& d = page->state.solar;
    SetWindowTextW(page->attribute,
                   text::GbkToWide(calendar::AttributeLine(d.year, d.month, d.day, s.gan_zhi_from_chunjie_flag)).c_str());
    RefreshInformationLine(window);
}

void RefreshInformationLine(HWND window) {
    DayPage* page = PageOf(window);
    if (!page) return;
    const shell::Settings& s = shell::TheApp().settings;
    const astro::CalendarDate& d = page->state.solar;
    const std::string line = calendar::InformationLine(d.year, d.month, d.day, s.dform_show_info_type_flag,
                                                       s.place.longitude, s.place.latitude);
    SetWindowTextW(page->information, text::GbkToWide(line).c_str());
}

void RefillLunarYears(HWND window) {
    DayPage* page = PageOf(window);
    if (!page) return;
    page->dynasty = shell::TheApp().settings.dform_show_dynasty_flag != 0;
    ShowState(*page, true);
}

bool SetBackgroundPicture(HWND window, const std::string& path) {
    DayPage* page = PageOf(window);
    if (!page) return false;
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, text::GbkToWide(path).c_str(), IMAGE_BITMAP, kWidth, kHeight, LR_LOADFROMFILE));
    if (bitmap == nullptr) return false;
    SendMessageW(page->picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    if (page->bitmap) DeleteObject(page->bitmap);
    page->bitmap = bitmap;
    InvalidateRect(window, nullptr, TRUE);
    return true;
}

}  // namespace views
