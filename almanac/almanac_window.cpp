#include "almanac/almanac_window.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "almanac/almanac.h"
#include "almanac/almanac_text.h"
#include "almanac/choosing.h"
#include "calendar/names.h"
#include "calendar/range.h"
#include "text/wide.h"
#include "win/controls.h"
#include "win/window.h"

namespace almanac {

namespace {

// The design, in 96-DPI pixels.
constexpr int kClientWidth = 468;
constexpr int kClientHeight = 640;
constexpr int kMarkLeft = 12, kMarkSize = 30, kListLeft = 48, kListWidth = 410, kListHeight = 40;
constexpr int kYiTop = 58, kJiTop = 104;
constexpr int kHoursLeft = 12, kHoursTop = 338, kHourPitch = 37, kHourWidth = 36, kHourRow = 17;
constexpr COLORREF kPaper = RGB(255, 250, 232);  // the window, as an almanac's page
constexpr COLORREF kGood = RGB(0, 128, 64);
constexpr COLORREF kBad = RGB(192, 0, 0);
constexpr COLORREF kQuiet = RGB(96, 96, 96);

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
    win::Colours colours;

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
        yi = AddControl(L"EDIT", "", ES_READONLY | ES_MULTILINE, kListLeft, kYiTop, kListWidth, kListHeight, kYiId, words_font);
        ji = AddControl(L"EDIT", "", ES_READONLY | ES_MULTILINE, kListLeft, kJiTop, kListWidth, kListHeight, kJiId, words_font);
        details = AddControl(L"EDIT", "", ES_READONLY | ES_MULTILINE, 12, 152, 446, 178, kDetailsId);
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
        ShowDay(context.day);
        PlaceCentred(kClientWidth, kClientHeight);
        return true;
    }

    void OnShown() override { SetFocus(Item(kNextDayId)); }

    void OnDestroy() override {
        if (context.closed) context.closed();
    }

    void ShowDay(astro::DayNumber n) {
        const astro::CalendarDate d = astro::DayNumberToDate(n);
        if (!calendar::IsCalendarDate(d.year, d.month, d.day)) return;  // the calendar's days only
        day = n;
        const DayAlmanac a = DayAlmanacOf(d.year, d.month, d.day);
        const DaySpirits s = SpiritsOfDay(n);
        const YiJi yj = YiJiOf(s);
        win::SetText(date, DateHeading(n));
        win::SetText(pillars, PillarsLine(n));
        win::SetText(yi, YiText(yj));
        win::SetText(ji, JiText(yj));
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

    void Find() {
        const int word = win::Selection(activity);
        const int span = win::Selection(days);
        if (word < 0 || word >= static_cast<int>(words.size()) || span < 0) return;
        const int count = kChoosingSpans[span];
        const int avoid = win::Selection(animal) - 1;  // 0 = 不避
        const std::vector<int> activities = ActivitiesOfWord(words[word]);
        // Within the calendar's last day.
        const astro::DayNumber last = astro::DateToDayNumber(calendar::kLastCalendarYear, 12, 31);
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
                default: break;
            }
        }
        if (control == results && code == LBN_DBLCLK) {
            const int chosen = static_cast<int>(SendMessageW(results, LB_GETCURSEL, 0, 0));
            if (chosen >= 0 && chosen < static_cast<int>(result_days.size())) ShowDay(result_days[chosen]);
            return true;
        }
        return false;
    }

    HBRUSH OnControlColour(HDC dc, HWND control) override {
        if (control == yi_mark) return colours.Use(dc, RGB(255, 255, 255), kGood);
        if (control == ji_mark) return colours.Use(dc, RGB(255, 255, 255), kBad);
        if (control == yi) return colours.Use(dc, kGood, kPaper);
        if (control == ji) return colours.Use(dc, kBad, kPaper);
        if (control == results || control == activity || control == days || control == animal) return nullptr;
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

}  // namespace almanac
