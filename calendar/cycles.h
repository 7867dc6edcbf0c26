// The sexagenary cycle (干支) of years, months and days, the animal of the year (属相), the weekday
// and the Western zodiac sign of a date. Dates are calendar dates of years -8999..9000; anything
// else gives index 0 and empty texts.
#pragma once

#include <string>

namespace calendar {

using GanZhiIndex = int;  // 1 = 甲子 .. 60 = 癸亥, 0 = not available

// Where the sexagenary year begins: 0 at the solar term 立春, 1 at the Spring Festival (which
// also counts the month pillars by lunar months).
enum YearBoundaryMode { kYearFromLichun = 0, kYearFromSpringFestival = 1 };

GanZhiIndex YearGanZhi(int year, int month, int day, int mode);
int ZodiacAnimal(int year, int month, int day, int mode);  // 1 = 鼠 .. 12 = 猪, 0
GanZhiIndex MonthGanZhi(int year, int month, int day, int mode);
GanZhiIndex DayGanZhi(int year, int month, int day);
// The two characters of an index, e.g. 甲子; empty for 0.
std::string GanZhiName(GanZhiIndex index);
// 甲辰(龙)年丙寅月甲辰日, or empty when any part is unavailable.
std::string GanZhiText(int year, int month, int day, int mode);
std::string WeekdayName(int year, int month, int day);
std::string ZodiacSignName(int year, int month, int day);

// What the sexagenary year of every date of one calendar year depends on, to be computed once per
// year by callers that go through a whole year: the Spring Festival (mode 1), or the days of year
// before which the date belongs to the year before (p) and from which to the year after (q)
// (mode 0, from the days of 立春).
struct YearBoundary {
    bool ok = false;
    int p = 0;
    int q = 0;
    int festival = 0;  // 100 * month + day of 正月初一
};
YearBoundary YearBoundaryOf(int year, int mode);
GanZhiIndex YearGanZhiWith(int year, int month, int day, int mode, const YearBoundary& boundary);
// The month pillar from the year's index and either the solar term in force (mode 0) or the
// lunar month 1..24 (mode 1).
GanZhiIndex MonthGanZhiFrom(GanZhiIndex year_index, int mode, int current_term, int lunar_month);
// 甲辰(龙)年丙寅月甲辰日 from the three indexes, or empty when one is 0.
std::string GanZhiTextFrom(GanZhiIndex year_index, GanZhiIndex month_index, GanZhiIndex day_index);

}  // namespace calendar
