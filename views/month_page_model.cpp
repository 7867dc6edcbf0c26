#include "views/month_page_model.h"

#include <algorithm>
#include <cmath>

#include "almanac/almanac_text.h"
#include "astro/sun_times.h"
#include "calendar/cycles.h"
#include "calendar/day_info.h"
#include "calendar/era_names.h"
#include "calendar/festivals.h"
#include "calendar/hijri.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "views/day_page_model.h"
#include "views/holiday_marks.h"

namespace views {

namespace {

using astro::DayNumber;

// The phases of the Moon as the page names them: 望 the full moon, and for the new moon the
// character the program writes throughout (the tables' 塑日, the menu's 计算塑望日), kept alike here.
constexpr const char* kNewMoonName = "塑";
constexpr const char* kFullMoonName = "望";

inline DayNumber DayOf(double when) { return static_cast<DayNumber>(std::floor(when)); }

bool IsShownMonth(int year, int month) {
    return year >= kLowestShownYear && year <= kHighestShownYear && month >= 1 && month <= 12;
}

std::string TrimLeft(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// 正月 .. 腊月, 闰正月 .. 闰腊月 for month 1..24.
std::string PlainMonthName(int month) {
    if (month >= 1 && month <= 12) return calendar::LunarMonthNames[month];
    if (month >= 13 && month <= 24) return std::string("闰") + calendar::LunarMonthNames[month - 12];
    return {};
}

std::string MonthSize(int lunar_year, int month) {
    const int length = calendar::LunarMonthLength(lunar_year, month);
    return length == 30 ? "大" : length == 29 ? "小" : "";
}

std::string YearWithBefore(int year) { return year >= 1 ? std::to_string(year) : "前" + std::to_string(1 - year); }

// The clock time HH:MM:SS of an instant.
std::string ClockOf(double when) {
    const std::string text = astro::JulianDayToDateTimeText(when);
    return text.size() >= 21 ? text.substr(13, 8) : std::string();
}

// Appends a text after a blank unless one of the two is empty.
void Append(std::string& line, const std::string& piece) {
    if (piece.empty()) return;
    if (!line.empty()) line += ' ';
    line += piece;
}

astro::CalendarDate DateOf(DayNumber day) { return astro::DayNumberToDate(day); }

}  // namespace

// --- the grid -------------------------------------------------------------------------------------

int DaysInMonth(int year, int month) {
    int count = 0;
    for (int d = 1; d <= 31; ++d) count += astro::IsValidDate(year, month, d) ? 1 : 0;
    return count;
}

int FirstCell(int year, int month) {
    const DayNumber first = astro::DateToDayNumber(year, month, 1);
    if (first == astro::InvalidDayNumber) return 0;
    return 1 + astro::Weekday(first);
}

int LastCell(int year, int month) {
    const int first = FirstCell(year, month);
    return first == 0 ? 0 : first + DaysInMonth(year, month) - 1;
}

DayNumber CellDay(int year, int month, int cell) {
    const int first = FirstCell(year, month);
    if (first == 0 || cell < first || cell > LastCell(year, month)) return astro::InvalidDayNumber;
    return astro::DateToDayNumber(year, month, 1) + (cell - first);
}

int CellOfDay(int year, int month, DayNumber day) {
    const int first = FirstCell(year, month);
    if (first == 0) return 0;
    const int cell = first + static_cast<int>(day - astro::DateToDayNumber(year, month, 1));
    return cell >= first && cell <= LastCell(year, month) ? cell : 0;
}

std::string CellLunarLine(int year, int month, int day) {
    if (!astro::IsValidDate(year, month, day)) return {};
    const calendar::LunarDate lunar = calendar::SolarToLunarDate(year, month, day);
    if (lunar.month == 0) return {};
    std::string line = calendar::LunarFestivalName(lunar.year, lunar.month, lunar.day);
    if (!line.empty()) return line;
    line = calendar::SolarFestivalName(year, month, day, false);
    if (!line.empty()) return line;
    // A term of this very day reads "今日立春 16:26:53": its name is the two characters after 今日.
    const std::string term = calendar::NextSolarTermText(year, month, day);
    if (term.compare(0, 4, "今日") == 0 && term.size() >= 8) return term.substr(4, 4);
    if (lunar.day == 1) return PlainMonthName(lunar.month) + MonthSize(lunar.year, lunar.month);
    return calendar::LunarDayName(lunar.day);
}

std::array<MonthCell, kMonthCellCount> MonthCells(int year, int month) {
    std::array<MonthCell, kMonthCellCount> cells{};
    if (!IsShownMonth(year, month)) return cells;
    const int first = FirstCell(year, month);
    const int last = LastCell(year, month);
    for (int cell = first; cell <= last; ++cell) {
        MonthCell& c = cells[cell - 1];
        c.day = CellDay(year, month, cell);
        const astro::CalendarDate date = DateOf(c.day);
        c.number = std::to_string(date.day);
        c.lunar_line = CellLunarLine(date.year, date.month, date.day);
    }
    return cells;
}

const char* WeekdayHeader(int column) {
    static const char* const kHeaders[kWeekdayCount] = {"星期日", "星期一", "星期二", "星期三",
                                                        "星期四", "星期五", "星期六"};
    return column >= 0 && column < kWeekdayCount ? kHeaders[column] : "";
}

bool IsWeekendColumn(int column) { return column == 0 || column == 6; }

// --- the month's instants -------------------------------------------------------------------------

std::vector<MonthInstant> MonthInstants(int year, int month) {
    std::vector<MonthInstant> out;
    if (!IsShownMonth(year, month)) return out;
    const DayNumber first = astro::DateToDayNumber(year, month, 1);
    const DayNumber last = first + DaysInMonth(year, month) - 1;
    // The terms as the calendar of the time counted them (the day of a term decides the cells too).
    for (DayNumber d = first;;) {
        const calendar::SolarTermInstant term = calendar::NextSolarTerm(d, false);
        if (term.index == 0 || DayOf(term.when) > last) break;
        out.push_back({MonthInstant::kSolarTerm, term.index, term.when});
        d = DayOf(term.when) + 1;
    }
    std::vector<MonthInstant> phases;
    for (DayNumber d = first;;) {
        const double when = calendar::detail::AstronomicalNewMoon(d);
        if (DayOf(when) > last) break;
        phases.push_back({MonthInstant::kNewMoon, 0, when});
        d = DayOf(when) + 1;
    }
    for (DayNumber d = first;;) {
        const double when = calendar::detail::AstronomicalFullMoon(d);
        if (DayOf(when) > last) break;
        phases.push_back({MonthInstant::kFullMoon, 0, when});
        d = DayOf(when) + 1;
    }
    std::sort(phases.begin(), phases.end(), [](const MonthInstant& a, const MonthInstant& b) { return a.when < b.when; });
    out.insert(out.end(), phases.begin(), phases.end());
    return out;
}

std::string MoonLine(int year, int month) {
    std::string line;
    for (const MonthInstant& i : MonthInstants(year, month)) {
        const std::string name = i.kind == MonthInstant::kSolarTerm ? calendar::SolarTermNames[i.term]
                                 : i.kind == MonthInstant::kNewMoon ? kNewMoonName
                                                                    : kFullMoonName;
        Append(line, std::to_string(DateOf(DayOf(i.when)).day) + "日" + ClockOf(i.when) + name);
    }
    return line;
}

// --- the details of the selected day --------------------------------------------------------------

std::string PanelLunarLine(DayNumber day, int ganzhi_mode) {
    const astro::CalendarDate d = DateOf(day);
    const calendar::LunarDate lunar = calendar::SolarToLunarDate(d.year, d.month, d.day);
    if (d.month == 0 || lunar.month == 0) return {};
    std::string line = "农历 " + TrimLeft(calendar::EraName(lunar.year)) + "年 " + PlainMonthName(lunar.month) +
                       MonthSize(lunar.year, lunar.month) + calendar::LunarDayName(lunar.day);
    Append(line, calendar::GanZhiText(d.year, d.month, d.day, ganzhi_mode));
    return line;
}

std::string PanelHijriLine(DayNumber day) {
    const calendar::HijriDate h = calendar::DayNumberToHijri(day);
    const astro::CalendarDate d = DateOf(day);
    if (h.month == 0 || d.month == 0) return {};
    std::string line = "回历 " + YearWithBefore(h.year) + "年" + std::to_string(h.month) + "月" + std::to_string(h.day) + "日";
    Append(line, calendar::ZodiacSignName(d.year, d.month, d.day));
    return line;
}

std::string PanelPeriodsLine(DayNumber day) {
    const astro::CalendarDate d = DateOf(day);
    if (d.month == 0) return {};
    std::string line;
    Append(line, calendar::NineNinesText(d.year, d.month, d.day));
    Append(line, calendar::DogDaysText(d.year, d.month, d.day));
    Append(line, calendar::PlumRainText(d.year, d.month, d.day));
    return line;
}

std::string PanelSunTimesLine(DayNumber day, double longitude, double latitude) {
    static const struct {
        const char* label;
        astro::SunEventMode mode;
    } kEvents[] = {{"天亮", astro::kDawn}, {"日出", astro::kSunrise}, {"日落", astro::kSunset}, {"天黑", astro::kDusk}};
    std::string line;
    for (const auto& e : kEvents) {
        const std::string time = astro::SunEventTime(day, longitude, latitude, astro::CalcTimeZone, e.mode);
        if (time.empty()) return {};
        Append(line, e.label + time);
    }
    return line;
}

std::string PanelFestivalsLine(DayNumber day) {
    const astro::CalendarDate d = DateOf(day);
    const calendar::LunarDate lunar = calendar::SolarToLunarDate(d.year, d.month, d.day);
    if (d.month == 0 || lunar.month == 0) return {};
    std::string line = calendar::LunarFestivalName(lunar.year, lunar.month, lunar.day);
    Append(line, calendar::SolarFestivalName(d.year, d.month, d.day, true));
    return line;
}

// The festivals and the day's place in the public holiday arrangement share a line: most days off
// are festivals' days.
std::string FestivalsAndHoliday(DayNumber day, bool show_holidays) {
    std::string line = PanelFestivalsLine(day);
    Append(line, HolidayOfDay(day, show_holidays).text);
    return line;
}

std::string DayPanelText(DayNumber day, const DayPanelOptions& options, const std::vector<std::string>& personal_days) {
    std::string personal;
    for (const std::string& text : personal_days) Append(personal, text);
    // The seasonal periods are short ("六九第6天", "初伏第1天 入梅"): they share the Hijri line.
    std::string hijri_and_periods = PanelHijriLine(day);
    Append(hijri_and_periods, PanelPeriodsLine(day));
    const std::string lines[] = {PanelLunarLine(day, options.ganzhi_mode),
                                 hijri_and_periods,
                                 PanelSunTimesLine(day, options.longitude, options.latitude),
                                 FestivalsAndHoliday(day, options.show_holidays),
                                 options.show_almanac ? almanac::PanelYiLine(day) : std::string(),
                                 options.show_almanac ? almanac::PanelJiLine(day) : std::string(),
                                 personal};
    std::string text;
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

// --- navigation -----------------------------------------------------------------------------------

MonthPageState MonthPageAt(DayNumber day) {
    MonthPageState s;
    s.day = std::clamp(day, FirstShownDay(), LastShownDay());
    s.date = DateOf(s.day);
    return s;
}

std::vector<std::string> MonthListItems(MonthList list) {
    std::vector<std::string> items;
    if (list == MonthList::kYear) {
        items.reserve(kHighestShownYear - kLowestShownYear + 1);
        for (int y = kLowestShownYear; y <= kHighestShownYear; ++y) items.push_back(calendar::YearNumberText(y) + "年");
    } else {
        for (int m = 1; m <= 12; ++m) items.push_back(std::to_string(m) + "月");
    }
    return items;
}

int MonthListSelection(const MonthPageState& state, MonthList list) {
    return list == MonthList::kYear ? state.date.year - kLowestShownYear : state.date.month - 1;
}

std::string MonthListItemText(const MonthPageState& state, MonthList list) {
    return list == MonthList::kYear ? calendar::YearNumberText(state.date.year) + "年"
                                    : std::to_string(state.date.month) + "月";
}

DayNumber DayInMonth(int year, int month, int day) {
    if (!IsShownMonth(year, month)) return astro::InvalidDayNumber;
    for (int d = std::min(std::max(day, 1), 31); d >= 1; --d)
        if (astro::IsValidDate(year, month, d)) return astro::DateToDayNumber(year, month, d);
    return astro::InvalidDayNumber;
}

DayNumber MonthForChoice(const MonthPageState& state, MonthList list, int index) {
    DayNumber n = astro::InvalidDayNumber;
    if (list == MonthList::kYear)
        n = DayInMonth(kLowestShownYear + index, state.date.month, state.date.day);
    else if (index >= 0 && index < 12)
        n = DayInMonth(state.date.year, index + 1, state.date.day);
    return n == astro::InvalidDayNumber ? state.day : n;
}

DayNumber StepMonthList(const MonthPageState& state, MonthList list, int delta) {
    int year = state.date.year;
    int month = state.date.month;
    if (list == MonthList::kYear) {
        year += delta;
    } else {
        month += delta;
        if (month < 1) month = 12, --year;
        if (month > 12) month = 1, ++year;
    }
    const DayNumber n = DayInMonth(year, month, state.date.day);
    return n == astro::InvalidDayNumber ? state.day : n;
}

DayNumber DayOfCell(const MonthPageState& state, int cell) {
    const DayNumber n = CellDay(state.date.year, state.date.month, cell);
    return n == astro::InvalidDayNumber ? state.day : n;
}

}  // namespace views
