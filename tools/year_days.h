// Everything the tools need to know about every day of one calendar year, computed in one pass:
// the solar terms, 立春 and Easter of the year are found once and shared by all its days, instead
// of being looked up again for each day.
#pragma once

#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "calendar/hijri.h"
#include "calendar/lunar_year.h"

namespace tools {

struct DayFacts {
    astro::DayNumber day = 0;
    astro::CalendarDate date;
    calendar::LunarDate lunar;  // month 0 when not available
    calendar::HijriDate hijri;  // month 0 when not available
    int ganzhi_year = 0;        // 1..60, 0 = not available
    int ganzhi_month = 0;
    int ganzhi_day = 0;
    int weekday = 0;            // 1 = 星期一 .. 7 = 星期日
    int term = 0;               // 1..24 when a solar term falls on the day, else 0
    std::string term_text;      // the coming-term text (今日春分 11:06:18, 3月5日惊蛰, ...)
    std::string festival_text;  // lunar festival, then the solar festivals (all of them)
};

// The facts of every day of a calendar year (years -8999..9000), in order.
std::vector<DayFacts> FactsOfYear(int year, int ganzhi_mode);

// The same facts of one day, each looked up directly (what FactsOfYear must agree with).
DayFacts FactsOfDay(astro::DayNumber day, int ganzhi_mode);

// The festival text of a day: the lunar festival and the solar festivals (all shown), joined by a
// blank.
std::string FestivalText(const std::string& lunar, const std::string& solar);

}  // namespace tools
