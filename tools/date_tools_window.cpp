#include "tools/date_tools_window.h"

#include <memory>
#include <string>

#include "tools/date_tools.h"
#include "win/controls.h"

namespace tools {

namespace {

constexpr const char* kModeNames[] = {"", "计算儒略日", "计算间隔日", "计算干支历", "公历农历回历互转"};
// A date as MM-DD-YYYY; a number of days as the engine takes it: a sign and eight digits, more
// than any interval.
constexpr const char* kDateCharacters = "1234567890-";
constexpr int kDateLength = 10;
constexpr int kDaysLength = 9;
constexpr COLORREF kMessageColour = RGB(192, 0, 0);
// The layout in client pixels: a column of labels at the left, the boxes after them in the fixed
// font of the tables, a row of 32 pixels for each date and each result.
constexpr int kClientWidth = 430;
constexpr RECT kLabel{12, 5, 12 + 66, 5 + 16};  // in its row
constexpr int kBoxX = 82;
constexpr SIZE kDateBox{108, 24};
constexpr int kRowHeight = 32;

struct DateRow {
    HWND label = nullptr, box = nullptr, bc = nullptr;
    HWND gregorian = nullptr, lunar = nullptr, hijri = nullptr;  // the calendar it is written in
};

struct DateToolsWindow : ToolWindow {
    const win::WindowFont* box_font = nullptr;  // the boxes of dates and numbers
    win::Colours colours;
    DateRow dates[2];
    int date_count = 1;
    HWND two_dates = nullptr, days_after = nullptr, days = nullptr;  // mode 2: the two forms, 间隔日数
    HWND julian_day = nullptr, ganzhi = nullptr;                      // the results of modes 1 and 3
    HWND gregorian = nullptr, lunar = nullptr, hijri = nullptr;       // the three calendars
    HWND status = nullptr;

    HWND Label(const char* caption, int y) {
        return AddControl(L"STATIC", caption, SS_LEFT, kLabel.left, y + kLabel.top, kLabel.right - kLabel.left,
                          kLabel.bottom - kLabel.top);
    }

    HWND Box(int id, int y, int width, DWORD style) {
        return AddControl(L"EDIT", "", WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL | style, kBoxX, y, width, kDateBox.cy,
                          id, box_font, WS_EX_CLIENTEDGE);
    }

    // One date entry: label, box, 纪元前, and the calendar it is written in.
    void AddDateRow(int index, const char* caption, int y) {
        DateRow& r = dates[index];
        const int id = index * kSecondDateOffset;
        r.label = Label(caption, y);
        r.box = Box(kDateBoxId + id, y, kDateBox.cx, 0);
        win::RestrictEntry(r.box, kDateCharacters, kDateLength);
        r.bc = AddControl(L"BUTTON", "纪元前", WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 198, y + 3, 64, 18,
                          kDateBcId + id);
        r.gregorian = AddControl(L"BUTTON", "公历", WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 266, y + 3, 50, 18,
                                 kDateGregorianId + id);
        r.lunar = AddControl(L"BUTTON", "农历", BS_AUTORADIOBUTTON, 318, y + 3, 50, 18, kDateLunarId + id);
        r.hijri = AddControl(L"BUTTON", "回历", BS_AUTORADIOBUTTON, 370, y + 3, 50, 18, kDateHijriId + id);
        win::SetChecked(r.gregorian, true);
        // The box starts with the day the calendar shows, as a Gregorian date: "AD02-10-2024" cut after
        // its era tag, which sets 纪元前.
        const std::string date = astro::DayNumberToDateText(context.start_day);
        if (date.size() == 12) {
            win::SetText(r.box, date.substr(2));
            win::SetChecked(r.bc, date.compare(0, 2, "BC") == 0);
        }
    }

    HWND AddResult(const char* caption, int id, int y, int width) {
        Label(caption, y);
        return Box(id, y, width, ES_READONLY);
    }

    // The three result boxes of the conversion and of the date a number of days away.
    int AddThreeCalendars(int y) {
        gregorian = AddResult("公历日期", kGregorianBoxId, y, 150);
        lunar = AddResult("农历日期", kLunarBoxId, y + kRowHeight, 150);
        hijri = AddResult("回历日期", kHijriBoxId, y + 2 * kRowHeight, 150);
        return y + 3 * kRowHeight;
    }

    // Mode 2: the first form asks for two dates and answers in 间隔日数; the second takes 间隔日数
    // and answers in the three calendars.
    void SetForm(bool after) {
        win::SetChecked(two_dates, !after);
        win::SetChecked(days_after, after);
        const DateRow& second = dates[1];
        for (HWND c : {second.label, second.box, second.bc, second.gregorian, second.lunar, second.hijri})
            EnableWindow(c, !after);
        SendMessageW(days, EM_SETREADONLY, after ? FALSE : TRUE, 0);
        for (HWND c : {gregorian, lunar, hijri}) {
            win::SetText(c, "");
            EnableWindow(c, after);
        }
        if (!after) win::SetText(days, "");
        win::SetText(status, "");
    }

    bool OnCreate() override {
        box_font = TableFont(*this, 16);
        int y = 14;
        if (mode == 2) {
            two_dates = AddControl(L"BUTTON", "计算两个日期的间隔日数", WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON,
                                   kLabel.left, y, 190, 18, kTwoDatesFormId);
            days_after = AddControl(L"BUTTON", "计算若干日后的日期", BS_AUTORADIOBUTTON, 220, y, 190, 18,
                                    kDaysAfterFormId);
            y += 28;
            date_count = 2;
            AddDateRow(0, "起始日期", y);
            AddDateRow(1, "终止日期", y + kRowHeight);
            y += 2 * kRowHeight + 8;
            Label("间隔日数", y);
            days = Box(kDaysBoxId, y, kDateBox.cx, 0);
            win::RestrictEntry(days, kDateCharacters, kDaysLength);
            y = AddThreeCalendars(y + kRowHeight);
        } else {
            AddDateRow(0, "日期", y);
            y += kRowHeight + 8;
            switch (mode) {
                case 1:
                    julian_day = AddResult("儒略日数", kJulianDayBoxId, y, 150);
                    y += kRowHeight;
                    break;
                case 3:
                    ganzhi = AddResult("干支历", kGanZhiBoxId, y, 220);
                    y += kRowHeight;
                    break;
                default:
                    y = AddThreeCalendars(y);
                    break;
            }
        }
        status = AddControl(L"STATIC", "", SS_LEFT | SS_NOPREFIX, kLabel.left, y + 2, kClientWidth - 24, 16, kDateStatusId);
        if (mode == 2) SetForm(false);
        y += 26;
        AddControl(L"BUTTON", mode == 4 ? "转换" : "计算", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, kClientWidth - 184, y,
                   80, 26, IDOK);
        AddControl(L"BUTTON", "取消", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, kClientWidth - 92, y, 80, 26, IDCANCEL);
        PlaceCentred(kClientWidth, y + 26 + 12);
        return true;
    }

    void OnShown() override {
        SetFocus(dates[0].box);
        SendMessageW(dates[0].box, EM_SETSEL, 0, -1);
    }

    EnteredDate ReadDate(int index) const {
        const DateRow& r = dates[index];
        const EntryCalendar calendar = win::Checked(r.lunar)   ? EntryCalendar::kLunar
                                       : win::Checked(r.hijri) ? EntryCalendar::kHijri
                                                               : EntryCalendar::kGregorian;
        return ParseEnteredDate(win::Text(r.box), win::Checked(r.bc), calendar);
    }

    void ShowThreeCalendars(const ThreeCalendars& t) {
        win::SetText(gregorian, t.gregorian);
        win::SetText(lunar, t.lunar);
        win::SetText(hijri, t.hijri);
    }

    // The engine's answers; an entry it refuses empties the result and its reason shows in the
    // status line, with the box to correct selected.
    void Compute() {
        EnteredDate entered[2];
        for (int i = 0; i < date_count; ++i) entered[i] = ReadDate(i);
        const bool after = mode == 2 && win::Checked(days_after);
        std::string days_message;
        switch (mode) {
            case 1: win::SetText(julian_day, JulianDayResult(entered[0])); break;
            case 2:
                if (after) {
                    const ThreeCalendars t = DateAfterDays(entered[0], win::Text(days));
                    ShowThreeCalendars(t);
                    days_message = t.message;
                } else {
                    win::SetText(days, IntervalResult(entered[0], entered[1]));
                }
                break;
            case 3: win::SetText(ganzhi, GanZhiResult(entered[0], context.ganzhi_from_chunjie)); break;
            default: ShowThreeCalendars(ConvertResult(entered[0])); break;
        }
        const int checked = after ? 1 : date_count;
        for (int i = 0; i < checked; ++i) {
            if (!entered[i].ok()) {
                Refuse(dates[i].box, entered[i].message);
                return;
            }
        }
        if (!days_message.empty()) {
            Refuse(days, days_message);
            return;
        }
        win::SetText(status, "");
    }

    void Refuse(HWND box, const std::string& message) {
        win::SetText(status, message);
        SetFocus(box);
        SendMessageW(box, EM_SETSEL, 0, -1);
    }

    // Whether a control is part of an entry (a date, its calendar, 纪元前, the number of days).
    bool IsEntry(HWND control) const {
        if (control == nullptr) return false;
        if (control == days) return !win::Checked(two_dates) || mode != 2;
        for (const DateRow& r : dates)
            for (HWND c : {r.box, r.bc, r.gregorian, r.lunar, r.hijri})
                if (c == control) return true;
        return false;
    }

    bool OnCommand(int id, int code, HWND control) override {
        switch (id) {
            case IDOK:
                Compute();
                return true;
            case kTwoDatesFormId:
            case kDaysAfterFormId:
                if (code == BN_CLICKED) SetForm(id == kDaysAfterFormId);
                return true;
            default:
                break;
        }
        // A reason shown for an entry no longer holds once the entry changes.
        if ((code == EN_CHANGE || code == BN_CLICKED) && IsEntry(control)) {
            win::SetText(status, "");
            return true;
        }
        return false;
    }

    HBRUSH OnControlColour(HDC dc, HWND control) override {
        return control == status ? colours.Use(dc, kMessageColour, GetSysColor(COLOR_BTNFACE)) : nullptr;
    }
};

}  // namespace

HWND CreateDateToolsWindow(HWND owner, int mode, const ToolContext& context) {
    return CreateToolWindow<DateToolsWindow>(owner, mode, context, L"TempolineDateTools", kModeNames);
}

}  // namespace tools
