// The fixed Chinese name tables: stems, branches, animals, solar terms, lunar months and days,
// Chinese digits, weekdays. All texts are GBK; every table is 1-based (entry 0 is empty).
#pragma once

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

}  // namespace calendar
