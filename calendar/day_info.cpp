#include "calendar/day_info.h"

#include <cmath>

#include "astro/day_numbers.h"
#include "astro/sun_times.h"
#include "calendar/cycles.h"
#include "calendar/festivals.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "calendar/range.h"

namespace calendar {

int InfoTypeFromSetting(const std::string& stored) {
    if (stored == "1") return 1;
    if (stored == "2") return 2;
    return 0;
}

std::string AttributeLine(int year, int month, int day, int ganzhi_mode) {
    return WeekdayName(year, month, day) + " " + ZodiacSignName(year, month, day) + "  " +
           GanZhiText(year, month, day, ganzhi_mode);
}

std::string NextSolarTermText(int year, int month, int day) {
    if (!IsCalendarDate(year, month, day)) return {};
    return NextSolarTermTextFrom(year, month, day, NextSolarTerm(astro::DateToDayNumber(year, month, day), false));
}

std::string NextSolarTermTextFrom(int year, int month, int day, const SolarTermInstant& term) {
    if (!IsCalendarDate(year, month, day)) return {};
    const DayNumber n = astro::DateToDayNumber(year, month, day);
    const std::string when = astro::JulianDayToDateTimeText(term.when);
    if (when.empty() || term.index < 1 || term.index > 24) return {};
    const std::string name = SolarTermNames[term.index];
    const DayNumber d = static_cast<DayNumber>(std::floor(term.when));
    const std::string clock = when.substr(13, 8);
    if (d == n) return "今日" + name + " " + clock;
    if (d == n + 1) return "明日" + name + " " + clock;
    const astro::CalendarDate date = astro::DayNumberToDate(d);
    std::string text = std::to_string(date.month) + "月" + std::to_string(date.day) + "日" + name;
    if (date.year != year)
        text = (date.year >= 1 ? std::to_string(date.year) : "公元前" + std::to_string(1 - date.year)) + "年" + text;
    return text;
}

std::string InformationLine(int year, int month, int day, int info_type, double longitude, double latitude) {
    if (info_type == 1 || info_type == 2) {
        const DayNumber n = astro::DateToDayNumber(year, month, day);
        if (n == astro::InvalidDayNumber) return {};
        const auto at = [&](int mode) { return astro::SunEventTime(n, longitude, latitude, astro::CalcTimeZone, mode); };
        if (info_type == 1) return "日出时刻" + at(astro::kSunrise) + "  " + "日落时刻" + at(astro::kSunset);
        return "天亮时刻" + at(astro::kDawn) + "  " + "天黑时刻" + at(astro::kDusk);
    }
    const LunarDate lunar = SolarToLunarDate(year, month, day);
    const std::string lunar_festival = LunarFestivalName(lunar.year, lunar.month, lunar.day);
    const std::string solar_festival = SolarFestivalName(year, month, day, true);
    std::string festivals = lunar_festival;
    if (!lunar_festival.empty() && !solar_festival.empty())
        festivals += " " + solar_festival;
    else if (lunar_festival.empty())
        festivals = solar_festival;
    std::string periods = NextSolarTermText(year, month, day);
    for (const std::string& p : {NineNinesText(year, month, day), DogDaysText(year, month, day),
                                 PlumRainText(year, month, day)})
        if (!p.empty()) periods += " " + p;
    return festivals + " " + periods;
}

}  // namespace calendar
