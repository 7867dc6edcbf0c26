// What the day page shows and how its nine lists move together: the selected day as a Gregorian,
// a Chinese lunar and a Hijri date, each as year, month and day lists. Choosing an item in any list
// (or stepping with the keys or the wheel) gives a new day; all nine lists then follow it.
// Portable: the window only renders these lists and passes the user's choices back.
#pragma once

#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "calendar/hijri.h"
#include "calendar/lunar_year.h"

namespace views {

enum class DayList {
    kSolarYear,
    kSolarMonth,
    kSolarDay,
    kLunarYear,
    kLunarMonth,
    kLunarDay,
    kHijriYear,
    kHijriMonth,
    kHijriDay,
};
constexpr int kDayListCount = 9;

// The Gregorian years the calendar pages show.
constexpr int kLowestShownYear = -103;
constexpr int kHighestShownYear = 4103;

// The days the pages can select: 1 January of the lowest year to 31 December of the highest.
astro::DayNumber FirstShownDay();
astro::DayNumber LastShownDay();

struct DayPageState {
    astro::DayNumber day = 0;
    astro::CalendarDate solar;
    calendar::LunarDate lunar;
    calendar::HijriDate hijri;
};

// The state of a day (clamped into the shown days).
DayPageState DayPageAt(astro::DayNumber day);

// The items of a list for the state, in order, and which of them is selected. The year lists do not
// depend on the day; the month and day lists depend on the selected year and month.
std::vector<std::string> ListItems(const DayPageState& state, DayList list, bool show_dynasty);
int SelectedItem(const DayPageState& state, DayList list);
// The selected item's text alone, without making the others: ListItems(...)[SelectedItem(...)].
std::string SelectedItemText(const DayPageState& state, DayList list, bool show_dynasty);
// The tooltip of a list: 公历年 .. 回历日.
const char* ListName(DayList list);

// The day that choosing item `index` of `list` selects: the other parts of that calendar's date
// stay, the day of month shrinks to the length of the chosen month (and a leap month falls back to
// its namesake in a year that has none); the result is clamped into the shown days.
astro::DayNumber DayForChoice(const DayPageState& state, DayList list, int index);

// Stepping a list by one item (delta -1 or +1): a year list moves by a year, a month list by a month
// across the ends of the year, a day list by a day. Returns the state's own day at the ends of the
// shown range.
astro::DayNumber StepList(const DayPageState& state, DayList list, int delta);

}  // namespace views
