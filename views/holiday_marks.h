// The public holiday arrangement as the pages show it: a small 休 (a day off) or 班 (a weekend day
// worked) on a day, and a line that names it. Portable: the windows only draw these.
#pragma once

#include <string>

#include "astro/day_numbers.h"

namespace views {

struct DayHoliday {
    std::string mark;  // "休", "班" or "" (GBK)
    std::string text;  // "春节假期（休）", "春节调休上班（班）" or ""
    bool off = false;  // a day off (drawn in red), else a working day (drawn dark)
};

// The arrangement of a day under the installed holiday table; nothing when `shown` is off or the
// day is an ordinary one.
DayHoliday HolidayOfDay(astro::DayNumber day, bool shown);

}  // namespace views
