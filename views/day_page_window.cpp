#include "views/day_page_window.h"

#include <commctrl.h>

#include <array>
#include <memory>
#include <vector>

#include "calendar/day_info.h"
#include "text/wide.h"
#include "views/holiday_marks.h"
#include "views/stepping_list.h"
#include "win/accessible.h"
#include "win/controls.h"
#include "win/images.h"
#include "win/startup_trace.h"
#include "win/window.h"

namespace views {

namespace {

constexpr SIZE kSize{260, 150};
constexpr COLORREF kListBackground = RGB(190, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
// The information line, and the mark at its right end that takes the line's last 16 pixels.
constexpr int kInformationX = 9, kInformationY = 92, kInformationWidth = 242, kInformationHeight = 14;
constexpr int kMarkSize = 14;
// Posted by the page to itself when it is made, so handled once it has been painted (and before any
// key or click reaches it: a queue gives posted messages before input).
constexpr UINT kAfterPaintMessage = WM_APP + 0x49;

struct Placement {
    int x, y, width;
};
constexpr Placement kListPlacement[kDayListCount] = {
    {9, 16, 109}, {118, 16, 81}, {199, 16, 52},    // Gregorian year, month, day
    {9, 64, 109}, {118, 64, 81}, {199, 64, 52},    // lunar
    {9, 112, 109}, {118, 112, 81}, {199, 112, 52},  // Hijri
};

bool IsYearList(DayList list) {
    return list == DayList::kSolarYear || list == DayList::kLunarYear || list == DayList::kHijriYear;
}

COLORREF TextColourOf(DayList list) {
    return list == DayList::kLunarYear || list == DayList::kLunarMonth || list == DayList::kLunarDay ? kMagenta : kBlue;
}

struct DayPage : PageWindow {
    DayPage(astro::DayNumber day, const PageOptions& page_options) : options(page_options) { state.day = day; }

    PageOptions options;
    DayPageState state;
    std::array<HWND, kDayListCount> lists{};
    std::array<HWND, kDayListCount> dropdowns{};  // the list boxes the lists drop down
    std::array<std::vector<std::string>, kDayListCount> items;  // what the lists hold (a year list: once whole)
    // A year list holds only its selected year until it is needed whole (it drops down, or a key
    // looks for an item in it): its thousands of items are slow to make and to put into a list,
    // and neither the page's first paint nor stepping through the years needs them.
    std::array<bool, kDayListCount> holds_all{};
    std::array<std::string, kDayListCount> single_item;  // the year a year list holds alone ("": none yet)
    bool items_with_era_names = false;                    // what the lunar-year list holds
    HWND attribute = nullptr;
    HWND information = nullptr;
    HWND picture = nullptr;  // made with the first background picture
    // The tooltips of the lists, of the information line and of the holiday mark, in one tooltip
    // window made once the page has been painted: the page shows without it, and a page put on top
    // as soon as it shows owns no window yet that would have to stay above it.
    HWND tooltip = nullptr;
    std::string information_tip;  // the personal days of the day
    bool tooltip_added = false;   // the information line has a tooltip of personal days
    HWND holiday = nullptr;      // 休 or 班 of the day, hidden on an ordinary day
    bool holiday_tip_added = false;
    DayHoliday shown_holiday;
    win::Colours colours;
    win::Bitmap bitmap;
    std::string picture_path;  // the file of the background picture shown, "" for none

    int IndexOf(HWND list) const {
        for (int i = 0; i < kDayListCount; ++i)
            if (lists[i] == list) return i;
        return -1;
    }

    void AddTooltip(HWND control, const std::string& tip) {
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND;  // mouse messages are relayed by the lists themselves
        info.hwnd = handle();
        info.uId = reinterpret_cast<UINT_PTR>(control);
        std::wstring wide = text::GbkToWide(tip);
        info.lpszText = wide.data();
        SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }

    // What only the user's hand needs, made once the page has been painted: the tooltips, the
    // lists' stepping by keys and wheel, the lines' refusal of pastes.
    void AfterPaint() {
        if (tooltip) return;
        tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                  handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, scale().Px(360));  // a long list of days wraps
        for (int i = 0; i < kDayListCount; ++i) {
            MakeSteppingList(lists[i], tooltip);
            AddTooltip(lists[i], ListName(static_cast<DayList>(i)));
            win::NameControl(lists[i], ListName(static_cast<DayList>(i)));  // what a screen reader says of it
        }
        win::MakeReadOnlyText(attribute);
        win::MakeReadOnlyText(information);
        SetTooltip(information, information_tip, tooltip_added);
        SetTooltip(holiday, shown_holiday.text, holiday_tip_added);
        TEMPO_STARTUP_MARK("after the paint: day page tooltips, stepping, read-only lines");
    }

    bool OnCreate() override {
        PostMessageW(handle(), kAfterPaintMessage, 0, 0);
        for (int i = 0; i < kDayListCount; ++i) {
            const Placement& p = kListPlacement[i];
            lists[i] = AddControl(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, p.x, p.y, p.width, 240,
                                  kFirstListId + i);
            dropdowns[i] = win::DropDownOf(lists[i]);
        }
        TEMPO_STARTUP_MARK("day page: nine lists made");
        attribute = AddControl(L"EDIT", "", ES_READONLY | ES_AUTOHSCROLL, 9, 45, 242, 13, kAttributeLineId);
        information = AddControl(L"EDIT", "", ES_READONLY | ES_AUTOHSCROLL, kInformationX, kInformationY,
                                 kInformationWidth, kInformationHeight, kInformationLineId);
        holiday = AddControl(L"STATIC", "", SS_CENTER | SS_NOTIFY, kInformationX + kInformationWidth - kMarkSize,
                             kInformationY, kMarkSize, kMarkSize, kHolidayMarkId);
        ShowWindow(holiday, SW_HIDE);
        if (!options.background_picture.empty()) SetBackgroundPicture(options.background_picture);
        TEMPO_STARTUP_MARK("day page: lines, mark, picture");
        SetDay(state.day);
        return true;
    }

    // Shows the state in all nine lists: refills the lists whose items changed (the year lists only
    // when asked to), selects the day.
    void ShowState(bool refill_years) {
        for (int i = 0; i < kDayListCount; ++i) {
            const DayList list = static_cast<DayList>(i);
            // The year lists do not depend on the day: made again only when their texts change.
            if (IsYearList(list) && !(holds_all[i] && refill_years)) continue;
            std::vector<std::string> fresh = ListItems(state, list, options.show_era_names);
            if (fresh != items[i]) {
                items[i] = std::move(fresh);
                FillSteppingList(lists[i], items[i], tooltip);
            }
        }
        items_with_era_names = options.show_era_names;
        ShowSelection();
    }

    void ShowSelection() {
        for (int i = 0; i < kDayListCount; ++i) {
            const DayList list = static_cast<DayList>(i);
            if (holds_all[i] || !IsYearList(list)) {
                win::Select(lists[i], SelectedItem(state, list));
                continue;
            }
            std::string year = SelectedItemText(state, list, options.show_era_names);
            if (year != single_item[i]) {
                FillSteppingList(lists[i], {year}, tooltip);
                win::Select(lists[i], 0);
                single_item[i] = std::move(year);
            }
        }
    }

    // A year list needed whole: all its years go in, the page's year selected.
    void CompleteList(int i) {
        const DayList list = static_cast<DayList>(i);
        if (holds_all[i] || !IsYearList(list)) return;
        holds_all[i] = true;
        single_item[i].clear();
        items[i] = ListItems(state, list, options.show_era_names);
        FillSteppingList(lists[i], items[i], tooltip);
        win::Select(lists[i], SelectedItem(state, list));
    }

    // The selected item of a list as an index into all its items.
    int ChosenItem(int i) const {
        return holds_all[i] || !IsYearList(static_cast<DayList>(i)) ? win::Selection(lists[i])
                                                                      : SelectedItem(state, static_cast<DayList>(i));
    }

    void ShowLines() {
        const astro::CalendarDate& d = state.solar;
        win::SetText(attribute, calendar::AttributeLine(d.year, d.month, d.day, options.ganzhi_from_chunjie));
        win::SetText(information, calendar::InformationLine(d.year, d.month, d.day, options.info_type,
                                                            options.longitude, options.latitude));
        information_tip = ShowPersonalDays(options, state.day, handle()).Joined();
        SetTooltip(information, information_tip, tooltip_added);
        if (options.day_shown) options.day_shown(state.day);
        ShowHoliday();
    }

    // The day's 休 or 班 at the right end of the information line, which then gives way to it; the
    // mark's tooltip names the holiday.
    void ShowHoliday() {
        shown_holiday = HolidayOfDay(state.day, options.show_holidays);
        const bool marked = !shown_holiday.mark.empty();
        win::SetText(holiday, shown_holiday.mark);
        MoveControl(information, kInformationX, kInformationY, kInformationWidth - (marked ? kMarkSize + 2 : 0),
                    kInformationHeight);
        ShowWindow(holiday, marked ? SW_SHOWNA : SW_HIDE);
        SetTooltip(holiday, shown_holiday.text, holiday_tip_added);
    }

    // A control's tooltip, several lines wide when it is long; none for an empty text. The
    // controls are plain edits and labels: the tooltip listens to them itself.
    void SetTooltip(HWND control, const std::string& tip, bool& added) {
        if (!tooltip) return;  // set when the tooltip is made
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = handle();
        info.uId = reinterpret_cast<UINT_PTR>(control);
        std::wstring wide = text::GbkToWide(tip);
        info.lpszText = wide.data();
        if (tip.empty()) {
            if (added) SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        } else {
            SendMessageW(tooltip, added ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        }
        added = !tip.empty();
    }

    void SetDay(astro::DayNumber day) {
        state = DayPageAt(day);
        TEMPO_STARTUP_MARK("day page: the day's dates");
        ShowState(false);
        TEMPO_STARTUP_MARK("day page: lists filled");
        ShowLines();
        TEMPO_STARTUP_MARK("day page: lines composed");
    }

    astro::DayNumber Day() const override { return state.day; }
    void ShowDay(astro::DayNumber day) override { SetDay(day); }
    // The keyboard starts in the first list (the Gregorian year), and Tab goes on from there.
    void OnShown() override { SetFocus(lists[0]); }
    bool HasBackgroundPicture() const override { return true; }
    HWND KeptOnTop() const override { return tooltip; }

    void Refresh(const PageOptions& fresh) override {
        const bool era_names_switched = fresh.show_era_names != items_with_era_names;
        options = fresh;
        // The lunar months depend on the rule of the ancient calendars, which may have changed.
        state = DayPageAt(state.day);
        ShowState(era_names_switched);
        ShowLines();
    }

    // The picture is scaled smoothly to the page's size at its DPI, from the file each time. Its
    // control is made with the first picture (a page without one paints its plain colour itself).
    bool SetBackgroundPicture(const std::string& path) override {
        win::Bitmap loaded = win::LoadPictureAt(path, scale().Size(kSize));
        if (!loaded) return false;
        if (!picture) {
            // The picture lies under everything else and covers the page; a press on it drags the
            // page like its body, so it passes the mouse on to the page.
            picture = AddControl(L"STATIC", "", WS_CLIPSIBLINGS | SS_BITMAP | SS_NOTIFY, 0, 0, 265, 150, kPictureId);
            SetWindowPos(picture, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            win::PassMouseToParent(picture);
        }
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(loaded.get()));
        bitmap = std::move(loaded);
        picture_path = path;
        InvalidateRect(handle(), nullptr, TRUE);
        return true;
    }

    void OnDpiChanged() override {
        if (tooltip) SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, scale().Px(360));
        if (!picture_path.empty()) SetBackgroundPicture(picture_path);
    }

    bool OnCommand(int, int code, HWND control) override {
        if (control == information && code == win::kTextDoubleClicked) {
            if (options.open_almanac) options.open_almanac(state.day);
            return true;
        }
        const int list = IndexOf(control);
        if (list < 0) return false;
        if (code == CBN_DROPDOWN && !holds_all[list]) {  // a year list opens: all its years go in
            CompleteList(list);
            return true;
        }
        // A choice is taken when the selection changes and when the dropped list closes with it
        // (CBN_SELENDOK comes before the close-up); a mouse pick may tell of the change only after
        // the close-up (Wine), or before it (Windows does not fix the order).
        if (code == CBN_SELCHANGE || code == CBN_SELENDOK) {
            const astro::DayNumber chosen = DayForChoice(state, static_cast<DayList>(list), ChosenItem(list));
            if (chosen != state.day) SetDay(chosen);
            return true;
        }
        // A list closed without a choice may still show the item the pointer last rested on.
        if (code == CBN_CLOSEUP) {
            ShowSelection();
            return true;
        }
        return false;
    }

    HBRUSH OnControlColour(HDC dc, HWND control) override {
        if (win::HighContrast()) return colours.Use(dc, GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW));
        for (int i = 0; i < kDayListCount; ++i)
            if (control == lists[i] || control == dropdowns[i])
                return colours.Use(dc, TextColourOf(static_cast<DayList>(i)), kListBackground);
        if (control == attribute || control == information) return colours.Use(dc, RGB(0, 0, 0), kListBackground);
        if (control == holiday)
            return colours.Use(dc, kHolidayMarkText, MarkBackground(shown_holiday));
        return colours.Use(dc, kPageBackground);
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        switch (message) {
            case kAfterPaintMessage:
                AfterPaint();
                return 0;
            case WM_ERASEBKGND:
                if (win::HighContrast()) {  // the system's window colour, not the page's own
                    RECT client;
                    GetClientRect(handle(), &client);
                    FillRect(reinterpret_cast<HDC>(wparam), &client, colours.BrushOf(GetSysColor(COLOR_WINDOW)));
                    return 1;
                }
                return PageWindow::OnMessage(message, wparam, lparam);
            case WM_SETTINGCHANGE:
            case WM_SYSCOLORCHANGE:  // high contrast switched, or the system's colours changed
                RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
                return PageWindow::OnMessage(message, wparam, lparam);
            case kItemsHeldBackMessage: {
                const int list = IndexOf(reinterpret_cast<HWND>(wparam));
                return list >= 0 && IsYearList(static_cast<DayList>(list)) && !holds_all[list];
            }
            case kCompleteListMessage: {
                const int list = IndexOf(reinterpret_cast<HWND>(wparam));
                if (list >= 0) CompleteList(list);
                return 0;
            }
            case kStepListMessage: {
                const int list = IndexOf(reinterpret_cast<HWND>(wparam));
                if (list < 0) return 0;
                const astro::DayNumber next = StepList(state, static_cast<DayList>(list), static_cast<int>(lparam));
                if (next != state.day) SetDay(next);
                return 0;
            }
            default:
                return PageWindow::OnMessage(message, wparam, lparam);
        }
    }
};

}  // namespace

HWND CreateDayPage(astro::DayNumber day, const PageOptions& options) {
    return CreatePageWindow(std::make_unique<DayPage>(day, options), L"TempolineDayPage", "橙鹿日历",
                            WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kSize);
}

}  // namespace views
