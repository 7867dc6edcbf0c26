#include "cli/arguments.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>

#include "calendar/cycles.h"
#include "calendar/names.h"
#include "calendar/range.h"
#include "text/encoding.h"
#include "tools/condition_queries.h"

namespace cli {

namespace {

std::string Range(double min, double max) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g..%.15g", min, max);
    return text;
}

}  // namespace

std::string CheckWholeNumber(const std::string& text, long long min, long long max, long long* value) {
    static const std::regex whole("-?[0-9]{1,19}");
    if (!std::regex_match(text, whole)) return "'" + text + "' is no whole number";
    errno = 0;
    const long long n = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || n < min || n > max)
        return "'" + text + "' is outside " + std::to_string(min) + ".." + std::to_string(max);
    if (value) *value = n;
    return {};
}

std::string CheckDecimalNumber(const std::string& text, double min, double max, double* value) {
    static const std::regex decimal("-?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?");
    if (text.size() > 64 || !std::regex_match(text, decimal)) return "'" + text + "' is no number";
    const double x = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(x) || x < min || x > max) return "'" + text + "' is outside " + Range(min, max);
    if (value) *value = x;
    return {};
}

int NumberOrName(const std::string& arg, int max, const char* const* names, const char* what) {
    if (arg.empty()) return 0;
    long long n = 0;
    if (CheckWholeNumber(arg, 1, max, &n).empty()) return static_cast<int>(n);
    if (names != nullptr) {
        const std::string gbk = text::Utf8ToGbk(arg);
        for (int i = 1; i <= max; ++i)
            if (gbk == names[i]) return i;
    }
    throw UsageError{std::string("bad ") + what + " '" + arg + "' (1.." + std::to_string(max) +
                     (names ? " or a name" : "") + ")"};
}

int GanZhiArg(const std::string& arg, const char* what) {
    if (arg.empty()) return 0;
    const std::string gbk = text::Utf8ToGbk(arg);
    for (int i = 1; i <= 60; ++i)
        if (gbk == calendar::GanZhiName(i)) return i;
    return NumberOrName(arg, 60, nullptr, what);
}

void CheckCalendarYear(long long year) {
    if (!calendar::InCalendarRange(year))
        throw UsageError{"year " + std::to_string(year) + " is outside the calendar's years " +
                         std::to_string(calendar::kFirstCalendarYear) + ".." +
                         std::to_string(calendar::kLastCalendarYear)};
}

int EnteredYear(long long n, bool bc) {
    if (bc && n < 1) throw UsageError{"with --bc the year counts from 1 (1 BC is year 0)"};
    const long long year = bc ? 1 - n : n;
    CheckCalendarYear(year);
    return static_cast<int>(year);
}

QuerySpan QueryYears(long long from, bool bc, long long years) {
    if (years < 1) throw UsageError{"--years must be at least 1"};
    QuerySpan span;
    span.first = EnteredYear(from, bc);
    span.cut = years > tools::kMaxQueryYears;
    span.years = static_cast<int>(span.cut ? tools::kMaxQueryYears : years);
    EnteredYear(static_cast<long long>(span.first) + span.years - 1, false);  // the last year, in the calendar too
    return span;
}

tools::DayCriteria DayCriteriaOf(const DayQueryOptions& o) {
    tools::DayCriteria k;
    k.solar_month = NumberOrName(o.solar_month, 12, nullptr, "--solar-month");
    k.solar_day = NumberOrName(o.solar_day, 31, nullptr, "--solar-day");
    k.lunar_month = NumberOrName(o.lunar_month, 24, nullptr, "--lunar-month");
    k.lunar_day = NumberOrName(o.lunar_day, 30, nullptr, "--lunar-day");
    k.hijri_month = NumberOrName(o.hijri_month, 12, nullptr, "--hijri-month");
    k.hijri_day = NumberOrName(o.hijri_day, 30, nullptr, "--hijri-day");
    k.ganzhi_year = GanZhiArg(o.ganzhi_year, "--ganzhi-year");
    k.ganzhi_month = GanZhiArg(o.ganzhi_month, "--ganzhi-month");
    k.ganzhi_day = GanZhiArg(o.ganzhi_day, "--ganzhi-day");
    k.weekday = NumberOrName(o.weekday, 7, calendar::WeekdayNames, "--weekday");
    k.term = NumberOrName(o.term, 24, calendar::SolarTermNames, "--term");
    k.festival = text::Utf8ToGbk(o.festival);
    return k;
}

tools::MonthCondition MonthConditionOf(const MonthQueryOptions& o) {
    if (o.leap + o.three_big + o.three_small + o.four_big != 1)
        throw UsageError{"give one of --leap, --three-big, --three-small, --four-big"};
    if (o.base_month != 0 && !o.leap) throw UsageError{"--base-month goes with --leap"};
    if (o.base_month < 0 || o.base_month > 12) throw UsageError{"--base-month is a month 1..12"};
    return o.leap          ? tools::MonthCondition::kLeapMonth
           : o.three_big   ? tools::MonthCondition::kThreeBig
           : o.three_small ? tools::MonthCondition::kThreeSmall
                           : tools::MonthCondition::kFourBig;
}

}  // namespace cli
