#include "calendar/cycles.h"

#include "astro/day_numbers.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"

namespace calendar {

namespace {

bool InRange(int year, int month, int day) {
    return year >= -8999 && year <= 9000 && astro::IsValidDate(year, month, day);
}

inline int FloorMod(long long a, int n) {
    const int r = static_cast<int>(a % n);
    return r < 0 ? r + n : r;
}

// The sexagenary year of a date: the calendar year, or the one before or after it, depending on
// where 立春 (or the Spring Festival) falls.
int SexagenaryYear(int year, int month, int day, int mode, bool& ok) {
    ok = true;
    if (mode == kYearFromSpringFestival) {
        const int festival = SpringFestivalField(year);
        if (festival == 0) {
            ok = false;
            return 0;
        }
        return festival > 100 * month + day ? year - 1 : year;
    }
    const DayNumber j0 = astro::DateToDayNumber(year, 1, 1);
    const int d = astro::DayOfYear(year, month, day);
    const int a = SolarTermDay(j0, 3) - j0 + 1;  // day of year of the first 立春 from 1 January
    int p = 0;
    int q = 0;
    if (a < 180) {
        p = a;
        // 立春 in the first days of January (far from our era) leaves room for a second one in
        // the same calendar year.
        q = p < 10 ? SolarTermDay(j0 + 180, 3) - j0 + 1 : 400;
    } else {
        p = -400;
        q = a;
    }
    if (d < p) return year - 1;
    if (d < q) return year;
    return year + 1;
}

// Index of the 寅 month (the first month) in a year whose stem is s (1..10): the "five tigers"
// rule, 甲己之年丙作首.
int FirstMonthIndex(int stem) {
    switch ((stem - 1) % 5) {
        case 0: return 3;   // 丙寅
        case 1: return 15;  // 戊寅
        case 2: return 27;  // 庚寅
        case 3: return 39;  // 壬寅
        default: return 51; // 甲寅
    }
}

}  // namespace

GanZhiIndex YearGanZhi(int year, int month, int day, int mode) {
    if (!InRange(year, month, day)) return 0;
    bool ok = false;
    const int y = SexagenaryYear(year, month, day, mode, ok);
    if (!ok) return 0;
    return FloorMod(y + 12056LL, 60) + 1;  // 1984 is 甲子
}

int ZodiacAnimal(int year, int month, int day, int mode) {
    const GanZhiIndex y = YearGanZhi(year, month, day, mode);
    return y == 0 ? 0 : (y - 1) % 12 + 1;
}

GanZhiIndex MonthGanZhi(int year, int month, int day, int mode) {
    const GanZhiIndex y = YearGanZhi(year, month, day, mode);
    if (y == 0) return 0;
    const int first = FirstMonthIndex((y - 1) % 10 + 1);
    if (mode == kYearFromSpringFestival) {
        const LunarDate lunar = SolarToLunarDate(year, month, day);
        if (lunar.month == 0) return 0;
        const int m = lunar.month > 12 ? lunar.month - 12 : lunar.month;  // a leap month keeps its base
        return (first - 1 + (m - 1)) % 60 + 1;
    }
    // Solar months: 立春 and 雨水 make the 寅 month, ..., 小寒 and 大寒 the 丑 month.
    const int t = CurrentSolarTerm(astro::DateToDayNumber(year, month, day));
    const int k = 1 + (t - 1) / 2;
    return (first - 1 + (k + 10) % 12) % 60 + 1;
}

GanZhiIndex DayGanZhi(int year, int month, int day) {
    if (!InRange(year, month, day)) return 0;
    return FloorMod(astro::DateToDayNumber(year, month, day) - 11LL, 60) + 1;  // day number 11 was 甲子
}

std::string GanZhiName(GanZhiIndex index) {
    if (index < 1 || index > 60) return {};
    return std::string(StemNames[(index - 1) % 10 + 1]) + BranchNames[(index - 1) % 12 + 1];
}

std::string GanZhiText(int year, int month, int day, int mode) {
    const GanZhiIndex y = YearGanZhi(year, month, day, mode);
    const GanZhiIndex m = MonthGanZhi(year, month, day, mode);
    const GanZhiIndex d = DayGanZhi(year, month, day);
    const int animal = ZodiacAnimal(year, month, day, mode);
    if (y < 1 || m < 1 || d < 1 || animal < 1) return {};
    return GanZhiName(y) + "(" + AnimalNames[animal] + ")年" + GanZhiName(m) + "月" + GanZhiName(d) + "日";
}

std::string WeekdayName(int year, int month, int day) {
    if (!InRange(year, month, day)) return {};
    return WeekdayNames[FloorMod(astro::DateToDayNumber(year, month, day), 7) + 1];  // N mod 7 = 0 is a Monday
}

std::string ZodiacSignName(int year, int month, int day) {
    if (!InRange(year, month, day)) return {};
    struct Sign {
        int limit;
        const char* up_to;
        const char* after;
    };
    static const Sign kSigns[13] = {
        {0, "", ""},
        {19, "摩羯座", "水瓶座"}, {18, "水瓶座", "双鱼座"}, {20, "双鱼座", "白羊座"}, {20, "白羊座", "金牛座"},
        {20, "金牛座", "双子座"}, {21, "双子座", "巨蟹座"}, {22, "巨蟹座", "狮子座"}, {22, "狮子座", "处女座"},
        {22, "处女座", "天秤座"}, {22, "天秤座", "天蝎座"}, {21, "天蝎座", "射手座"}, {21, "射手座", "摩羯座"},
    };
    const Sign& s = kSigns[month];
    return day <= s.limit ? s.up_to : s.after;
}

}  // namespace calendar
