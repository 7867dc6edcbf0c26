// The fixed Chinese name tables: stems, branches, animals, solar terms, lunar months and days,
// Chinese digits, weekdays. All texts are GBK; every table is 1-based (entry 0 is empty).
#pragma once

#include <string>

namespace calendar {

extern const char* const StemNames[11];
extern const char* const BranchNames[13];
extern const char* const AnimalNames[13];
extern const char* const SolarTermNames[25];       // 1 = 小寒 .. 24 = 冬至
extern const char* const ChineseDigits[10];        // 0..9
extern const char* const LunarMonthNames[13];      // 1 = 正月 .. 12 = 腊月
extern const char* const LunarDayNames[31];        // 1 = 初一 .. 30 = 三十
extern const char* const WeekdayNames[8];          // 1 = 星期一 .. 7 = 星期日

// The weekday name of an astro::Weekday value (0 = Sunday .. 6 = Saturday).
const char* WeekdayNameOf(int weekday_sunday0);

// Month m = 1..24 (13..24 the leap months): 6 bytes, two blanks + 正月 .. 腊月, or 闰正月 .. 闰腊月.
std::string LunarMonthName(int m);
// Day d = 1..30: 初一 .. 三十.
std::string LunarDayName(int d);
// n = 0..9999 with every decimal digit as its Chinese digit (2004 -> 二○○四).
std::string ChineseDigitYear(int n);
// Year -9998..9999 right-aligned in 8 bytes: "2024", or 前 + (1 - y) for y <= 0 (year 0 -> 前1).
std::string YearNumberText(int y);
// The same in Chinese digits, right-aligned in 10 bytes (-1 -> six blanks + 前二).
std::string ChineseYearNumberText(int y);

}  // namespace calendar
