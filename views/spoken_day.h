// A day as a screen reader speaks it: everything a cell of the month page shows of the day, and
// what its colours and corner mark tell, in words.
// Portable: the month page's accessible object names its cells with it.
#pragma once

#include <string>

#include "astro/day_numbers.h"

namespace views {

// "2026年10月1日 星期四 农历八月廿一 国庆节 休": the Gregorian date (years before 1 as 前N年),
// the weekday, the lunar date (a leap month as 闰四月), the lunar festival, the main solar
// festival and the solar term of the day where there are any, and the public holiday's 休 or 班
// with the holiday's name (left out where a festival already says it) when holidays are shown.
// "" for a day outside the calendar.
std::string SpokenDay(astro::DayNumber day, bool show_holidays);

}  // namespace views
