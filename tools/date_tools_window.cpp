#include "tools/date_tools_window.h"

#include <string>

#include "shell/app_win32.h"
#include "tools/date_tools.h"
#include "tools/tool_window_common.h"

namespace tools {

namespace {

constexpr const wchar_t* kClassName = L"TempolineDateTools";
constexpr const char* kModeNames[] = {"", "计算儒略日", "计算间隔日", "计算干支历", "公历农历回历互转"};
constexpr const char* kDateCharacters = "1234567890-";
constexpr int kDateLength = 10;
constexpr int kDaysLength = 9;  // what the engine takes: a sign and eight digits, more than any interval
constexpr int kClientWidth = 430;
constexpr int kDateBoxWidth = 108;
constexpr int kLabelX = 12;
constexpr int kLabelWidth = 66;
constexpr int kBoxX = 82;
constexpr int kRowHeight = 32;
constexpr int kBoxHeight = 24;
constexpr int kBoxFontHeight = -16;
constexpr COLORREF kMessageColour = RGB(192, 0, 0);

struct DateRow {
    HWND label = nullptr;
    HWND box = nullptr;
    HWND bc = nullptr;
    HWND gregorian = nullptr;
    HWND lunar = nullptr;
    HWND hijri = nullptr;
};

struct Window {
    HWND window = nullptr;
    HWND owner = nullptr;
    int mode = 1;
    HFONT font = nullptr;
    HFONT box_font = nullptr;  // the boxes of dates and numbers: the fixed-width font of the tables
    DateRow dates[2];
    int date_count = 1;
    HWND two_dates = nullptr;  // mode 2
    HWND days_after = nullptr;
    HWND days = nullptr;
    HWND julian_day = nullptr;
    HWND ganzhi = nullptr;
    HWND gregorian = nullptr;
    HWND lunar = nullptr;
    HWND hijri = nullptr;
    HWND status = nullptr;
};

Window* WindowOf(HWND window) { return reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

HWND Label(Window& w, const char* caption, int y) {
    return AddControl(w.window, w.font, L"STATIC", caption, SS_LEFT, kLabelX, y + 5, kLabelWidth, 16, -1);
}

// One date entry: label, box, 纪元前, and the calendar it is written in.
void AddDateRow(Window& w, int index, const char* caption, int y, astro::DayNumber start) {
    DateRow& r = w.dates[index];
    const int id = index * kSecondDateOffset;
    r.label = Label(w, caption, y);
    r.box = AddControl(w.window, w.box_font, L"EDIT", "", WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, kBoxX, y,
                       kDateBoxWidth, kBoxHeight, kDateBoxId + id);
    RestrictEntry(r.box, kDateCharacters, kDateLength);
    r.bc = AddControl(w.window, w.font, L"BUTTON", "纪元前", WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 198, y + 3, 64, 18,
                      kDateBcId + id);
    r.gregorian = AddControl(w.window, w.font, L"BUTTON", "公历", WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 266,
                             y + 3, 50, 18, kDateGregorianId + id);
    r.lunar = AddControl(w.window, w.font, L"BUTTON", "农历", BS_AUTORADIOBUTTON, 318, y + 3, 50, 18, kDateLunarId + id);
    r.hijri = AddControl(w.window, w.font, L"BUTTON", "回历", BS_AUTORADIOBUTTON, 370, y + 3, 50, 18, kDateHijriId + id);
    SendMessageW(r.gregorian, BM_SETCHECK, BST_CHECKED, 0);
    // The box starts with the day the calendar shows, as a Gregorian date: "AD02-10-2024" cut after
    // its era tag, which sets 纪元前.
    const std::string date = astro::DayNumberToDateText(start);
    if (date.size() == 12) {
        SetControlText(r.box, date.substr(2));
        if (date.compare(0, 2, "BC") == 0) SendMessageW(r.bc, BM_SETCHECK, BST_CHECKED, 0);
    }
}

HWND AddResult(Window& w, const char* caption, int id, int y, int width) {
    Label(w, caption, y);
    return AddControl(w.window, w.box_font, L"EDIT", "", WS_GROUP | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, kBoxX,
                      y, width, kBoxHeight, id);
}

// The three result boxes of the conversion and of the date a number of days away.
int AddThreeCalendars(Window& w, int y) {
    w.gregorian = AddResult(w, "公历日期", kGregorianBoxId, y, 150);
    w.lunar = AddResult(w, "农历日期", kLunarBoxId, y + kRowHeight, 150);
    w.hijri = AddResult(w, "回历日期", kHijriBoxId, y + 2 * kRowHeight, 150);
    return y + 3 * kRowHeight;
}

// Mode 2: the first form asks for two dates and answers in 间隔日数; the second takes 间隔日数 and
// answers in the three calendars.
void SetForm(Window& w, bool days_after) {
    SendMessageW(w.two_dates, BM_SETCHECK, days_after ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageW(w.days_after, BM_SETCHECK, days_after ? BST_CHECKED : BST_UNCHECKED, 0);
    const DateRow& second = w.dates[1];
    for (HWND c : {second.label, second.box, second.bc, second.gregorian, second.lunar, second.hijri})
        EnableWindow(c, !days_after);
    SendMessageW(w.days, EM_SETREADONLY, days_after ? FALSE : TRUE, 0);
    for (HWND c : {w.gregorian, w.lunar, w.hijri}) {
        SetWindowTextW(c, L"");
        EnableWindow(c, days_after);
    }
    if (!days_after) SetWindowTextW(w.days, L"");
    SetWindowTextW(w.status, L"");
}

int CreateControls(Window& w) {
    w.font = CreateDialogFont();
    w.box_font = CreateTableFont(kBoxFontHeight);
    const astro::DayNumber start = ToolStartDay();
    int y = 14;
    if (w.mode == 2) {
        w.two_dates = AddControl(w.window, w.font, L"BUTTON", "计算两个日期的间隔日数",
                                 WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, kLabelX, y, 190, 18, kTwoDatesFormId);
        w.days_after = AddControl(w.window, w.font, L"BUTTON", "计算若干日后的日期", BS_AUTORADIOBUTTON, 220, y, 190,
                                  18, kDaysAfterFormId);
        y += 28;
        w.date_count = 2;
        AddDateRow(w, 0, "起始日期", y, start);
        AddDateRow(w, 1, "终止日期", y + kRowHeight, start);
        y += 2 * kRowHeight + 8;
        Label(w, "间隔日数", y);
        w.days = AddControl(w.window, w.box_font, L"EDIT", "", WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, kBoxX, y,
                            kDateBoxWidth, kBoxHeight, kDaysBoxId);
        RestrictEntry(w.days, kDateCharacters, kDaysLength);
        y = AddThreeCalendars(w, y + kRowHeight);
        SetForm(w, false);
    } else {
        AddDateRow(w, 0, "日期", y, start);
        y += kRowHeight + 8;
        switch (w.mode) {
            case 1:
                w.julian_day = AddResult(w, "儒略日数", kJulianDayBoxId, y, 150);
                y += kRowHeight;
                break;
            case 3:
                w.ganzhi = AddResult(w, "干支历", kGanZhiBoxId, y, 220);
                y += kRowHeight;
                break;
            default:
                y = AddThreeCalendars(w, y);
                break;
        }
    }
    w.status = AddControl(w.window, w.font, L"STATIC", "", SS_LEFT | SS_NOPREFIX, kLabelX, y + 2, kClientWidth - 24,
                          16, kDateStatusId);
    y += 26;
    AddControl(w.window, w.font, L"BUTTON", w.mode == 4 ? "转换" : "计算", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON,
               kClientWidth - 184, y, 80, 26, IDOK);
    AddControl(w.window, w.font, L"BUTTON", "取消", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, kClientWidth - 92, y, 80, 26,
               IDCANCEL);
    return y + 26 + 12;
}

EnteredDate ReadDate(const Window& w, int index) {
    const DateRow& r = w.dates[index];
    const EntryCalendar calendar = Checked(r.lunar)   ? EntryCalendar::kLunar
                                   : Checked(r.hijri) ? EntryCalendar::kHijri
                                                      : EntryCalendar::kGregorian;
    return ParseEnteredDate(ControlText(r.box), Checked(r.bc), calendar);
}

void ShowThreeCalendars(Window& w, const ThreeCalendars& days) {
    SetControlText(w.gregorian, days.gregorian);
    SetControlText(w.lunar, days.lunar);
    SetControlText(w.hijri, days.hijri);
}

// The engine's answers; an entry it refuses empties the result and its reason shows in the status
// line, with the box to correct selected.
void Compute(Window& w) {
    EnteredDate dates[2];
    for (int i = 0; i < w.date_count; ++i) dates[i] = ReadDate(w, i);
    const bool days_after = w.mode == 2 && Checked(w.days_after);
    switch (w.mode) {
        case 1: SetControlText(w.julian_day, JulianDayResult(dates[0])); break;
        case 2:
            if (days_after) {
                ShowThreeCalendars(w, DateAfterDays(dates[0], ControlText(w.days)));
            } else {
                SetControlText(w.days, IntervalResult(dates[0], dates[1]));
            }
            break;
        case 3: SetControlText(w.ganzhi, GanZhiResult(dates[0], shell::TheApp().settings.gan_zhi_from_chunjie_flag)); break;
        default: ShowThreeCalendars(w, ConvertResult(dates[0])); break;
    }
    const int checked = days_after ? 1 : w.date_count;
    for (int i = 0; i < checked; ++i) {
        if (!dates[i].ok()) {
            SetControlText(w.status, dates[i].message);
            SetFocus(w.dates[i].box);
            SendMessageW(w.dates[i].box, EM_SETSEL, 0, -1);
            return;
        }
    }
    SetWindowTextW(w.status, L"");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* w = WindowOf(window);
    switch (message) {
        case WM_COMMAND:
            if (!w) break;
            switch (LOWORD(wparam)) {
                case IDOK: Compute(*w); return 0;
                case IDCANCEL: DestroyWindow(window); return 0;
                case kTwoDatesFormId:
                case kDaysAfterFormId:
                    if (HIWORD(wparam) == BN_CLICKED) SetForm(*w, LOWORD(wparam) == kDaysAfterFormId);
                    return 0;
                default: break;
            }
            break;
        case WM_CTLCOLORSTATIC:
            if (w && reinterpret_cast<HWND>(lparam) == w->status) {
                HDC dc = reinterpret_cast<HDC>(wparam);
                SetTextColor(dc, kMessageColour);
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_DESTROY:
            if (w) {
                if (w->owner) EnableWindow(w->owner, TRUE);
                DeleteObject(w->font);
                DeleteObject(w->box_font);
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

HWND CreateDateToolsWindow(HWND owner, int mode) {
    if (mode < 1 || mode > 4) return nullptr;
    HWND window = CreateToolFrame(kClassName, WindowProc, ToolWindowTitle(kModeNames[mode]), owner);
    if (!window) return nullptr;
    auto* w = new Window;
    w->window = window;
    w->owner = owner;
    w->mode = mode;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
    PlaceToolFrame(window, kClientWidth, CreateControls(*w));
    ShowWindow(window, SW_SHOW);
    SetFocus(w->dates[0].box);
    SendMessageW(w->dates[0].box, EM_SETSEL, 0, -1);
    return window;
}

int ShowDateToolsWindow(HWND owner, int mode) {
    HWND window = CreateDateToolsWindow(owner, mode);
    if (!window) return 0;
    return RunToolWindow(window, owner);
}

}  // namespace tools
