#include "tools/yearly_tables_window.h"

#include <algorithm>
#include <memory>
#include <string>

#include "places/place_lists.h"
#include "tools/yearly_tables.h"
#include "win/controls.h"
#include "win/dpi.h"

namespace tools {

namespace {

constexpr const char* kModeNames[] = {"", "计算农历月", "计算节气日", "计算塑望日", "计算太阳升降时刻"};
constexpr int kMinClientWidth = 460;
constexpr int kTableColumns = 54;  // the widest line of the tables is 51 columns
constexpr int kTableLines = 24;
constexpr int kTableFontHeight = 16;

struct YearlyTablesWindow : ToolWindow {
    const win::WindowFont* table_font = nullptr;
    HWND year = nullptr;
    HWND bc = nullptr;
    places::PlaceLists place;  // mode 4
    HWND sunrise = nullptr;
    HWND dawn = nullptr;
    HWND table = nullptr;

    // The astronomical year of the entry: n, or 1 - n with 纪元前; false when the box holds no number.
    bool EnteredYear(int& out) const {
        const std::string digits = win::Text(year);
        if (digits.empty() || digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const int n = std::stoi(digits);
        out = win::Checked(bc) ? 1 - n : n;
        return true;
    }

    // Writes an astronomical year into the box: 1 - year with 纪元前 for the years before 1.
    void ShowYear(int y) {
        win::SetText(year, std::to_string(y >= 1 ? y : 1 - y));
        win::SetChecked(bc, y < 1);
    }

    std::string TableOf(int y) const {
        switch (mode) {
            case 1: return LunarMonthsTable(y);
            case 2: return SolarTermsTable(y);
            case 3: return MoonsTable(y);
            default: return SunTimesTable(y, place.province, place.city, win::Checked(dawn));
        }
    }

    // The table of the entered year; a year the tables do not cover leaves the box empty.
    void Compute() {
        int y = 0;
        win::SetText(table, EnteredYear(y) ? TableOf(y) : std::string());
    }

    void Step(int delta) {
        int y = 0;
        if (!EnteredYear(y)) {
            MessageBeep(MB_OK);
            return;
        }
        ShowYear(y + delta);
        Compute();
    }

    void AddPlaceRow(int y) {
        const DWORD list = WS_GROUP | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        place.provinces = AddControl(L"COMBOBOX", "", list, 12, y, 90, 22 + 240, kTableProvinceId);
        place.cities = AddControl(L"COMBOBOX", "", list, 106, y, 124, 22 + 240, kTableCityId);
        place.Show(context.province, context.city);
        sunrise = AddControl(L"BUTTON", "日出日落时刻", WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 244, y + 2, 104, 18,
                             kSunriseOptionId);
        dawn = AddControl(L"BUTTON", "天亮天黑时刻", BS_AUTORADIOBUTTON, 352, y + 2, 104, 18, kDawnOptionId);
        win::SetChecked(sunrise, true);
    }

    bool OnCreate() override {
        // Room for the widest line beside the scroll bar (the box's frame and margins included), in
        // the 96-DPI pixels of the layout.
        table_font = TableFont(*this, kTableFontHeight);
        const win::FontMeasures measures = Measure96(table_font);
        const int table_width = kTableColumns * measures.digit_width + win::MetricAt(SM_CXVSCROLL, win::kBaseDpi) + 16;
        const int table_height = kTableLines * measures.line_height + 8;
        const int client_width = std::max(kMinClientWidth, table_width + 24);

        int y = 14;
        AddControl(L"STATIC", mode == 1 ? "农历年份" : "公历年份", SS_LEFT, 12, y + 4, 54, 16);
        year = AddControl(L"EDIT", "", WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, 68, y, 56, 22, kTableYearBoxId, nullptr,
                          WS_EX_CLIENTEDGE);
        win::RestrictEntry(year, "1234567890", 4);
        bc = AddControl(L"BUTTON", "纪元前", WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 132, y + 2, 60, 18, kTableBcId);
        const int right = client_width - 12;
        const struct {
            const char* caption;
            int id;
        } buttons[] = {{"上一年", kPreviousYearId}, {"下一年", kNextYearId}, {"计算", IDOK}, {"取消", IDCANCEL}};
        for (int i = 0; i < 4; ++i)
            AddControl(L"BUTTON", buttons[i].caption,
                       WS_GROUP | WS_TABSTOP | (buttons[i].id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                       right - (4 - i) * 64 + 4, y - 2, 60, 26, buttons[i].id);
        y += 34;
        if (mode == 4) {
            AddPlaceRow(y);
            y += 32;
        }
        table = AddControl(L"EDIT", "",
                           WS_GROUP | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                               ES_AUTOHSCROLL,
                           12, y, client_width - 24, table_height, kTableBoxId, table_font, WS_EX_CLIENTEDGE);
        SendMessageW(table, EM_SETLIMITTEXT, 0, 0);
        win::LetDialogKeysLeave(table);  // Tab goes on; the arrows scroll the table
        ShowYear(astro::DayNumberToDate(context.start_day).year);
        PlaceCentred(client_width, y + table_height + 12);
        Compute();
        return true;
    }

    void OnShown() override {
        SetFocus(year);
        SendMessageW(year, EM_SETSEL, 0, -1);
    }

    bool OnCommand(int id, int code, HWND control) override {
        switch (id) {
            case IDOK: Compute(); return true;
            case kPreviousYearId: Step(-1); return true;
            case kNextYearId: Step(1); return true;
            case kTableBcId:
            case kSunriseOptionId:
            case kDawnOptionId:
                if (code == BN_CLICKED) Compute();
                return true;
            case kTableProvinceId:
            case kTableCityId:
                if (place.Choose(control, code)) Compute();
                return true;
            default:
                return false;
        }
    }
};

}  // namespace

HWND CreateYearlyTablesWindow(HWND owner, int mode, const ToolContext& context) {
    return CreateToolWindow<YearlyTablesWindow>(owner, mode, context, L"TempolineYearlyTables", kModeNames);
}

}  // namespace tools
