#include "tools/yearly_tables.h"

#include <cmath>

#include "astro/day_numbers.h"
#include "astro/sun_times.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "places/city_table.h"

namespace tools {

namespace {

constexpr const char* kLineEnd = "\r\n";

inline astro::DayNumber DayOf(double when) { return static_cast<astro::DayNumber>(std::floor(when)); }

// "MM月DD日HH:MM:SS" of an instant, cut from its date-time text.
std::string MonthDayTime(double when) {
    const std::string t = astro::JulianDayToDateTimeText(when);
    if (t.size() < 21) return {};
    return t.substr(2, 2) + "月" + t.substr(5, 2) + "日" + t.substr(13, 8);
}

std::string Join(const std::vector<std::string>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) out += kLineEnd;
        out += lines[i];
    }
    return out;
}

std::string TwoDigits(int i) { return (i < 10 ? "0" : "") + std::to_string(i); }

}  // namespace

std::string YearHeader(const char* calendar_word, int year) {
    return std::string("    ") + calendar_word + " " + (year >= 1 ? std::to_string(year) : "前" + std::to_string(1 - year));
}

std::string LunarMonthsTable(int lunar_year) {
    const int count = calendar::LunarMonthCount(lunar_year);
    if (count == 0) return {};
    std::vector<std::string> lines;
    lines.push_back(YearHeader("农历", lunar_year) + " 年共 " + std::to_string(count) + " 个月");
    for (int place = 1; place <= count; ++place) {
        const int m = calendar::MonthAtPlace(lunar_year, place);
        const int length = calendar::LunarMonthLength(lunar_year, m);
        const astro::CalendarDate first = calendar::LunarToSolar(lunar_year, m, 1);
        const astro::CalendarDate last = calendar::LunarToSolar(lunar_year, m, length);
        const std::string size = length == 30 ? "大" : "小";
        std::string name = m > 12 ? std::string("闰") + calendar::LunarMonthNames[m - 12] + size + "     "
                                  : std::string(calendar::LunarMonthNames[m]) + size + "       ";
        lines.push_back(name + "对应公历" + astro::FormatDateText(first.year, first.month, first.day) + " ～ " +
                        astro::FormatDateText(last.year, last.month, last.day));
    }
    return Join(lines);
}

std::vector<TableEntry> SolarTermsOfYear(int year) {
    std::vector<TableEntry> out;
    const astro::DayNumber first = astro::DateToDayNumber(year, 1, 1);
    const astro::DayNumber last = astro::DateToDayNumber(year, 12, 31);
    if (first == astro::InvalidDayNumber) return out;
    // One term after another, each looked for from 10 days after the one before: terms are at
    // least 14.6 days apart, so none is passed over; and where the calendars change their rule
    // (the mean terms of 1645 gave way to the Qing theory a day before the theory's own 白露),
    // the new rule's copy of the term just counted is passed over. Far from our era a year of the
    // Julian calendar can hold 23 or 25 terms (one on 1 January and again on 31 December).
    for (calendar::SolarTermInstant t = calendar::NextSolarTerm(first, false); DayOf(t.when) <= last && t.index != 0;
         t = calendar::NextSolarTerm(DayOf(t.when) + 10, false))
        out.push_back({t.index, t.when, true});
    return out;
}

std::string SolarTermsTable(int year) {
    const std::vector<TableEntry> terms = SolarTermsOfYear(year);
    if (terms.empty()) return {};
    std::string out = YearHeader("公历", year) + " 年共 " + std::to_string(terms.size()) + " 个节气";
    for (size_t i = 0; i < terms.size(); ++i) {
        const std::string entry = TwoDigits(static_cast<int>(i + 1)) + ": " + calendar::SolarTermNames[terms[i].index] +
                                  MonthDayTime(terms[i].when);
        out += (i % 2 == 0 ? kLineEnd : "   ") + entry;
    }
    return out;
}

std::vector<TableEntry> MoonPhasesOfYear(int year) {
    std::vector<TableEntry> out;
    const astro::DayNumber first = astro::DateToDayNumber(year, 1, 1);
    const astro::DayNumber last = astro::DateToDayNumber(year, 12, 31);
    if (first == astro::InvalidDayNumber) return out;
    const double new_moon = calendar::detail::AstronomicalNewMoon(first);
    const double full_moon = calendar::detail::AstronomicalFullMoon(first);
    int phase = new_moon < full_moon ? 0 : 1;
    double when = std::min(new_moon, full_moon);
    // Up to 13 lines of a phase and the opposite one after it.
    for (int line = 0; line < 13 && DayOf(when) <= last; ++line) {
        out.push_back({phase, when, true});
        const double other = phase == 0 ? calendar::detail::AstronomicalFullMoon(DayOf(when) + 1)
                                        : calendar::detail::AstronomicalNewMoon(DayOf(when) + 1);
        out.push_back({1 - phase, other, DayOf(other) <= last});
        when = phase == 0 ? calendar::detail::AstronomicalNewMoon(DayOf(other) + 1)
                          : calendar::detail::AstronomicalFullMoon(DayOf(other) + 1);
    }
    return out;
}

std::string MoonsTable(int year) {
    const std::vector<TableEntry> phases = MoonPhasesOfYear(year);
    if (phases.empty()) return {};
    int news = 0;
    int fulls = 0;
    for (const TableEntry& p : phases)
        if (p.in_year) (p.index == 0 ? news : fulls)++;
    const std::string a = std::to_string(news) + " 次塑日";
    const std::string b = std::to_string(fulls) + " 次望日";
    std::string out = YearHeader("公历", year) + " 年共 " + (phases[0].index == 0 ? a + " " + b : b + " " + a);
    for (size_t i = 0; i + 1 < phases.size(); i += 2) {
        const auto text = [](const TableEntry& p) {
            return std::string(p.index == 0 ? "塑日 " : "望日 ") + MonthDayTime(p.when);
        };
        out += kLineEnd + text(phases[i]);
        if (phases[i + 1].in_year) out += "         " + text(phases[i + 1]);
    }
    return out;
}

std::string SunTimesTable(int year, int province, int city, bool twilight) {
    const astro::DayNumber first = astro::DateToDayNumber(year, 1, 1);
    if (first == astro::InvalidDayNumber) return {};
    const places::CityRecord place = places::CityRecordOf(province, city);
    std::string out = YearHeader("公历", year) + " 年 " + places::CityText(place.province, -1) + place.name +
                      (twilight ? " 天亮天黑时刻" : " 日出日落时刻");
    const int days = astro::DaysInYear(year);
    for (int i = 0; i < days; ++i) {
        const astro::DayNumber n = first + i;
        const auto at = [&](int mode) {
            return astro::SunEventTime(n, place.longitude, place.latitude, astro::CalcTimeZone, mode);
        };
        out += kLineEnd + astro::DayNumberToDateText(n).substr(2, 5);
        if (twilight)
            out += " 天亮时刻" + at(astro::kDawn) + " 天黑时刻" + at(astro::kDusk);
        else
            out += " 日出时刻" + at(astro::kSunrise) + " 日落时刻" + at(astro::kSunset);
    }
    return out;
}

}  // namespace tools
