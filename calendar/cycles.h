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

}  // namespace calendar
