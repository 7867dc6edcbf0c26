#include "tools/query_window.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "calendar/cycles.h"
#include "calendar/names.h"
#include "text/wide.h"
#include "tools/condition_queries.h"
#include "win/controls.h"
#include "win/dpi.h"

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
// The engine's memo (the lunar years, the solved terms and moons) is safe to share with the window's
// thread, which may draw a calendar page meanwhile; the owner stays disabled as for any modal window.

namespace tools {

namespace {

constexpr const char* kModeNames[] = {"", "查询条件日", "查询条件月"};
constexpr const char* kAny = "不限";  // the first item of every criteria list
constexpr int kClientWidth = 468;
constexpr int kResultLines = 20;
constexpr int kResultFontHeight = 16;
constexpr int kDefaultYearCount = 10;
constexpr int kCriteriaCount = 12;
constexpr UINT kProgressMessage = WM_APP + 1;  // lparam: std::string* (the status text)
constexpr UINT kDoneMessage = WM_APP + 2;      // lparam: QueryResult*
constexpr UINT kShowMessage = WM_APP + 3;      // the next part of the hits goes into the box
constexpr size_t kShowPart = 65536;            // characters

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

// A number typed into a digits-only box; false when it is empty.
bool Number(HWND box, int& n) {
    const std::string digits = win::Text(box);
    if (digits.empty() || digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    n = std::stoi(digits);
    return true;
}

// Takes the posted messages of a search off the queue (their texts with them).
void DropSearchMessages(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, window, kProgressMessage, kShowMessage, PM_REMOVE)) {
        if (msg.message == kProgressMessage) delete reinterpret_cast<std::string*>(msg.lParam);
        if (msg.message == kDoneMessage) delete reinterpret_cast<QueryResult*>(msg.lParam);
    }
}

struct QueryWindow : ToolWindow {
    const win::WindowFont* result_font = nullptr;
    HWND lists[kCriteriaCount] = {};  // mode 1
    HWND options[4] = {};             // mode 2: the kinds of month, and the leap month's base month
    HWND base_month = nullptr;
    HWND start_year = nullptr, bc = nullptr, year_count = nullptr;  // the years searched
    HWND search = nullptr, cancel = nullptr;
    HWND status = nullptr, result = nullptr;
    std::vector<std::string> festivals;
    // The search, then the hits going into the box.
    enum class State { kIdle, kSearching, kShowing } state = State::kIdle;
    std::wstring hits;
    size_t hits_shown = 0;
    std::thread worker;
    std::atomic<bool> stop{false};
    std::atomic<bool> progress_posted{false};

    ~QueryWindow() override { StopSearch(); }

    HWND AddList(const std::vector<std::string>& items, int x, int y, int width, int id) {
        HWND list = AddControl(L"COMBOBOX", "", WS_GROUP | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, x, y, width,
                               22 + 260, id);
        std::vector<std::string> all{kAny};
        all.insert(all.end(), items.begin(), items.end());
        win::FillList(list, all);
        win::Select(list, 0);
        return list;
    }

    void AddCriteria() {
        festivals = QueryFestivalNames();
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
            {"节气", Names(calendar::SolarTermNames, 24), kTermListId}, {"节日", festivals, kFestivalListId},
        };
        for (int i = 0; i < kCriteriaCount; ++i) {
            const int x = 12 + (i % 3) * 152;
            const int y = 14 + (i / 3) * 30;
            AddControl(L"STATIC", criteria[i].label, SS_LEFT, x, y + 4, 44, 16);
            lists[criteria[i].id - kSolarMonthListId] = AddList(criteria[i].items, x + 46, y, 98, criteria[i].id);
        }
        SendMessageW(lists[kFestivalListId - kSolarMonthListId], CB_SETDROPPEDWIDTH, 140, 0);
    }

    void AddMonthKinds() {
        const struct {
            const char* caption;
            int x;
            int width;
        } kinds[4] = {{"农历闰月", 12, 78}, {"三连大月", 186, 84}, {"三连小月", 274, 84}, {"四连大月", 362, 84}};
        for (int i = 0; i < 4; ++i)
            options[i] = AddControl(L"BUTTON", kinds[i].caption, (i == 0 ? WS_GROUP | WS_TABSTOP : 0) | BS_AUTORADIOBUTTON,
                                    kinds[i].x, 16, kinds[i].width, 18, kLeapMonthOptionId + i);
        base_month = AddList(LunarMonths(false), 92, 14, 72, kBaseMonthListId);
        win::SetChecked(options[0], true);
    }

    HWND NumberBox(int x, int y, int width, int id) {
        HWND box = AddControl(L"EDIT", "", WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, x, y, width, 22, id, nullptr,
                              WS_EX_CLIENTEDGE);
        win::RestrictEntry(box, "1234567890", 4);
        return box;
    }

    bool OnCreate() override {
        result_font = TableFont(*this, kResultFontHeight);
        int y = 0;
        if (mode == 1) {
            AddCriteria();
            y = 14 + 4 * 30 + 6;
        } else {
            AddMonthKinds();
            y = 48;
        }
        AddControl(L"STATIC", mode == 1 ? "起始公历年份" : "起始农历年份", SS_LEFT, 12, y + 4, 76, 16);
        start_year = NumberBox(90, y, 50, kStartYearBoxId);
        bc = AddControl(L"BUTTON", "纪元前", WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 146, y + 2, 60, 18, kQueryBcId);
        AddControl(L"STATIC", "查询年份范围", SS_LEFT, 212, y + 4, 76, 16);
        year_count = NumberBox(290, y, 40, kYearCountBoxId);
        search = AddControl(L"BUTTON", "查询", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 340, y - 2, 56, 26, IDOK);
        cancel = AddControl(L"BUTTON", "取消", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, 400, y - 2, 56, 26, IDCANCEL);
        y += 32;
        status = AddControl(L"STATIC", "", SS_LEFT | SS_NOPREFIX, 12, y, kClientWidth - 24, 16, kQueryStatusId);
        y += 22;
        const int height =
            kResultLines * Measure96(result_font).line_height + 8 + win::MetricAt(SM_CYHSCROLL, win::kBaseDpi);
        result = AddControl(L"EDIT", "",
                            WS_GROUP | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                            12, y, kClientWidth - 24, height, kQueryResultId, result_font, WS_EX_CLIENTEDGE);
        SendMessageW(result, EM_SETLIMITTEXT, 0, 0);
        win::LetDialogKeysLeave(result);  // Tab goes on; the arrows scroll the results

        const int year = astro::DayNumberToDate(context.start_day).year;
        win::SetText(start_year, std::to_string(year >= 1 ? year : 1 - year));
        win::SetChecked(bc, year < 1);
        win::SetText(year_count, std::to_string(kDefaultYearCount));
        PlaceCentred(kClientWidth, y + height + 12);
        return true;
    }

    void OnShown() override { SetFocus(search); }

    // Everything but 取消 waits while a search runs.
    void EnableEntries(bool on) {
        for (HWND list : lists)
            if (list) EnableWindow(list, on);
        for (HWND option : options)
            if (option) EnableWindow(option, on);
        if (base_month) EnableWindow(base_month, on && win::Checked(options[0]));
        for (HWND c : {start_year, bc, year_count, search}) EnableWindow(c, on);
    }

    void EndShowing() {
        state = State::kIdle;
        hits = std::wstring();
        hits_shown = 0;
        SendMessageW(result, WM_SETREDRAW, TRUE, 0);
        SendMessageW(result, EM_SETSEL, 0, 0);
        SendMessageW(result, EM_SCROLLCARET, 0, 0);
        InvalidateRect(result, nullptr, TRUE);
        EnableEntries(true);
        SetFocus(search);
    }

    // Puts the next part of the hits into the box (whole lines), and asks for the part after it.
    void ShowNextPart() {
        if (state != State::kShowing) return;
        size_t end = hits.size();
        if (end - hits_shown > kShowPart) {
            const size_t line_end = hits.rfind(L'\n', hits_shown + kShowPart);
            end = line_end != std::wstring::npos && line_end >= hits_shown ? line_end + 1 : hits_shown + kShowPart;
        }
        if (hits_shown == 0 && end == hits.size()) {
            SetWindowTextW(result, hits.c_str());
        } else {
            const std::wstring part = hits.substr(hits_shown, end - hits_shown);
            SendMessageW(result, EM_SETSEL, static_cast<WPARAM>(-1), -1);
            SendMessageW(result, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(part.c_str()));
        }
        hits_shown = end;
        if (hits_shown < hits.size()) {
            PostMessageW(handle(), kShowMessage, 0, 0);
        } else {
            EndShowing();
        }
    }

    void Finish(const QueryResult& found) {
        if (worker.joinable()) worker.join();
        // The status line takes the engine's summary, the last line of the result.
        const size_t last = found.text.rfind("\r\n");
        win::SetText(status, last == std::string::npos ? found.text : found.text.substr(last + 2));
        state = State::kShowing;
        hits = text::GbkToWide(found.text);
        hits_shown = 0;
        SetWindowTextW(result, L"");
        if (hits.size() > kShowPart) SendMessageW(result, WM_SETREDRAW, FALSE, 0);
        ShowNextPart();
    }

    void StartSearch() {
        if (state != State::kIdle) return;
        int first = 0;
        int count = 0;
        HWND wrong = !Number(start_year, first) ? start_year : !Number(year_count, count) ? year_count : nullptr;
        if (wrong) {
            MessageBeep(MB_OK);
            SetFocus(wrong);
            SendMessageW(wrong, EM_SETSEL, 0, -1);
            return;
        }
        if (count > kMaxQueryYears) {
            count = kMaxQueryYears;
            win::SetText(year_count, std::to_string(count));
        }
        const int y0 = win::Checked(bc) ? 1 - first : first;

        DayCriteria days;
        MonthCondition condition = MonthCondition::kLeapMonth;
        int base = 0;
        if (mode == 1) {
            const auto pick = [this](int id) { return std::max(0, win::Selection(lists[id - kSolarMonthListId])); };
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
            if (festival >= 1 && festival <= static_cast<int>(festivals.size())) days.festival = festivals[festival - 1];
        } else {
            const MonthCondition kinds[4] = {MonthCondition::kLeapMonth, MonthCondition::kThreeBig,
                                             MonthCondition::kThreeSmall, MonthCondition::kFourBig};
            for (int i = 0; i < 4; ++i)
                if (win::Checked(options[i])) condition = kinds[i];
            if (condition == MonthCondition::kLeapMonth) base = std::max(0, win::Selection(base_month));
        }
        const int ganzhi_mode = context.ganzhi_from_chunjie;

        SetWindowTextW(result, L"");
        SetWindowTextW(status, L"");
        state = State::kSearching;
        stop = false;
        progress_posted = false;
        EnableEntries(false);
        SetFocus(cancel);

        HWND window = handle();
        std::atomic<bool>* stop_flag = &stop;
        std::atomic<bool>* posted = &progress_posted;
        const int query_mode = mode;
        worker = std::thread([=] {
            const QueryProgress progress = [=](const std::string& text, double) {
                if (posted->exchange(true)) return;  // the window has not shown the last one yet
                auto* copy = new std::string(text);
                if (!PostMessageW(window, kProgressMessage, 0, reinterpret_cast<LPARAM>(copy))) {
                    delete copy;
                    posted->store(false);
                }
            };
            auto* found = new QueryResult(query_mode == 1 ? QueryDays(y0, count, days, ganzhi_mode, progress, stop_flag)
                                                          : QueryMonths(y0, count, condition, base, progress, stop_flag));
            if (!PostMessageW(window, kDoneMessage, 0, reinterpret_cast<LPARAM>(found))) delete found;
        });
    }

    // Raises the stop flag and waits for the search, which ends at the next day (or year) it looks
    // at and reports what it found.
    void StopSearch() {
        if (!worker.joinable()) return;
        stop = true;
        worker.join();
    }

    // 取消 (or Escape) stops a running search and keeps what it found; otherwise it closes the window.
    void OnCancel() override {
        if (state != State::kSearching) {
            Close(IDCANCEL);
            return;
        }
        StopSearch();
        // The worker has posted its result before it ended: show it now.
        MSG msg;
        if (PeekMessageW(&msg, handle(), kDoneMessage, kDoneMessage, PM_REMOVE)) {
            const std::unique_ptr<QueryResult> found(reinterpret_cast<QueryResult*>(msg.lParam));
            Finish(*found);
        } else {
            Finish(QueryResult{});
        }
    }

    bool OnCommand(int id, int code, HWND) override {
        switch (id) {
            case IDOK: StartSearch(); return true;
            case kLeapMonthOptionId:
            case kThreeBigOptionId:
            case kThreeSmallOptionId:
            case kFourBigOptionId:
                if (code == BN_CLICKED) EnableWindow(base_month, win::Checked(options[0]));
                return true;
            default:
                return false;
        }
    }

    // A search still running is stopped first: it must not outlive the window it reports to.
    void OnDestroy() override {
        StopSearch();
        DropSearchMessages(handle());
        state = State::kIdle;
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        switch (message) {
            case kProgressMessage: {
                const std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lparam));
                if (state == State::kSearching) {
                    win::SetText(status, *text);
                    progress_posted = false;
                }
                return 0;
            }
            case kDoneMessage: {
                const std::unique_ptr<QueryResult> found(reinterpret_cast<QueryResult*>(lparam));
                if (state == State::kSearching) Finish(*found);
                return 0;
            }
            case kShowMessage:
                ShowNextPart();
                return 0;
            default:
                return Window::OnMessage(message, wparam, lparam);
        }
    }
};

}  // namespace

HWND CreateQueryWindow(HWND owner, int mode, const ToolContext& context) {
    return CreateToolWindow<QueryWindow>(owner, mode, context, L"TempolineQuery", kModeNames);
}

bool QueryRunning(HWND window) {
    const QueryWindow* w = win::StateOf<QueryWindow>(window);
    return w != nullptr && w->state != QueryWindow::State::kIdle;
}

}  // namespace tools
