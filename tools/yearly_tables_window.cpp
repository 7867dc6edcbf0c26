#include "tools/yearly_tables_window.h"

#include <algorithm>
#include <string>

#include "places/city_table.h"
#include "shell/app_win32.h"
#include "text/wide.h"
#include "tools/tool_window_common.h"
#include "tools/yearly_tables.h"

namespace tools {

namespace {

constexpr const wchar_t* kClassName = L"TempolineYearlyTables";
constexpr const char* kModeNames[] = {"", "计算农历月", "计算节气日", "计算塑望日", "计算太阳升降时刻"};
constexpr int kMinClientWidth = 460;
constexpr int kTableColumns = 54;  // the widest line of the tables is 51 columns
constexpr int kTableLines = 24;
constexpr int kTableFontHeight = -16;

struct Window {
    HWND window = nullptr;
    HWND owner = nullptr;
    int mode = 1;
    HFONT font = nullptr;
    HFONT table_font = nullptr;
    HWND year = nullptr;
    HWND bc = nullptr;
    HWND provinces = nullptr;
    HWND cities = nullptr;
    HWND sunrise = nullptr;
    HWND dawn = nullptr;
    HWND table = nullptr;
    int province = 1;
    int city = 1;
};

Window* WindowOf(HWND window) { return reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The astronomical year of the entry: n, or 1 - n with 纪元前; false when the box holds no number.
bool EnteredYear(const Window& w, int& year) {
    const std::string digits = ControlText(w.year);
    if (digits.empty() || digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    const int n = std::stoi(digits);
    year = Checked(w.bc) ? 1 - n : n;
    return true;
}

// Writes an astronomical year into the box: 1 - year with 纪元前 for the years before 1.
void ShowYear(Window& w, int year) {
    SetControlText(w.year, std::to_string(year >= 1 ? year : 1 - year));
    SendMessageW(w.bc, BM_SETCHECK, year >= 1 ? BST_UNCHECKED : BST_CHECKED, 0);
}

std::string TableOf(const Window& w, int year) {
    switch (w.mode) {
        case 1: return LunarMonthsTable(year);
        case 2: return SolarTermsTable(year);
        case 3: return MoonsTable(year);
        default: return SunTimesTable(year, w.province, w.city, Checked(w.dawn));
    }
}

// The table of the entered year; a year the tables do not cover leaves the box empty.
void Compute(Window& w) {
    int year = 0;
    SetControlText(w.table, EnteredYear(w, year) ? TableOf(w, year) : std::string());
}

void Step(Window& w, int delta) {
    int year = 0;
    if (!EnteredYear(w, year)) {
        MessageBeep(MB_OK);
        return;
    }
    ShowYear(w, year + delta);
    Compute(w);
}

void FillCities(Window& w) {
    SendMessageW(w.cities, CB_RESETCONTENT, 0, 0);
    const int count = places::CityCount(w.province);
    for (int k = 1; k <= count; ++k)
        SendMessageW(w.cities, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(text::GbkToWide(places::CityText(w.province, k)).c_str()));
    SendMessageW(w.cities, CB_SETCURSEL, w.city - 1, 0);
}

void AddPlaceRow(Window& w, int y) {
    const shell::Settings& s = shell::TheApp().settings;
    w.province = std::clamp(s.place.prov_index, 1, places::ProvinceCount);
    w.city = std::clamp(s.place.city_index, 1, std::max(1, places::CityCount(w.province)));
    const DWORD list = WS_GROUP | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    w.provinces = AddControl(w.window, w.font, L"COMBOBOX", "", list, 12, y, 90, 22 + 240, kTableProvinceId);
    w.cities = AddControl(w.window, w.font, L"COMBOBOX", "", list, 106, y, 124, 22 + 240, kTableCityId);
    for (int k = 1; k <= places::ProvinceCount; ++k)
        SendMessageW(w.provinces, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text::GbkToWide(places::CityText(k, -1)).c_str()));
    SendMessageW(w.provinces, CB_SETCURSEL, w.province - 1, 0);
    FillCities(w);
    w.sunrise = AddControl(w.window, w.font, L"BUTTON", "日出日落时刻", WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 244,
                           y + 2, 104, 18, kSunriseOptionId);
    w.dawn = AddControl(w.window, w.font, L"BUTTON", "天亮天黑时刻", BS_AUTORADIOBUTTON, 352, y + 2, 104, 18,
                        kDawnOptionId);
    SendMessageW(w.sunrise, BM_SETCHECK, BST_CHECKED, 0);
}

// Lays the controls out; returns the client size.
SIZE CreateControls(Window& w) {
    w.font = CreateDialogFont();
    w.table_font = CreateTableFont(kTableFontHeight);
    TEXTMETRICW metrics{};
    HDC dc = GetDC(w.window);
    HGDIOBJ old = SelectObject(dc, w.table_font);
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(w.window, dc);
    // Room for the widest line beside the scroll bar (the box's frame and margins included).
    const int table_width = kTableColumns * ColumnWidth(w.table_font) + GetSystemMetrics(SM_CXVSCROLL) + 16;
    const int table_height = kTableLines * static_cast<int>(metrics.tmHeight) + 8;
    const int client_width = std::max(kMinClientWidth, table_width + 24);

    int y = 14;
    AddControl(w.window, w.font, L"STATIC", w.mode == 1 ? "农历年份" : "公历年份", SS_LEFT, 12, y + 4, 54, 16, -1);
    w.year = AddControl(w.window, w.font, L"EDIT", "", WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, 68, y, 56, 22,
                        kTableYearBoxId);
    RestrictEntry(w.year, "1234567890", 4);
    w.bc = AddControl(w.window, w.font, L"BUTTON", "纪元前", WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 132, y + 2, 60, 18,
                      kTableBcId);
    const int right = client_width - 12;
    const struct {
        const char* caption;
        int id;
    } buttons[] = {{"上一年", kPreviousYearId}, {"下一年", kNextYearId}, {"计算", IDOK}, {"取消", IDCANCEL}};
    for (int i = 0; i < 4; ++i)
        AddControl(w.window, w.font, L"BUTTON", buttons[i].caption,
                   WS_GROUP | WS_TABSTOP | (buttons[i].id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                   right - (4 - i) * 64 + 4, y - 2, 60, 26, buttons[i].id);
    y += 34;
    if (w.mode == 4) {
        AddPlaceRow(w, y);
        y += 32;
    }
    w.table = AddControl(w.window, w.table_font, L"EDIT", "",
                         WS_GROUP | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                         12, y, client_width - 24, table_height, kTableBoxId);
    SendMessageW(w.table, EM_SETLIMITTEXT, 0, 0);
    ShowYear(w, astro::DayNumberToDate(ToolStartDay()).year);
    return {client_width, y + table_height + 12};
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* w = WindowOf(window);
    switch (message) {
        case WM_COMMAND:
            if (!w) break;
            switch (LOWORD(wparam)) {
                case IDOK: Compute(*w); return 0;
                case IDCANCEL: DestroyWindow(window); return 0;
                case kPreviousYearId: Step(*w, -1); return 0;
                case kNextYearId: Step(*w, 1); return 0;
                case kTableBcId:
                case kSunriseOptionId:
                case kDawnOptionId:
                    if (HIWORD(wparam) == BN_CLICKED) Compute(*w);
                    return 0;
                case kTableProvinceId:
                    if (HIWORD(wparam) == CBN_SELCHANGE) {
                        const int province = static_cast<int>(SendMessageW(w->provinces, CB_GETCURSEL, 0, 0)) + 1;
                        if (province >= 1 && province != w->province) {
                            w->province = province;
                            w->city = 1;
                            FillCities(*w);
                            Compute(*w);
                        }
                    }
                    return 0;
                case kTableCityId:
                    if (HIWORD(wparam) == CBN_SELCHANGE) {
                        const int city = static_cast<int>(SendMessageW(w->cities, CB_GETCURSEL, 0, 0)) + 1;
                        if (city >= 1 && city != w->city) {
                            w->city = city;
                            Compute(*w);
                        }
                    }
                    return 0;
                default: break;
            }
            break;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_DESTROY:
            if (w) {
                if (w->owner) EnableWindow(w->owner, TRUE);
                DeleteObject(w->font);
                DeleteObject(w->table_font);
            }
            return 0;
        case WM_NCDESTROY:
            delete w;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        default: break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

HWND CreateYearlyTablesWindow(HWND owner, int mode) {
    if (mode < 1 || mode > 4) return nullptr;
    HWND window = CreateToolFrame(kClassName, WindowProc, ToolWindowTitle(kModeNames[mode]), owner);
    if (!window) return nullptr;
    auto* w = new Window;
    w->window = window;
    w->owner = owner;
    w->mode = mode;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
    const SIZE client = CreateControls(*w);
    PlaceToolFrame(window, client.cx, client.cy);
    Compute(*w);
    ShowWindow(window, SW_SHOW);
    SetFocus(w->year);
    SendMessageW(w->year, EM_SETSEL, 0, -1);
    return window;
}

int ShowYearlyTablesWindow(HWND owner, int mode) {
    HWND window = CreateYearlyTablesWindow(owner, mode);
    if (!window) return 0;
    return RunToolWindow(window, owner);
}

}  // namespace tools
