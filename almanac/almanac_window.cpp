#include "almanac/almanac_window.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "almanac/almanac.h"
#include "almanac/almanac_text.h"
#include "almanac/choosing.h"
#include "almanac/pillars.h"
#include "calendar/names.h"
#include "calendar/range.h"
#include "places/city_table.h"
#include "places/place_lists.h"
#include "text/wide.h"
#include "win/controls.h"
#include "win/dpi.h"
#include "win/screen_geometry.h"
#include "win/window.h"

namespace almanac {

namespace {

// The design, in 96-DPI pixels.
constexpr int kClientWidth = 700;  // the almanac's page, then the birth pillars' column from x = 466
constexpr int kClientHeight = 640;
constexpr int kMarkLeft = 12, kMarkSize = 30, kListLeft = 48, kListWidth = 410, kListHeight = 40;
constexpr int kYiTop = 58, kJiTop = 104;
constexpr int kHoursLeft = 12, kHoursTop = 338, kHourPitch = 37, kHourWidth = 36, kHourRow = 17;
constexpr COLORREF kPaper = RGB(255, 250, 232);  // the window, as an almanac's page
constexpr COLORREF kGood = RGB(0, 128, 64);
constexpr COLORREF kBad = RGB(192, 0, 0);
constexpr COLORREF kQuiet = RGB(96, 96, 96);

// The words of a 宜 or 忌 text (GBK, separated by blanks).
std::vector<std::wstring> WordsOf(const std::string& text) {
    std::vector<std::wstring> words;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) words.push_back(text::GbkToWide(text.substr(start, end - start)));
        start = end + 1;
    }
    return words;
}

// What the 择日 list of activities offers: the common words first, then the almanac's terms.
std::vector<std::string> ActivityChoices() {
    std::vector<std::string> words;
    for (const CommonWord& w : CommonWords()) words.push_back(w.word);
    for (int a = 0; a < ActivityCount(); ++a) words.push_back(ActivityName(a));
    return words;
}

struct AlmanacWindow : win::Window {
    AlmanacContext context;
    astro::DayNumber day = 0;
    HWND date = nullptr, pillars = nullptr, yi = nullptr, ji = nullptr, details = nullptr;
    HWND yi_mark = nullptr, ji_mark = nullptr;
    HWND hours[4][12] = {};
    HWND activity = nullptr, days = nullptr, animal = nullptr, results = nullptr, find_status = nullptr;
    std::vector<std::string> words = ActivityChoices();
    std::vector<astro::DayNumber> result_days;
    std::vector<bool> hour_lucky = std::vector<bool>(12, false);
    std::string yi_text, ji_text;  // the words the boxes show
    win::Colours colours;
    HWND birth_time = nullptr, birth_daylight = nullptr, birth_result = nullptr;
    places::PlaceLists birth_place;

    astro::DayNumber FirstDay() const {
        return context.first_day ? context.first_day : astro::DateToDayNumber(calendar::kFirstCalendarYear, 1, 1);
    }
    astro::DayNumber LastDay() const {
        return context.last_day ? context.last_day : astro::DateToDayNumber(calendar::kLastCalendarYear, 12, 31);
    }

    // The words broken into lines (CR LF) at the blanks to the width of the box's text in its font,
    // never inside a word; and how many lines they take.
    std::pair<std::wstring, int> LaidOut(HWND box, const std::vector<std::wstring>& words) const {
        RECT format{};
        SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        const int width = format.right - format.left;
        HDC dc = GetDC(box);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
        std::wstring text, line;
        int lines = words.empty() ? 0 : 1;
        for (const std::wstring& word : words) {
            const std::wstring longer = line.empty() ? word : line + L" " + word;
            SIZE extent{};
            GetTextExtentPoint32W(dc, longer.c_str(), static_cast<int>(longer.size()), &extent);
            if (!line.empty() && extent.cx > width) {
                text += line + L"\r\n";
                line = word;
                ++lines;
            } else {
                line = longer;
            }
        }
        text += line;
        SelectObject(dc, old);
        ReleaseDC(box, dc);
        return {text, lines};
    }

    // The lines of its font that the box shows whole.
    int VisibleLines(HWND box) const {
        RECT format{};
        SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        HDC dc = GetDC(box);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(box, dc);
        return metrics.tmHeight > 0 ? (format.bottom - format.top) / metrics.tmHeight : 0;
    }

    // A 宜 or 忌 box shows every word whole: the lines that do not fit scroll, and its scroll bar shows.
    void ShowWords(HWND box, const std::string& text) {
        const std::vector<std::wstring> words = WordsOf(text);
        ShowScrollBar(box, SB_VERT, FALSE);
        auto [laid, lines] = LaidOut(box, words);
        if (lines > VisibleLines(box)) {
            ShowScrollBar(box, SB_VERT, TRUE);  // narrower now: laid out again
            laid = LaidOut(box, words).first;
        }
        SetWindowTextW(box, laid.c_str());
    }

    void OnDpiChanged() override {
        ShowWords(yi, yi_text);
        ShowWords(ji, ji_text);
    }

    // Opens where the user last put it, else beside its owner.
    void Place() {
        RECT r;
        GetWindowRect(handle(), &r);
        const std::vector<win::Monitor> monitors = win::Monitors();
        win::Box box;
        if (context.placed) {
            const win::Box stored{context.corner.x, context.corner.y, context.corner.x + r.right - r.left,
                                  context.corner.y + r.bottom - r.top};
            box = win::KeptOnMonitors(monitors, stored);
        } else if (owner() && IsWindowVisible(owner())) {
            RECT at;
            GetWindowRect(owner(), &at);
            const win::Box page = win::ToBox(at);
            const win::Monitor& monitor = monitors[win::MonitorHolding(monitors, page)];
            box = win::PlaceBeside(page, {r.right - r.left, r.bottom - r.top}, monitor.work, std::nullopt, scale().Px(8));
        } else {
            return;  // centred
        }
        SetWindowPos(handle(), nullptr, box.left, box.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    bool OnCreate() override {
        const win::WindowFont* heading = MakeFont("宋体", 16, FW_BOLD);
        const win::WindowFont* mark = MakeFont("宋体", 22, FW_BOLD);
        const win::WindowFont* words_font = MakeFont("宋体", 14, FW_NORMAL);
        date = AddControl(L"STATIC", "", SS_LEFT | SS_CENTERIMAGE, 12, 8, 262, 24, kDateId, heading);
        AddControl(L"BUTTON", "前一天", WS_TABSTOP, 282, 8, 56, 24, kPreviousDayId);
        AddControl(L"BUTTON", "今天", WS_TABSTOP, 342, 8, 56, 24, kTodayId);
        AddControl(L"BUTTON", "后一天", WS_TABSTOP, 402, 8, 56, 24, kNextDayId);
        pillars = AddControl(L"STATIC", "", SS_LEFT | SS_CENTERIMAGE, 12, 36, 446, 18, kPillarsId);
        yi_mark = AddControl(L"STATIC", "宜", SS_CENTER | SS_CENTERIMAGE, kMarkLeft, kYiTop + 5, kMarkSize, kMarkSize, -1, mark);
        ji_mark = AddControl(L"STATIC", "忌", SS_CENTER | SS_CENTERIMAGE, kMarkLeft, kJiTop + 5, kMarkSize, kMarkSize, -1, mark);
        // The texts take the focus, so that the keyboard scrolls them too.
        yi = AddControl(L"EDIT", "", WS_TABSTOP | WS_VSCROLL | ES_READONLY | ES_MULTILINE, kListLeft, kYiTop, kListWidth,
                        kListHeight, kYiId, words_font);
        ji = AddControl(L"EDIT", "", WS_TABSTOP | WS_VSCROLL | ES_READONLY | ES_MULTILINE, kListLeft, kJiTop, kListWidth,
                        kListHeight, kJiId, words_font);
        details = AddControl(L"EDIT", "", WS_TABSTOP | ES_READONLY | ES_MULTILINE, 12, 152, 446, 178, kDetailsId);
        for (HWND text : {yi, ji, details}) win::MakeReadOnlyText(text);
        // Made hour by hour, so that a screen reader, reading in this order, says each 时辰 with its
        // pillar, its spirit and its 吉 or 凶 before the next one.
        for (int h = 0; h < 12; ++h)
            for (int row = 0; row < 4; ++row)
                hours[row][h] = AddControl(L"STATIC", "", SS_CENTER | SS_CENTERIMAGE, kHoursLeft + h * kHourPitch,
                                           kHoursTop + row * kHourRow, kHourWidth, kHourRow - 1,
                                           kFirstHourCellId + row * 12 + h);
        AddControl(L"BUTTON", "择日", BS_GROUPBOX, 8, 414, 452, 220);
        AddControl(L"STATIC", "事项", SS_LEFT | SS_CENTERIMAGE, 18, 434, 30, 22);
        activity = AddControl(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 50, 434, 104, 300, kActivityId);
        AddControl(L"STATIC", "天数", SS_LEFT | SS_CENTERIMAGE, 162, 434, 30, 22);
        days = AddControl(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 194, 434, 56, 200, kDaysId);
        AddControl(L"STATIC", "避开生肖", SS_LEFT | SS_CENTERIMAGE, 258, 434, 54, 22);
        animal = AddControl(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 314, 434, 56, 300, kAnimalId);
        AddControl(L"BUTTON", "查找", WS_TABSTOP, 382, 433, 66, 24, kFindId);
        find_status = AddControl(L"STATIC", "", SS_LEFT | SS_CENTERIMAGE, 18, 462, 430, 18, kFindStatusId);
        results = AddControl(L"LISTBOX", "", WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 18,
                             484, 430, 142, kResultsId);
        win::FillList(activity, words);
        win::Select(activity, 0);
        std::vector<std::string> spans;
        for (const int n : kChoosingSpans) spans.push_back(std::to_string(n));
        win::FillList(days, spans);
        win::Select(days, 0);
        std::vector<std::string> animals = {"不避"};
        for (int a = 1; a <= 12; ++a) animals.push_back(calendar::AnimalNames[a]);
        win::FillList(animal, animals);
        win::Select(animal, 0);
        AddBirthColumn();
        ShowDay(context.day);
        PlaceCentred(kClientWidth, kClientHeight);
        Place();
        return true;
    }

    void OnShown() override { SetFocus(Item(kNextDayId)); }

    void OnDestroy() override {
        if (context.closed) context.closed();
    }

    void ShowDay(astro::DayNumber n) {
        const astro::CalendarDate d = astro::DayNumberToDate(n);
        // The pages' days only.
        if (!calendar::IsCalendarDate(d.year, d.month, d.day) || n < FirstDay() || n > LastDay()) return;
        day = n;
        EnableDayButton(kPreviousDayId, day > FirstDay());
        EnableDayButton(kNextDayId, day < LastDay());
        const DayAlmanac a = DayAlmanacOf(d.year, d.month, d.day);
        const DaySpirits s = SpiritsOfDay(n);
        const YiJi yj = YiJiOf(s);
        win::SetText(date, DateHeading(n));
        win::SetText(pillars, PillarsLine(n));
        yi_text = YiText(yj);
        ji_text = JiText(yj);
        ShowWords(yi, yi_text);
        ShowWords(ji, ji_text);
        win::SetText(details, DetailsText(a, s));
        for (int h = 0; h < 12; ++h) {
            const HourAlmanac& hour = a.hours[h];
            win::SetText(hours[0][h], calendar::BranchNames[h + 1]);
            win::SetText(hours[1][h], calendar::GanZhiName(hour.ganzhi));
            win::SetText(hours[2][h], SpiritName(hour.spirit));
            win::SetText(hours[3][h], hour.yellow ? "吉" : "凶");
            hour_lucky[h] = hour.yellow;
        }
        InvalidateRect(handle(), nullptr, TRUE);
    }

    // 生辰四柱: the day shown, a clock time and a place.
    void AddBirthColumn() {
        AddControl(L"BUTTON", "生辰四柱（真太阳时）", BS_GROUPBOX, 466, 4, 226, 630);
        AddControl(L"STATIC", "出生时间", SS_LEFT | SS_CENTERIMAGE, 476, 26, 54, 22);
        birth_time = AddControl(L"EDIT", "12:00", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 532, 26, 70, 22, kBirthTimeId);
        SendMessageW(birth_time, EM_SETLIMITTEXT, 8, 0);
        AddControl(L"STATIC", "出生地点", SS_LEFT | SS_CENTERIMAGE, 476, 54, 54, 22);
        const DWORD list = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        birth_place.provinces = AddControl(L"COMBOBOX", "", list, 532, 54, 150, 300, kBirthProvinceId);
        birth_place.cities = AddControl(L"COMBOBOX", "", list, 532, 82, 150, 300, kBirthCityId);
        birth_place.Show(context.place_province, context.place_city);
        AddControl(L"STATIC", "夏令时", SS_LEFT | SS_CENTERIMAGE, 476, 110, 54, 22);
        birth_daylight = AddControl(L"COMBOBOX", "", list, 532, 110, 150, 200, kBirthDaylightId);
        win::FillList(birth_daylight, {"按当年规定扣除", "钟表为夏令时", "钟表为标准时"});
        win::Select(birth_daylight, 0);
        AddControl(L"BUTTON", "排四柱", WS_TABSTOP, 476, 140, 206, 24, kBirthPillarsId);
        birth_result = AddControl(L"EDIT", "", ES_READONLY | ES_MULTILINE | WS_VSCROLL, 476, 170, 206, 456, kBirthResultId);
        win::MakeReadOnlyText(birth_result);
    }

    // The pillars of a birth at the time typed on the day shown, at the place chosen (zone 8).
    void ShowBirthPillars() {
        const std::string typed = win::Text(birth_time);
        BirthMoment b;
        const astro::CalendarDate d = astro::DayNumberToDate(day);
        b.year = d.year, b.month = d.month, b.day = d.day;
        // HH:MM or HH:MM:SS, digits where the digits go.
        const bool form = (typed.size() == 5 || (typed.size() == 8 && typed[5] == ':')) && typed[2] == ':';
        bool digits = form;
        for (size_t i = 0; form && i < typed.size(); ++i)
            if (i % 3 != 2) digits = digits && typed[i] >= '0' && typed[i] <= '9';
        const auto two = [&typed](size_t at) { return (typed[at] - '0') * 10 + (typed[at + 1] - '0'); };
        if (digits) {
            b.hour = two(0);
            b.minute = two(3);
            b.second = typed.size() == 8 ? two(6) : 0;
        }
        if (!digits || b.hour > 23 || b.minute > 59 || b.second > 59) {
            win::SetText(birth_result, "出生时间请按“时:分”输入（24小时制，00:00～23:59），例如 08:05 或 23:40:30");
            return;
        }
        b.longitude = places::CityLongitude(birth_place.province, birth_place.city);
        const int daylight = win::Selection(birth_daylight);
        b.daylight = daylight == 1 ? DaylightRule::kDaylight : daylight == 2 ? DaylightRule::kStandard : DaylightRule::kByTable;
        const BirthPillars p = PillarsOfBirth(b);
        std::string text = DateHeading(day).substr(0, DateHeading(day).find(' ')) + " " + typed + " " +
                           places::CityText(birth_place.province, birth_place.city);
        for (const std::string& line : PillarsLines(p)) text += "\r\n" + line;
        win::SetText(birth_result, text);
    }

    // A day button greyed at the end of the days; the focus it had goes to 今天.
    void EnableDayButton(int id, bool enabled) {
        HWND button = Item(id);
        if (!enabled && GetFocus() == button) SetFocus(Item(kTodayId));
        EnableWindow(button, enabled);
    }

    void ShowChosenDay() {
        const int chosen = static_cast<int>(SendMessageW(results, LB_GETCURSEL, 0, 0));
        if (chosen >= 0 && chosen < static_cast<int>(result_days.size())) ShowDay(result_days[chosen]);
    }

    void Find() {
        const int word = win::Selection(activity);
        const int span = win::Selection(days);
        if (word < 0 || word >= static_cast<int>(words.size()) || span < 0) return;
        const int count = kChoosingSpans[span];
        const int avoid = win::Selection(animal) - 1;  // 0 = 不避
        const std::vector<int> activities = ActivitiesOfWord(words[word]);
        // Within the last day shown.
        const astro::DayNumber last = LastDay();
        const int within = static_cast<int>(std::min<long long>(count, static_cast<long long>(last) - day + 1));
        const std::vector<ChosenDay> chosen = ChooseDays(activities, day, within, avoid);
        std::vector<std::string> lines;
        result_days.clear();
        for (const ChosenDay& c : chosen) {
            lines.push_back(ChosenDayLine(c));
            result_days.push_back(c.n);
        }
        SendMessageW(results, LB_RESETCONTENT, 0, 0);
        for (const std::string& line : lines) {
            const std::wstring wide = text::GbkToWide(line);
            SendMessageW(results, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        }
        std::string terms;
        for (const int a : activities) terms += (terms.empty() ? "" : "、") + std::string(ActivityName(a));
        std::string status = "自" + DateHeading(day).substr(0, DateHeading(day).find(' ')) + "起" + std::to_string(within) +
                             "天，" + (words[word] == terms ? terms : words[word] + "（" + terms + "）");
        if (avoid >= 0) status += "，避开冲" + std::string(calendar::AnimalNames[avoid + 1]) + "之日";
        status += chosen.empty() ? "：没有合适的日子" : "：共" + std::to_string(chosen.size()) + "天";
        win::SetText(find_status, status);
    }

    bool OnCommand(int id, int code, HWND control) override {
        if (code == BN_CLICKED) {
            switch (id) {
                case kPreviousDayId: ShowDay(day - 1); return true;
                case kNextDayId: ShowDay(day + 1); return true;
                case kTodayId:
                    if (context.today) ShowDay(context.today());
                    return true;
                case kFindId: Find(); return true;
                case kBirthPillarsId: ShowBirthPillars(); return true;
                default: break;
            }
        }
        if (birth_place.Choose(control, code)) return true;
        if (control == results && code == LBN_DBLCLK) {
            ShowChosenDay();
            return true;
        }
        // Enter where no push button has the focus: on a chosen day it shows that day, in the
        // choices it finds.
        if (id == IDOK) {
            HWND focus = GetFocus();
            if (focus == results) ShowChosenDay();
            if (focus == activity || focus == days || focus == animal) Find();
            return true;
        }
        return false;
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == WM_EXITSIZEMOVE && context.moved) {
            RECT r;
            GetWindowRect(handle(), &r);
            context.moved(POINT{r.left, r.top});
        }
        return Window::OnMessage(message, wparam, lparam);
    }

    HBRUSH OnControlColour(HDC dc, HWND control) override {
        if (control == yi_mark) return colours.Use(dc, RGB(255, 255, 255), kGood);
        if (control == ji_mark) return colours.Use(dc, RGB(255, 255, 255), kBad);
        if (control == yi) return colours.Use(dc, kGood, kPaper);
        if (control == ji) return colours.Use(dc, kBad, kPaper);
        if (control == results || control == activity || control == days || control == animal || control == birth_time ||
            control == birth_place.provinces || control == birth_place.cities || control == birth_daylight)
            return nullptr;
        const int id = GetDlgCtrlID(control);
        if (id >= kFirstHourCellId + 36 && id < kFirstHourCellId + 48)
            return colours.Use(dc, hour_lucky[id - kFirstHourCellId - 36] ? kBad : kQuiet, kPaper);
        if (id >= kFirstHourCellId && id < kFirstHourCellId + 12) return colours.Use(dc, RGB(0, 0, 0), RGB(240, 228, 196));
        return colours.Use(dc, RGB(0, 0, 0), kPaper);
    }
};

}  // namespace

HWND OpenAlmanacWindow(HWND owner, const AlmanacContext& context) {
    auto window = std::make_unique<AlmanacWindow>();
    window->context = context;
    return win::Create(std::move(window),
                       win::Frame{.class_name = L"TempolineAlmanac",
                                  .title = "黄历",
                                  .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  .ex_style = WS_EX_CONTROLPARENT,
                                  .background = kPaper},
                       owner);
}

bool ShowAlmanacDay(HWND window, astro::DayNumber day) {
    AlmanacWindow* almanac = win::StateOf<AlmanacWindow>(window);
    if (!almanac) return false;
    almanac->ShowDay(day);
    return true;
}

astro::DayNumber AlmanacDayOf(HWND window) {
    const AlmanacWindow* almanac = win::StateOf<AlmanacWindow>(window);
    return almanac ? almanac->day : 0;
}

bool ReownAlmanac(HWND window, HWND owner) {
    if (!win::StateOf<AlmanacWindow>(window)) return false;
    SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (owner) SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

}  // namespace almanac
