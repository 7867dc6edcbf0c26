#include "tools/year_days.h"

#include <cmath>

#include "calendar/cycles.h"
#include "calendar/day_info.h"
#include "calendar/festivals.h"
#include "calendar/lunar_events.h"
#include "calendar/range.h"

namespace tools {

namespace {

inline astro::DayNumber DayOf(double when) { return static_cast<astro::DayNumber>(std::floor(when)); }

int WeekdayIndex(astro::DayNumber n) {
    const int r = static_cast<int>(((static_cast<long long>(n) % 7) + 7) % 7);  // 0 = Monday
    return r + 1;
}

}  // namespace

std::string FestivalText(const std::string& lunar, const std::string& solar) {
    if (!lunar.empty() && !solar.empty()) return lunar + " " + solar;
    return lunar.empty() ? solar : lunar;
}

namespace {

// What every day has whatever else is known of its year: its date in the three calendars, its
// weekday and the day's stem and branch.
DayFacts DatesOfDay(astro::DayNumber n) {
    DayFacts f;
    f.day = n;
    f.date = astro::DayNumberToDate(n);
    f.lunar = calendar::SolarToLunarDate(f.date.year, f.date.month, f.date.day);
    f.hijri = calendar::DayNumberToHijri(n);
    f.ganzhi_day = calendar::DayGanZhi(f.date.year, f.date.month, f.date.day);
    f.weekday = WeekdayIndex(n);
    return f;
}

}  // namespace

DayFacts FactsOfDay(astro::DayNumber n, int mode) {
    DayFacts f = DatesOfDay(n);
    const int y = f.date.year, m = f.date.month, d = f.date.day;
    f.ganzhi_year = calendar::YearGanZhi(y, m, d, mode);
    f.ganzhi_month = calendar::MonthGanZhi(y, m, d, mode);
    f.term_text = calendar::NextSolarTermText(y, m, d);
    const calendar::SolarTermInstant next = calendar::NextSolarTerm(n, false);
    f.term = DayOf(next.when) == n ? next.index : 0;
    f.festival_text = FestivalText(calendar::LunarFestivalName(f.lunar.year, f.lunar.month, f.lunar.day),
                                   calendar::SolarFestivalName(y, m, d, true));
    return f;
}

std::vector<DayFacts> FactsOfYear(int year, int mode) {
    std::vector<DayFacts> out;
    if (!calendar::InCalendarRange(year)) return out;
    const astro::DayNumber first = astro::DateToDayNumber(year, 1, 1);
    const astro::DayNumber last = astro::DateToDayNumber(year, 12, 31);

    // The solar terms from before 1 January to the first one after 31 December.
    std::vector<calendar::SolarTermInstant> terms;
    for (astro::DayNumber d = first;;) {
        const calendar::SolarTermInstant t = calendar::NextSolarTerm(d, false);
        terms.push_back(t);
        if (DayOf(t.when) > last || t.index == 0) break;
        d = DayOf(t.when) + 1;
    }
    const calendar::YearBoundary boundary = calendar::YearBoundaryOf(year, mode);
    const int easter = calendar::EasterDay(year);

    out.reserve(static_cast<size_t>(last - first + 1));
    size_t next = 0;  // the first term whose day is on or after the current day
    for (astro::DayNumber n = first; n <= last; ++n) {
        while (next + 1 < terms.size() && DayOf(terms[next].when) < n) ++next;
        const calendar::SolarTermInstant& coming = terms[next];
        DayFacts f = DatesOfDay(n);
        const int y = f.date.year, m = f.date.month, d = f.date.day;
        f.ganzhi_year = calendar::YearGanZhiWith(y, m, d, mode, boundary);
        int current = coming.index;
        if (DayOf(coming.when) > n) current = current == 1 ? 24 : current - 1;
        f.ganzhi_month = calendar::MonthGanZhiFrom(f.ganzhi_year, mode, current, f.lunar.month);
        f.term = DayOf(coming.when) == n ? coming.index : 0;
        f.term_text = calendar::NextSolarTermTextFrom(y, m, d, coming);
        f.festival_text = FestivalText(calendar::LunarFestivalName(f.lunar.year, f.lunar.month, f.lunar.day),
                                       calendar::SolarFestivalNameWith(y, m, d, true, easter));
        out.push_back(std::move(f));
    }
    return out;
}

}  // namespace tools
