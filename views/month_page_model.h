// What the month page shows: a Gregorian month as a grid of 37 day cells (Sunday first), each with
// its day number and one short line of lunar or festival text; the line of the month's solar terms
// and new and full moons; the details of the selected day; and how the year and month lists, the
// keys, the wheel and a click on a cell move the page.
// Portable: the window only renders these texts and passes the user's choices back.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "astro/day_numbers.h"

namespace views {

// Five full weeks and two more cells: room for a 31-day month that begins on a Saturday.
constexpr int kMonthCellCount = 37;
constexpr int kWeekdayCount = 7;

// --- the grid -------------------------------------------------------------------------------------

// The days of a Gregorian month: 28..31, and 21 for October 1582 (1..4 and 15..31).
int DaysInMonth(int year, int month);
// The cell (1..7) of the 1st of the month: 1 + its weekday, Sunday = 0.
int FirstCell(int year, int month);
// The cell of the month's last day: FirstCell + DaysInMonth - 1.
int LastCell(int year, int month);
// The day in cell 1..37, or astro::InvalidDayNumber for a cell the month does not use. Consecutive
// cells hold consecutive day numbers, so October 1582 goes from the 4th straight to the 15th.
astro::DayNumber CellDay(int year, int month, int cell);
// The cell of a day of the month, or 0 when the day lies in another month.
int CellOfDay(int year, int month, astro::DayNumber day);

// The lunar line of a day's cell, the first that applies of: the lunar festival; the main solar
// festival (the minor days left out); the name of a solar term that falls on the day; on the first
// day of a lunar month the month's name with 大 (30 days) or 小 (29 days), e.g. 闰四月大; otherwise
// the lunar day name 初二 .. 三十.
std::string CellLunarLine(int year, int month, int day);

struct MonthCell {
    astro::DayNumber day = astro::InvalidDayNumber;  // InvalidDayNumber: the cell is not used
    std::string number;                              // the day of month, "1" .. "31"
    std::string lunar_line;
};

// The 37 cells of a month (element k - 1 is cell k); unused cells have empty texts.
std::array<MonthCell, kMonthCellCount> MonthCells(int year, int month);

// The header of a column: 星期日 .. 星期六.
const char* WeekdayHeader(int column);
// Sunday and Saturday, the columns drawn in red.
bool IsWeekendColumn(int column);

// --- the month's instants -------------------------------------------------------------------------

// One solar term or phase of the Moon whose day (UTC+8) lies in the month.
struct MonthInstant {
    enum Kind { kSolarTerm, kNewMoon, kFullMoon };
    Kind kind = kSolarTerm;
    int term = 0;       // 1 (小寒) .. 24 (冬至) for a solar term
    double when = 0.0;  // chronological day value (UTC+8)
};

// The solar terms of the month in time order, then its new and full moons in time order.
std::vector<MonthInstant> MonthInstants(int year, int month);
// The same as one line: the day of month without a leading zero, "日", the time HH:MM:SS and the
// term's name, 朔 (new moon) or 望 (full moon), the entries separated by one blank:
// "4日16:27:02立春 19日12:13:04雨水 10日06:59:04朔 24日20:30:17望".
std::string MoonLine(int year, int month);

// --- the details of the selected day --------------------------------------------------------------

struct DayPanelOptions {
    int ganzhi_mode = 0;       // 1: the sexagenary year begins at the Spring Festival
    double longitude = 0.0;    // the chosen place, degrees, east negative
    double latitude = 0.0;     // degrees, north positive
    bool show_holidays = true;  // the public holiday's line ("春节假期（休）") after the festivals
    bool show_almanac = false;  // the almanac's 宜 and 忌 lines after the festivals
};

// The pieces of the panel, each one line:
// "农历 二○二四年 正月大初一 甲辰(龙)年丙寅月甲辰日" (an era name instead of the digits where the
// year had one; a leap month reads 闰四月);
std::string PanelLunarLine(astro::DayNumber day, int ganzhi_mode);
// "回历 1445年7月30日 水瓶座" (years before the Hijri era: 回历 前3年...);
std::string PanelHijriLine(astro::DayNumber day);
// the nine-nines, dog-day and plum-rain texts that apply, separated by a blank (may be empty);
std::string PanelPeriodsLine(astro::DayNumber day);
// "天亮06:49:39 日出07:16:27 日落17:51:59 天黑18:18:47" at the place, in UTC+8;
std::string PanelSunTimesLine(astro::DayNumber day, double longitude, double latitude);
// the lunar festival and every solar festival of the day, separated by a blank (may be empty).
std::string PanelFestivalsLine(astro::DayNumber day);

// The panel's text, the pieces in that order, lines separated by CR LF: the lunar line; the Hijri
// line followed by the periods (after a blank, when there are any); the sun times; the festivals
// when there are any; the almanac's 宜 and 忌 lines when asked for; then one line of the personal days (countdown, reminder and memorial texts,
// in the order given, the empty ones left out) when any of them is non-empty.
std::string DayPanelText(astro::DayNumber day, const DayPanelOptions& options,
                         const std::vector<std::string>& personal_days);

// --- navigation -----------------------------------------------------------------------------------

// The page's state: the selected day; the displayed month is always that day's month.
struct MonthPageState {
    astro::DayNumber day = 0;
    astro::CalendarDate date;
};

// The state of a day, clamped into the shown days (the years of the day page).
MonthPageState MonthPageAt(astro::DayNumber day);

enum class MonthList { kYear, kMonth };

// The items of the year list ("    2024年", "   前104年") or the month list ("1月" .. "12月").
std::vector<std::string> MonthListItems(MonthList list);
int MonthListSelection(const MonthPageState& state, MonthList list);
// The selected item's text alone, without making the others: MonthListItems(...)[MonthListSelection(...)].
std::string MonthListItemText(const MonthPageState& state, MonthList list);

// The day of a year and month with the selected day of month kept where it exists; a day the
// month lacks is reduced to the last day before it (the 31st to the 30th, 29th or 28th; in October
// 1582 the 5th to the 14th to the 4th). InvalidDayNumber outside the shown years.
astro::DayNumber DayInMonth(int year, int month, int day);
// Choosing item `index` of a list: the state's own day when the index lies outside the list.
astro::DayNumber MonthForChoice(const MonthPageState& state, MonthList list, int index);
// Stepping a list by one item (-1 previous, +1 next: keys and wheel): the year list by a year, the
// month list by a month across the ends of the year; the state's own day at the ends of the range.
astro::DayNumber StepMonthList(const MonthPageState& state, MonthList list, int delta);
// A click on cell 1..37: its day when the month uses the cell, else the state's own day.
astro::DayNumber DayOfCell(const MonthPageState& state, int cell);

}  // namespace views
