#include "calendar/festivals.h"


#include "astro/day_numbers.h"
#include "astro/events.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "calendar/range.h"

namespace calendar {

namespace {

struct FixedFestival {
    int month;
    int day;
    const char* name;       // shown with the all-festivals flag clear
    const char* long_name;  // shown with it set (the same for most)
    int from;               // first year; kAlways for every year
    bool minor;             // shown only with the flag set
};

constexpr int kAlways = -100000;

constexpr FixedFestival kFixed[] = {
#include "calendar/festival_table.inc"
};

struct WeekdayFestival {
    int month;
    int nth;
    int weekday;  // 0 = Sunday
    const char* name;
    int from;
};

constexpr WeekdayFestival kWeekdayRules[] = {
    {5, 2, 0, "母亲节", 1913},
    {6, 3, 0, "父亲节", 1934},
    {11, 4, 4, "感恩节", 1863},
};

// The first day on or after z whose day number leaves `remainder` modulo `modulus`: the first
// 庚 day (N mod 10 = 7), 丙 day (N mod 10 = 3) or 未 day (N mod 12 = 6).
DayNumber FirstDayOfCycle(DayNumber z, int remainder, int modulus) {
    return z + FloorMod(remainder - FloorMod(z, modulus), modulus);
}

}  // namespace

// Easter is not an astronomical date: the churches fixed it by the computus, a table of the moon
// over the 19-year cycle with the equinox set on 21 March, so that every parish could find it
// without watching the sky. Easter is the Sunday after the paschal full moon of that table. The
// Julian computus holds until the reform of 1582; from 1583 the Gregorian one, whose epacts also
// correct the Julian calendar's drift (the dropped leap years) and the table moon's (Clavius).
int EasterDay(int year) {
    if (year < 325 || year > kLastCalendarYear) return 0;
    DayNumber full_moon = 0;
    if (year < 1583) {
        // The paschal full moon of the Julian table: 21 March plus the age-based offset of the
        // golden number.
        full_moon = astro::DateToDayNumber(year, 3, 21) + (19 * (year % 19) + 15) % 30;
    } else {
        // Knuth's form of the Gregorian computus (The Art of Computer Programming, 1.3.2).
        const int golden = year % 19 + 1;
        const int century = year / 100 + 1;
        const int dropped_leap_days = 3 * century / 4 - 12;
        const int moon_correction = (8 * century + 5) / 25 - 5;
        int epact = (11 * golden + 20 + moon_correction - dropped_leap_days) % 30;
        if ((epact == 25 && golden > 11) || epact == 24) ++epact;
        int march_day = 44 - epact;  // the paschal full moon, a day of March (or of April past 31)
        if (march_day < 21) march_day += 30;
        full_moon = astro::DateToDayNumber(year, 3, 1) + march_day - 1;
    }
    // The first Sunday strictly after the full moon (day numbers with N mod 7 = 6 are Sundays).
    return FloorMod(full_moon, 7) == 6 ? full_moon + 7 : full_moon + 6 - FloorMod(full_moon, 7);
}

std::string SolarFestivalName(int year, int month, int day, bool all_festivals) {
    if (!IsCalendarDate(year, month, day)) return {};
    return SolarFestivalNameWith(year, month, day, all_festivals, EasterDay(year));
}

std::string SolarFestivalNameWith(int year, int month, int day, bool all_festivals, int easter_day) {
    const std::vector<std::string> names = SolarFestivalsWith(year, month, day, all_festivals, easter_day);
    if (names.empty()) return {};
    if (!all_festivals) return names.front();
    std::string text = names.front();
    for (size_t i = 1; i < names.size(); ++i) text += " " + names[i];
    return text;
}

std::vector<std::string> SolarFestivalsWith(int year, int month, int day, bool all_festivals, int easter_day) {
    std::vector<std::string> names;
    if (!IsCalendarDate(year, month, day)) return names;
    for (const FixedFestival& f : kFixed) {
        if (f.month != month || f.day != day || year < f.from || (f.minor && !all_festivals)) continue;
        names.push_back(all_festivals ? f.long_name : f.name);
        if (month == 7 && day == 1 && year >= 1999 && all_festivals) names.back() = "建党节 香港回归纪念日";
        break;
    }
    for (const WeekdayFestival& w : kWeekdayRules)
        if (w.month == month && year >= w.from && astro::NthWeekdayOfMonth(year, month, w.nth, w.weekday) == day)
            names.push_back(w.name);
    if (easter_day != 0 && astro::DateToDayNumber(year, month, day) == easter_day) names.push_back("复活节");
    return names;
}

std::string LunarFestivalName(int lunar_year, int month, int day) {
    if (!IsValidLunarDate(lunar_year, month, day)) return {};
    const bool leap_last_month = LunarMonthLength(lunar_year, 24) > 0;
    switch (month * 100 + day) {
        case 101: return "春节";
        case 115: return "元宵节";
        case 202: return "春龙节";
        case 505: return lunar_year >= -277 ? "端午节" : "";  // 屈原 died in 278 BC
        case 624: return "火把节";
        case 707: return "七夕节";
        case 715: return "中元节";
        case 815: return "中秋节";
        case 909: return "重阳节";
        case 1001: return "祭祖节";
        case 1208: return "腊八节";
        // 小年 and 除夕 belong to the last month of the year: 腊月, or 闰腊月 when there is one.
        case 1223: return leap_last_month ? "" : "小年";
        case 1229: return !leap_last_month && LunarMonthLength(lunar_year, 12) == 29 ? "除夕" : "";
        case 1230: return leap_last_month ? "" : "除夕";
        case 2423: return "小年";
        case 2429: return LunarMonthLength(lunar_year, 24) == 29 ? "除夕" : "";
        case 2430: return "除夕";
        default: return {};
    }
}

std::string NineNinesText(int year, int month, int day) {
    if (!IsCalendarDate(year, month, day)) return {};
    const DayNumber n = astro::DateToDayNumber(year, month, day);
    const DayNumber s = SolarTermDay(n - 90, 24);  // the 冬至 that opens the count
    if (n - s < 0 || n - s > 80) return {};
    const int k = n - s + 1;  // 1..81
    if (k % 9 == 0) return ChineseDigitYear(k / 9) + "九第9天";
    return ChineseDigitYear(k / 9 + 1) + "九第" + std::to_string(k % 9) + "天";
}

std::string DogDaysText(int year, int month, int day) {
    if (!IsCalendarDate(year, month, day)) return {};
    const DayNumber n = astro::DateToDayNumber(year, month, day);
    const DayNumber x = SolarTermDay(n - 90, 12);  // 夏至
    const DayNumber y = SolarTermDay(x + 30, 15);  // 立秋
    // 初伏 opens on the third 庚 day from 夏至, 中伏 on the fourth, 末伏 on the first after 立秋.
    const DayNumber first = FirstDayOfCycle(x, 7, 10) + 20;
    const DayNumber middle = first + 10;
    const DayNumber last = FirstDayOfCycle(y, 7, 10);
    if (n >= first && n < middle) return "初伏第" + std::to_string(n - first + 1) + "天";
    if (n >= middle && n < last) return "中伏第" + std::to_string(n - middle + 1) + "天";
    if (n >= last && n < last + 10) return "末伏第" + std::to_string(n - last + 1) + "天";
    return {};
}

std::string PlumRainText(int year, int month, int day) {
    if (!IsCalendarDate(year, month, day)) return {};
    const DayNumber n = astro::DateToDayNumber(year, month, day);
    const DayNumber m = SolarTermDay(n - 15, 11);  // 芒种
    const DayNumber s = SolarTermDay(n - 15, 13);  // 小暑
    // The rains begin on the first 丙 day after 芒种 and end on the first 未 day after 小暑.
    if (n >= s) return n == FirstDayOfCycle(s, 6, 12) ? "出梅" : "";
    if (n >= m) return n == FirstDayOfCycle(m, 3, 10) ? "入梅" : "";
    return {};
}

}  // namespace calendar
