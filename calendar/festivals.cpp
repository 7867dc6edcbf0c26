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
    {1, 1, "元旦节", "元旦节", kAlways, false},
    {2, 2, "世界湿地日", "世界湿地日", 1997, true},
    {2, 10, "国际气象节", "国际气象节", 1991, true},
    {2, 14, "情人节", "情人节", kAlways, false},
    {3, 1, "国际海豹节", "国际海豹节", 1983, true},
    {3, 3, "爱耳日", "爱耳日", 2000, true},
    {3, 5, "学雷锋纪念日", "学雷锋纪念日", 1963, true},
    {3, 8, "妇女节", "国际妇女节", 1911, false},
    {3, 12, "植树节", "植树节", 1979, true},
    {3, 14, "国际警察节", "国际警察节", 2004, true},
    {3, 15, "国际消费者权益日", "国际消费者权益日", 1983, true},
    {3, 21, "世界森林日", "世界森林日", 1972, true},
    {3, 22, "世界水日", "世界水日", 1993, true},
    {3, 23, "世界气象日", "世界气象日", 1960, true},
    {4, 1, "愚人节", "愚人节", 1564, false},
    {4, 7, "世界卫生日", "世界卫生日", 1950, true},
    {4, 22, "世界地球日", "世界地球日", 1970, true},
    {5, 1, "劳动节", "国际劳动节", 1889, false},
    {5, 4, "青年节", "青年节", 1939, false},
    {5, 8, "世界红十字日", "世界红十字日", 1948, true},
    {5, 12, "国际护士节", "国际护士节", 1912, true},
    {5, 15, "国际家庭日", "国际家庭日", 1994, true},
    {5, 17, "世界电信日", "世界电信日", 1969, true},
    {5, 19, "中国旅游日", "中国旅游日", 2011, true},
    {5, 31, "世界无烟日", "世界无烟日", 1988, true},
    {6, 1, "儿童节", "国际儿童节", 1949, false},
    {6, 5, "世界环境保护日", "世界环境保护日", 1974, true},
    {6, 6, "爱眼日", "爱眼日", 1996, true},
    {6, 23, "国际奥林匹克日", "国际奥林匹克日", 1948, true},
    {6, 25, "土地日", "土地日", 1991, true},
    {6, 26, "国际禁毒日", "国际禁毒日", 1987, true},
    {7, 1, "建党节", "建党节", 1921, false},  // from 1999 the long name adds 香港回归纪念日
    {7, 11, "世界人口日", "世界人口日", 1987, true},
    {8, 1, "建军节", "建军节", 1927, false},
    {8, 8, "男子节", "男子节", 1988, true},
    {8, 12, "国际青年日", "国际青年日", 2000, true},
    {9, 8, "世界扫盲日", "世界扫盲日", 1966, true},
    {9, 10, "教师节", "教师节", 1985, false},
    {9, 20, "爱牙日", "爱牙日", 1989, true},
    {9, 27, "世界旅游日", "世界旅游日", 1980, true},
    {10, 1, "国庆节", "国庆节", 1949, false},
    {10, 4, "世界动物日", "世界动物日", 1949, true},
    {10, 5, "世界教师日", "世界教师日", 1944, true},
    {10, 9, "世界邮政日", "世界邮政日", 1969, true},
    {10, 12, "世界60亿人口日", "世界60亿人口日", 1999, true},
    {10, 14, "世界标准日", "世界标准日", 1969, true},
    {10, 15, "国际盲人节", "国际盲人节", 1984, true},
    {10, 16, "世界粮食日", "世界粮食日", 1979, true},
    {10, 24, "联合国日", "联合国日", 1948, true},
    {10, 31, "万圣节", "万圣节", kAlways, true},
    {11, 10, "世界青年日", "世界青年日", 1946, true},
    {11, 11, "光棍节", "光棍节", 1901, true},
    {11, 16, "国际宽容日", "国际宽容日", 1996, true},
    {11, 20, "世界儿童日", "世界儿童日", 1986, true},
    {11, 21, "世界电视日", "世界电视日", 1996, true},
    {12, 1, "世界艾滋病日", "世界艾滋病日", 1988, true},
    {12, 3, "世界残疾人日", "世界残疾人日", 1992, true},
    {12, 10, "世界人权日", "世界人权日", 1950, true},
    {12, 20, "澳门回归纪念日", "澳门回归纪念日", 1999, true},
    {12, 21, "国际篮球日", "国际篮球日", 1891, true},
    {12, 24, "平安夜", "平安夜", 440, false},
    {12, 25, "圣诞节", "圣诞节", 440, false},
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
