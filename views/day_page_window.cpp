#include "views/day_page_window.h"

#include <commctrl.h>

#include <array>
#include <memory>
#include <vector>

#include "calendar/day_info.h"
#include "text/wide.h"
#include "views/stepping_list.h"
#include "win/controls.h"
#include "win/window.h"

namespace views {

namespace {

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

bool IsYearList(DayList list) {
    return list == DayList::kSolarYear || list == DayList::kLunarYear || list == DayList::kHijriYear;
}

COLORREF TextColourOf(DayList list) {
    return list == DayList::kLunarYear || list == DayList::kLunarMonth || list == DayList::kLunarDay ? kMagenta : kBlue;
}

struct DayPage : win::Window {
    PageOptions options;
    DayPageState state;
    std::array<HWND, kDayListCount> lists{};
    std::array<HWND, kDayListCount> dropdowns{};  // the list boxes the lists drop down
    std::array<std::vector<std::string>, kDayListCount> items;
    bool items_with_era_names = false;  // what the lunar-year list holds
    HWND attribute = nullptr;
    HWND information = nullptr;
    HWND picture = nullptr;
    HWND tooltip = nullptr;
    win::Brush list_brush{CreateSolidBrush(kListBackground)};
    win::Brush back_brush{CreateSolidBrush(kBackground)};
    win::Bitmap bitmap;

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

    bool OnCreate() override {
        tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                  handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        for (int i = 0; i < kDayListCount; ++i) {
            const Placement& p = kListPlacement[i];
            lists[i] = AddControl(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, p.x, p.y, p.width, 240,
                                  kFirstListId + i);
            dropdowns[i] = win::DropDownOf(lists[i]);
            MakeSteppingList(lists[i], tooltip);
            AddTooltip(lists[i], ListName(static_cast<DayList>(i)));
        }
        attribute = AddControl(L"EDIT", "", ES_READONLY | ES_AUTOHSCROLL, 9, 45, 242, 13, kAttributeLineId);
        information = AddControl(L"EDIT", "", ES_READONLY | ES_AUTOHSCROLL, 9, 92, 242, 14, kInformationLineId);
        win::MakeReadOnlyText(attribute);
        win::MakeReadOnlyText(information);
        // The picture lies under everything else and covers the page; a press on it drags the page
        // like its body, so it passes the mouse on to the page.
        picture = AddControl(L"STATIC", "", WS_CLIPSIBLINGS | SS_BITMAP | SS_NOTIFY, 0, 0, 265, 150, kPictureId);
        SetWindowPos(picture, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        win::PassMouseToParent(picture);
        if (!options.background_picture.empty()) LoadPicture(options.background_picture);
        SetDay(state.day);
        return true;
    }

    // Shows the state in all nine lists: refills the lists whose items changed (the year lists only
    // when asked to), selects the day.
    void ShowState(bool refill_years) {
        for (int i = 0; i < kDayListCount; ++i) {
            const DayList list = static_cast<DayList>(i);
            if (!IsYearList(list) || refill_years || items[i].empty()) {
                std::vector<std::string> fresh = ListItems(state, list, options.show_era_names);
                if (fresh != items[i]) {
                    items[i] = std::move(fresh);
                    FillSteppingList(lists[i], items[i], tooltip);
                }
            }
        }
        items_with_era_names = options.show_era_names;
        ShowSelection();
    }

    void ShowSelection() {
        for (int i = 0; i < kDayListCount; ++i) win::Select(lists[i], SelectedItem(state, static_cast<DayList>(i)));
    }

    void ShowLines() {
        const astro::CalendarDate& d = state.solar;
        win::SetText(attribute, calendar::AttributeLine(d.year, d.month, d.day, options.ganzhi_from_chunjie));
        win::SetText(information, calendar::InformationLine(d.year, d.month, d.day, options.info_type,
                                                            options.longitude, options.latitude));
    }

    void SetDay(astro::DayNumber day) {
        state = DayPageAt(day);
        ShowState(false);
        ShowLines();
    }

    void Refresh(const PageOptions& fresh) {
        const bool era_names_switched = fresh.show_era_names != items_with_era_names;
        options = fresh;
        // The lunar months depend on the rule of the ancient calendars, which may have changed.
        state = DayPageAt(state.day);
        ShowState(era_names_switched);
        ShowLines();
    }

    bool LoadPicture(const std::string& path) {
        win::Bitmap loaded(static_cast<HBITMAP>(
            LoadImageW(nullptr, text::GbkToWide(path).c_str(), IMAGE_BITMAP, kWidth, kHeight, LR_LOADFROMFILE)));
        if (!loaded) return false;
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(loaded.get()));
        bitmap = std::move(loaded);
        InvalidateRect(handle(), nullptr, TRUE);
        return true;
    }

    bool OnCommand(int id, int code, HWND control) override {
        if (id == IDCANCEL && code == BN_CLICKED) {  // Escape
            SendMessageW(handle(), kPutAwayMessage, 0, 0);
            return true;
        }
        const int list = IndexOf(control);
        if (list < 0) return false;
        if (code == CBN_SELCHANGE) {
            SetDay(DayForChoice(state, static_cast<DayList>(list), win::Selection(control)));
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
        for (int i = 0; i < kDayListCount; ++i) {
            if (control == lists[i] || control == dropdowns[i]) {
                SetTextColor(dc, TextColourOf(static_cast<DayList>(i)));
                SetBkColor(dc, kListBackground);
                return list_brush.get();
            }
        }
        if (control == attribute || control == information) {
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, kListBackground);
            return list_brush.get();
        }
        SetBkColor(dc, kBackground);
        return back_brush.get();
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        switch (message) {
            case kStepListMessage: {
                const int list = IndexOf(reinterpret_cast<HWND>(wparam));
                if (list < 0) return 0;
                const astro::DayNumber next = StepList(state, static_cast<DayList>(list), static_cast<int>(lparam));
                if (next != state.day) SetDay(next);
                return 0;
            }
            case kPutAwayMessage:
                ShowWindow(handle(), SW_HIDE);
                return 0;
            default:
                return Window::OnMessage(message, wparam, lparam);
        }
    }
};

DayPage* DayPageOf(HWND window) { return win::StateOf<DayPage>(window); }

}  // namespace

HWND CreateDayPage(astro::DayNumber day, const PageOptions& options) {
    auto page = std::make_unique<DayPage>();
    page->options = options;
    page->state.day = day;
    return win::Create(std::move(page),
                       win::Frame{.class_name = L"TempolineDayPage",
                                  .title = "橙鹿日历",
                                  .style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                  .ex_style = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT,
                                  .background = kBackground,
                                  .class_style = CS_DBLCLKS,
                                  .width = kWidth,
                                  .height = kHeight,
                                  .shown = false},
                       nullptr);
}

astro::DayNumber DayPageDay(HWND window) {
    const DayPage* page = DayPageOf(window);
    return page ? page->state.day : 0;
}

void ShowDayOnPage(HWND window, astro::DayNumber day) {
    if (DayPage* page = DayPageOf(window)) page->SetDay(day);
}

void RefreshDayPage(HWND window, const PageOptions& options) {
    if (DayPage* page = DayPageOf(window)) page->Refresh(options);
}

bool SetBackgroundPicture(HWND window, const std::string& path) {
    DayPage* page = DayPageOf(window);
    return page != nullptr && page->LoadPicture(path);
}

HWND DayPageTooltip(HWND window) {
    const DayPage* page = DayPageOf(window);
    return page ? page->tooltip : nullptr;
}

const CalendarPage kDayPage = {
    .view = CalendarView::kDay,
    .create = CreateDayPage,
    .day = DayPageDay,
    .show_day = ShowDayOnPage,
    .refresh = RefreshDayPage,
    .set_background_picture = SetBackgroundPicture,
    .kept_on_top = DayPageTooltip,
    .chime_timer = kDayChimeTimer,
    .transparency_timer = kDayTransparencyTimer,
    .alarm_timer = kDayAlarmTimer,
    .has_tray_icon = true,
    .moved_by_body = true,
};

}  // namespace views
