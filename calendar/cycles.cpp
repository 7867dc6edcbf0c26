#include "calendar/cycles.h"

#include "astro/day_numbers.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "calendar/range.h"

namespace calendar {

namespace {

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

YearBoundary YearBoundaryOf(int year, int mode) {
    YearBoundary b;
    if (!InCalendarRange(year)) return b;
    if (mode == kYearFromSpringFestival) {
        b.festival = SpringFestivalField(year);
        b.ok = b.festival != 0;
        return b;
    }
    const DayNumber j0 = astro::DateToDayNumber(year, 1, 1);
    const int a = SolarTermDay(j0, 3) - j0 + 1;  // day of year of the first 立春 from 1 January
    if (a < 180) {
        b.p = a;
        // 立春 in the first days of January (far from our era) leaves room for a second one in
        // the same calendar year.
        b.q = b.p < 10 ? SolarTermDay(j0 + 180, 3) - j0 + 1 : 400;
    } else {
        b.p = -400;
        b.q = a;
    }
    b.ok = true;
    return b;
}

GanZhiIndex YearGanZhiWith(int year, int month, int day, int mode, const YearBoundary& b) {
    if (!IsCalendarDate(year, month, day) || !b.ok) return 0;
    int y = year;
    if (mode == kYearFromSpringFestival) {
        if (b.festival > 100 * month + day) y = year - 1;
    } else {
        const int d = astro::DayOfYear(year, month, day);
        y = d < b.p ? year - 1 : d < b.q ? year : year + 1;
    }
    return FloorMod(y + 12056LL, 60) + 1;  // 1984 is 甲子
}

GanZhiIndex YearGanZhi(int year, int month, int day, int mode) {
    if (!IsCalendarDate(year, month, day)) return 0;
    return YearGanZhiWith(year, month, day, mode, YearBoundaryOf(year, mode));
}

int ZodiacAnimal(int year, int month, int day, int mode) {
    const GanZhiIndex y = YearGanZhi(year, month, day, mode);
    return y == 0 ? 0 : (y - 1) % 12 + 1;
}

GanZhiIndex MonthGanZhiFrom(GanZhiIndex year_index, int mode, int current_term, int lunar_month) {
    if (year_index < 1 || year_index > 60) return 0;
    const int first = FirstMonthIndex((year_index - 1) % 10 + 1);
    if (mode == kYearFromSpringFestival) {
        if (lunar_month < 1 || lunar_month > 24) return 0;
        const int m = lunar_month > 12 ? lunar_month - 12 : lunar_month;  // a leap month keeps its base
        return (first - 1 + (m - 1)) % 60 + 1;
    }
    if (current_term < 1 || current_term > 24) return 0;
    // Solar months: 立春 and 雨水 make the 寅 month, ..., 小寒 and 大寒 the 丑 month.
    const int k = 1 + (current_term - 1) / 2;
    return (first - 1 + (k + 10) % 12) % 60 + 1;
}

GanZhiIndex MonthGanZhi(int year, int month, int day, int mode) {
    const GanZhiIndex y = YearGanZhi(year, month, day, mode);
    if (y == 0) return 0;
    if (mode == kYearFromSpringFestival)
        return MonthGanZhiFrom(y, mode, 0, SolarToLunarDate(year, month, day).month);
    return MonthGanZhiFrom(y, mode, CurrentSolarTerm(astro::DateToDayNumber(year, month, day)), 0);
}

GanZhiIndex DayGanZhi(int year, int month, int day) {
    if (!IsCalendarDate(year, month, day)) return 0;
    return FloorMod(astro::DateToDayNumber(year, month, day) - 11LL, 60) + 1;  // day number 11 was 甲子
}

std::string GanZhiName(GanZhiIndex index) {
    if (index < 1 || index > 60) return {};
    return std::string(StemNames[(index - 1) % 10 + 1]) + BranchNames[(index - 1) % 12 + 1];
}

std::string GanZhiTextFrom(GanZhiIndex y, GanZhiIndex m, GanZhiIndex d) {
    if (y < 1 || y > 60 || m < 1 || m > 60 || d < 1 || d > 60) return {};
    return GanZhiName(y) + "(" + AnimalNames[(y - 1) % 12 + 1] + ")年" + GanZhiName(m) + "月" + GanZhiName(d) + "日";
}

std::string GanZhiText(int year, int month, int day, int mode) {
    return GanZhiTextFrom(YearGanZhi(year, month, day, mode), MonthGanZhi(year, month, day, mode),
                          DayGanZhi(year, month, day));
}

std::string WeekdayName(int year, int month, int day) {
    if (!IsCalendarDate(year, month, day)) return {};
    return WeekdayNames[FloorMod(astro::DateToDayNumber(year, month, day), 7) + 1];  // N mod 7 = 0 is a Monday
}

std::string ZodiacSignName(int year, int month, int day) {
    if (!IsCalendarDate(year, month, day)) return {};
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
