#include "tools/query_window.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "calendar/cycles.h"
#include "calendar/names.h"
#include "shell/app_win32.h"
#include "text/wide.h"
#include "tools/condition_queries.h"
#include "tools/tool_window_common.h"

// The search runs on a worker thread. The engine's search is one call that only reports back
// through its progress callback; running it on the window's thread would freeze the window for the
// whole search, and pumping messages from inside the callback would let the window be closed or a
// second search be started in the middle of the engine's call. On its own thread the search shares
// with the window only what cannot tear: the stop flag, a flag saying that the last progress text
// has been shown, and two posted messages that carry their text on the heap (a progress text, and
// the result at the end). A progress text is posted only once the window has shown the one before
// (the engine reports after every day, far more often than a window can be redrawn), so the queue
// never fills and the last state is shown without a timer polling for it.
//
// A search that matches nearly every day finds tens of thousands of hits, several megabytes of
// text, which an edit box takes seconds to lay out. The hits are therefore put into the box in
// parts, one posted message each, so that the window keeps answering (and can be closed) meanwhile.
//
// The engine's caches (the lunar years, the solved terms and moons) belong to one thread at a time:
// while the search runs the window makes no engine call and its owner stays disabled.

namespace tools {

namespace {

constexpr const wchar_t* kClassName = L"TempolineQuery";
constexpr const char* kModeNames[] = {"", "查询条件日", "查询条件月"};
constexpr const char* kAny = "不限";  // the first item of every criteria list
constexpr int kClientWidth = 468;
constexpr int kResultLines = 20;
constexpr int kResultFontHeight = -16;
constexpr int kDefaultYearCount = 10;
constexpr int kCriteriaCount = 12;
constexpr UINT kProgressMessage = WM_APP + 1;  // lparam: std::string* (the status text)
constexpr UINT kDoneMessage = WM_APP + 2;      // lparam: QueryResult*
constexpr UINT kShowMessage = WM_APP + 3;      // the next part of the hits goes into the box
constexpr size_t kShowPart = 65536;            // characters

struct Window {
    HWND window = nullptr;
    HWND owner = nullptr;
    int mode = 1;
    HFONT font = nullptr;
    HFONT result_font = nullptr;
    HWND lists[kCriteriaCount] = {};
    HWND options[4] = {};
    HWND base_month = nullptr;
    HWND start_year = nullptr;
    HWND bc = nullptr;
    HWND year_count = nullptr;
    HWND search = nullptr;
    HWND cancel = nullptr;
    HWND status = nullptr;
    HWND result = nullptr;
    std::vector<std::string> festivals;
    // The search, then the hits going into the box.
    enum class State { kIdle, kSearching, kShowing } state = State::kIdle;
    std::wstring hits;
    size_t hits_shown = 0;
    std::thread worker;
    std::atomic<bool> stop{false};
    std::atomic<bool> progress_posted{false};
};

Window* WindowOf(HWND window) { return reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

int Selected(HWND list) { return static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0)); }

HWND AddList(Window& w, const std::vector<std::string>& items, int x, int y, int width, int id) {
    HWND list = AddControl(w.window, w.font, L"COMBOBOX", "", WS_GROUP | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                           x, y, width, 22 + 260, id);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text::GbkToWide(kAny).c_str()));
    for (const std::string& item : items)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text::GbkToWide(item).c_str()));
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    return list;
}

std::vector<std::string> Numbers(int last) {
    std::vector<std::string> out;
    for (int i = 1; i <= last; ++i) out.push_back(std::to_string(i));
    return out;
}

// 正月 .. 腊月, and with leap 闰正月 .. 闰腊月 after them (months 13..24).
std::vector<std::string> LunarMonths(bool with_leap) {
    std::vector<std::string> out;
    for (int m = 1; m <= (with_leap ? 24 : 12); ++m) {
        const std::string name = calendar::LunarMonthName(m);
        out.push_back(name.substr(name.find_first_not_of(' ')));
    }
    return out;
}

std::vector<std::string> Names(const char* const* table, int last) {
    std::vector<std::string> out;
    for (int i = 1; i <= last; ++i) out.push_back(table[i]);
    return out;
}

std::vector<std::string> GanZhiNames() {
    std::vector<std::string> out;
    for (int i = 1; i <= 60; ++i) out.push_back(calendar::GanZhiName(i));
    return out;
}

void AddCriteria(Window& w) {
    w.festivals = QueryFestivalNames();
    const struct {
        const char* label;
        std::vector<std::string> items;
        int id;
    } criteria[kCriteriaCount] = {
        {"公历月", Numbers(12), kSolarMonthListId},       {"农历月", LunarMonths(true), kLunarMonthListId},
        {"回历月", Numbers(12), kHijriMonthListId},       {"公历日", Numbers(31), kSolarDayListId},
        {"农历日", Numbers(30), kLunarDayListId},         {"回历日", Numbers(30), kHijriDayListId},
        {"干支年", GanZhiNames(), kGanZhiYearListId},     {"干支月", GanZhiNames(), kGanZhiMonthListId},
        {"干支日", GanZhiNames(), kGanZhiDayListId},      {"星期", Names(calendar::WeekdayNames, 7), kWeekdayListId},
        {"节气", Names(calendar::SolarTermNames, 24), kTermListId}, {"节日", w.festivals, kFestivalListId},
    };
    for (int i = 0; i < kCriteriaCount; ++i) {
        const int x = 12 + (i % 3) * 152;
        const int y = 14 + (i / 3) * 30;
        AddControl(w.window, w.font, L"STATIC", criteria[i].label, SS_LEFT, x, y + 4, 44, 16, -1);
        w.lists[criteria[i].id - kSolarMonthListId] = AddList(w, criteria[i].items, x + 46, y, 98, criteria[i].id);
    }
    SendMessageW(w.lists[kFestivalListId - kSolarMonthListId], CB_SETDROPPEDWIDTH, 140, 0);
}

void AddMonthKinds(Window& w) {
    const struct {
        const char* caption;
        int x;
        int width;
    } kinds[4] = {{"农历闰月", 12, 78}, {"三连大月", 186, 84}, {"三连小月", 274, 84}, {"四连大月", 362, 84}};
    for (int i = 0; i < 4; ++i)
        w.options[i] = AddControl(w.window, w.font, L"BUTTON", kinds[i].caption,
                                  (i == 0 ? WS_GROUP | WS_TABSTOP : 0) | BS_AUTORADIOBUTTON, kinds[i].x, 16,
                                  kinds[i].width, 18, kLeapMonthOptionId + i);
    w.base_month = AddList(w, LunarMonths(false), 92, 14, 72, kBaseMonthListId);
    SendMessageW(w.options[0], BM_SETCHECK, BST_CHECKED, 0);
}

int CreateControls(Window& w) {
    w.font = CreateDialogFont();
    w.result_font = CreateTableFont(kResultFontHeight);
    int y = 0;
    if (w.mode == 1) {
        AddCriteria(w);
        y = 14 + 4 * 30 + 6;
    } else {
        AddMonthKinds(w);
        y = 48;
    }
    AddControl(w.window, w.font, L"STATIC", w.mode == 1 ? "起始公历年份" : "起始农历年份", SS_LEFT, 12, y + 4, 76, 16,
               -1);
    w.start_year = AddControl(w.window, w.font, L"EDIT", "", WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, 90, y, 50, 22,
                              kStartYearBoxId);
    RestrictEntry(w.start_year, "1234567890", 4);
    w.bc = AddControl(w.window, w.font, L"BUTTON", "纪元前", WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 146, y + 2, 60, 18,
                      kQueryBcId);
    AddControl(w.window, w.font, L"STATIC", "查询年份范围", SS_LEFT, 212, y + 4, 76, 16, -1);
    w.year_count = AddControl(w.window, w.font, L"EDIT", "", WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, 290, y, 40, 22,
                              kYearCountBoxId);
    RestrictEntry(w.year_count, "1234567890", 4);
    w.search = AddControl(w.window, w.font, L"BUTTON", "查询", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 340, y - 2, 56,
                          26, IDOK);
    w.cancel = AddControl(w.window, w.font, L"BUTTON", "取消", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, 400, y - 2, 56, 26,
                          IDCANCEL);
    y += 32;
    w.status = AddControl(w.window, w.font, L"STATIC", "", SS_LEFT | SS_NOPREFIX, 12, y, kClientWidth - 24, 16,
                          kQueryStatusId);
    y += 22;
    TEXTMETRICW metrics{};
    HDC dc = GetDC(w.window);
    HGDIOBJ old = SelectObject(dc, w.result_font);
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(w.window, dc);
    const int height = kResultLines * static_cast<int>(metrics.tmHeight) + 8 + GetSystemMetrics(SM_CYHSCROLL);
    w.result = AddControl(w.window, w.result_font, L"EDIT", "",
                          WS_GROUP | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                              ES_AUTOHSCROLL,
                          12, y, kClientWidth - 24, height, kQueryResultId);
    SendMessageW(w.result, EM_SETLIMITTEXT, 0, 0);

    const int year = astro::DayNumberToDate(ToolStartDay()).year;
    SetControlText(w.start_year, std::to_string(year >= 1 ? year : 1 - year));
    if (year < 1) SendMessageW(w.bc, BM_SETCHECK, BST_CHECKED, 0);
    SetControlText(w.year_count, std::to_string(kDefaultYearCount));
    return y + height + 12;
}

// A number typed into a digits-only box; false when it is empty.
bool Number(HWND box, int& n) {
    const std::string digits = ControlText(box);
    if (digits.empty() || digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    n = std::stoi(digits);
    return true;
}

// Everything but 取消 waits while a search runs.
void EnableEntries(Window& w, bool on) {
    for (HWND list : w.lists)
        if (list) EnableWindow(list, on);
    for (HWND option : w.options)
        if (option) EnableWindow(option, on);
    if (w.base_month) EnableWindow(w.base_month, on && Checked(w.options[0]));
    for (HWND c : {w.start_year, w.bc, w.year_count, w.search}) EnableWindow(c, on);
}

void EndShowing(Window& w) {
    w.state = Window::State::kIdle;
    w.hits = std::wstring();
    w.hits_shown = 0;
    SendMessageW(w.result, WM_SETREDRAW, TRUE, 0);
    SendMessageW(w.result, EM_SETSEL, 0, 0);
    SendMessageW(w.result, EM_SCROLLCARET, 0, 0);
    InvalidateRect(w.result, nullptr, TRUE);
    EnableEntries(w, true);
    SetFocus(w.search);
}

// Puts the next part of the hits into the box (whole lines), and asks for the part after it.
void ShowNextPart(Window& w) {
    if (w.state != Window::State::kShowing) return;
    size_t end = w.hits.size();
    if (end - w.hits_shown > kShowPart) {
        const size_t line_end = w.hits.rfind(L'\n', w.hits_shown + kShowPart);
        end = line_end != std::wstring::npos && line_end >= w.hits_shown ? line_end + 1 : w.hits_shown + kShowPart;
    }
    if (w.hits_shown == 0 && end == w.hits.size()) {
        SetWindowTextW(w.result, w.hits.c_str());
    } else {
        const std::wstring part = w.hits.substr(w.hits_shown, end - w.hits_shown);
        SendMessageW(w.result, EM_SETSEL, static_cast<WPARAM>(-1), -1);
        SendMessageW(w.result, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(part.c_str()));
    }
    w.hits_shown = end;
    if (w.hits_shown < w.hits.size()) {
        PostMessageW(w.window, kShowMessage, 0, 0);
    } else {
        EndShowing(w);
    }
}

void Finish(Window& w, const QueryResult& result) {
    if (w.worker.joinable()) w.worker.join();
    // The status line takes the engine's summary, the last line of the result.
    const size_t last = result.text.rfind("\r\n");
    SetControlText(w.status, last == std::string::npos ? result.text : result.text.substr(last + 2));
    w.state = Window::State::kShowing;
    w.hits = text::GbkToWide(result.text);
    w.hits_shown = 0;
    SetWindowTextW(w.result, L"");
    if (w.hits.size() > kShowPart) SendMessageW(w.result, WM_SETREDRAW, FALSE, 0);
    ShowNextPart(w);
}

void StartSearch(Window& w) {
    if (w.state != Window::State::kIdle) return;
    int first = 0;
    int count = 0;
    HWND wrong = !Number(w.start_year, first) ? w.start_year : !Number(w.year_count, count) ? w.year_count : nullptr;
    if (wrong) {
        MessageBeep(MB_OK);
        SetFocus(wrong);
        SendMessageW(wrong, EM_SETSEL, 0, -1);
        return;
    }
    if (count > kMaxQueryYears) {
        count = kMaxQueryYears;
        SetControlText(w.year_count, std::to_string(count));
    }
    const int y0 = Checked(w.bc) ? 1 - first : first;

    DayCriteria days;
    MonthCondition condition = MonthCondition::kLeapMonth;
    int base_month = 0;
    if (w.mode == 1) {
        const auto pick = [&w](int id) { return std::max(0, Selected(w.lists[id - kSolarMonthListId])); };
        days.solar_month = pick(kSolarMonthListId);
        days.solar_day = pick(kSolarDayListId);
        days.lunar_month = pick(kLunarMonthListId);
        days.lunar_day = pick(kLunarDayListId);
        days.hijri_month = pick(kHijriMonthListId);
        days.hijri_day = pick(kHijriDayListId);
        days.ganzhi_year = pick(kGanZhiYearListId);
        days.ganzhi_month = pick(kGanZhiMonthListId);
        days.ganzhi_day = pick(kGanZhiDayListId);
        days.weekday = pick(kWeekdayListId);
        days.term = pick(kTermListId);
        const int festival = pick(kFestivalListId);
        if (festival >= 1 && festival <= static_cast<int>(w.festivals.size())) days.festival = w.festivals[festival - 1];
    } else {
        const MonthCondition kinds[4] = {MonthCondition::kLeapMonth, MonthCondition::kThreeBig,
                                         MonthCondition::kThreeSmall, MonthCondition::kFourBig};
        for (int i = 0; i < 4; ++i)
            if (Checked(w.options[i])) condition = kinds[i];
        if (condition == MonthCondition::kLeapMonth) base_month = std::max(0, Selected(w.base_month));
    }
    const int ganzhi_mode = shell::TheApp().settings.gan_zhi_from_chunjie_flag;

    SetWindowTextW(w.result, L"");
    SetWindowTextW(w.status, L"");
    w.state = Window::State::kSearching;
    w.stop = false;
    w.progress_posted = false;
    EnableEntries(w, false);
    SetFocus(w.cancel);

    HWND window = w.window;
    std::atomic<bool>* stop = &w.stop;
    std::atomic<bool>* posted = &w.progress_posted;
    const int mode = w.mode;
    w.worker = std::thread([=] {
        const QueryProgress progress = [=](const std::string& status, double) {
            if (posted->exchange(true)) return;  // the window has not shown the last one yet
            auto* text = new std::string(status);
            if (!PostMessageW(window, kProgressMessage, 0, reinterpret_cast<LPARAM>(text))) {
                delete text;
                posted->store(false);
            }
        };
        auto* result = new QueryResult(mode == 1 ? QueryDays(y0, count, days, ganzhi_mode, progress, stop)
                                                 : QueryMonths(y0, count, condition, base_month, progress, stop));
        if (!PostMessageW(window, kDoneMessage, 0, reinterpret_cast<LPARAM>(result))) delete result;
    });
}

// Raises the stop flag and waits for the search, which ends at the next day (or year) it looks at
// and reports what it found.
void StopSearch(Window& w) {
    if (!w.worker.joinable()) return;
    w.stop = true;
    w.worker.join();
}

// Takes the posted messages of a search off the queue (their texts with them).
void DropSearchMessages(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, window, kProgressMessage, kShowMessage, PM_REMOVE)) {
        if (msg.message == kProgressMessage) delete reinterpret_cast<std::string*>(msg.lParam);
        if (msg.message == kDoneMessage) delete reinterpret_cast<QueryResult*>(msg.lParam);
    }
}

void Cancel(Window& w) {
    if (w.state != Window::State::kSearching) {
        DestroyWindow(w.window);
        return;
    }
    StopSearch(w);
    // The worker has posted its result before it ended: show it now.
    MSG msg;
    if (PeekMessageW(&msg, w.window, kDoneMessage, kDoneMessage, PM_REMOVE)) {
        std::unique_ptr<QueryResult> result(reinterpret_cast<QueryResult*>(msg.lParam));
        Finish(w, *result);
    } else {
        Finish(w, QueryResult{});
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* w = WindowOf(window);
    switch (message) {
        case kProgressMessage: {
            std::unique_ptr<std::string> status(reinterpret_cast<std::string*>(lparam));
            if (w && w->state == Window::State::kSearching) {
                SetControlText(w->status, *status);
                w->progress_posted = false;
            }
            return 0;
        }
        case kDoneMessage: {
            std::unique_ptr<QueryResult> result(reinterpret_cast<QueryResult*>(lparam));
            if (w && w->state == Window::State::kSearching) Finish(*w, *result);
            return 0;
        }
        case kShowMessage:
            if (w) ShowNextPart(*w);
            return 0;
        case WM_COMMAND:
            if (!w) break;
            switch (LOWORD(wparam)) {
                case IDOK: StartSearch(*w); return 0;
                case IDCANCEL: Cancel(*w); return 0;
                case kLeapMonthOptionId:
                case kThreeBigOptionId:
                case kThreeSmallOptionId:
                case kFourBigOptionId:
                    if (HIWORD(wparam) == BN_CLICKED) EnableWindow(w->base_month, Checked(w->options[0]));
                    return 0;
                default: break;
            }
            break;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_DESTROY:
            if (w) {
                // A search still running is stopped first: it must not outlive the window it reports to.
                StopSearch(*w);
                DropSearchMessages(window);
                w->state = Window::State::kIdle;
                if (w->owner) EnableWindow(w->owner, TRUE);
                DeleteObject(w->font);
                DeleteObject(w->result_font);
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

HWND CreateQueryWindow(HWND owner, int mode) {
    if (mode < 1 || mode > 2) return nullptr;
    HWND window = CreateToolFrame(kClassName, WindowProc, ToolWindowTitle(kModeNames[mode]), owner);
    if (!window) return nullptr;
    auto* w = new Window;
    w->window = window;
    w->owner = owner;
    w->mode = mode;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
    PlaceToolFrame(window, kClientWidth, CreateControls(*w));
    ShowWindow(window, SW_SHOW);
    SetFocus(w->search);
    return window;
}

int ShowQueryWindow(HWND owner, int mode) {
    HWND window = CreateQueryWindow(owner, mode);
    if (!window) return 0;
    return RunToolWindow(window, owner);
}

bool QueryRunning(HWND window) {
    const Window* w = IsWindow(window) ? WindowOf(window) : nullptr;
    return w != nullptr && w->state != Window::State::kIdle;
}

}  // namespace tools
