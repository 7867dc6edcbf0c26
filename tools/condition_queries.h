// Condition queries: the days, or the lunar months, of a span of years that meet the conditions
// the user picks. A search reports its progress through a callback and stops early when the stop
// flag is raised; its result is the text the tools window shows (GBK, lines separated by CR LF).
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "astro/day_numbers.h"

namespace tools {

constexpr int kMaxQueryYears = 100;

// 0 in a field means "any".
struct DayCriteria {
    int solar_month = 0;  // 1..12
    int solar_day = 0;    // 1..31
    int lunar_month = 0;  // 1..24, leap months as month + 12
    int lunar_day = 0;    // 1..30
    int hijri_month = 0;  // 1..12
    int hijri_day = 0;    // 1..30
    int ganzhi_year = 0;  // sexagenary indexes 1..60
    int ganzhi_month = 0;
    int ganzhi_day = 0;
    int weekday = 0;      // 1 = 星期一 .. 7 = 星期日
    int term = 0;         // solar term 1..24: the day of that term
    std::string festival; // GBK: the day's festival text must contain it
};

// The festival names the query offers: the lunar festivals, the fixed-date festivals and the
// weekday-rule ones (复活节, 母亲节, 父亲节, 感恩节).
std::vector<std::string> QueryFestivalNames();

enum class MonthCondition { kLeapMonth, kThreeBig, kThreeSmall, kFourBig };

// Progress: the status text ("    正在查询，已完成 12.34%...") and the completed fraction 0..1.
using QueryProgress = std::function<void(const std::string& status, double fraction)>;

struct QueryResult {
    std::string text;                      // what the window shows, summary last
    std::vector<astro::DayNumber> days;    // condition days: each hit
    std::vector<std::vector<astro::DayNumber>> months;  // condition months: first days of each hit's months
    int years = 0;                         // the years searched (the count is capped at 100)
    bool stopped = false;
};

// The span starts at astronomical year y0 (1 - n for n BC) and covers `count` years, at most 100.
QueryResult QueryDays(int y0, int count, const DayCriteria& criteria, int ganzhi_mode,
                      const QueryProgress& progress = {}, const std::atomic<bool>* stop = nullptr);
// base_month 1..12 restricts leap months to those after that month (0 = any).
QueryResult QueryMonths(int y0, int count, MonthCondition condition, int base_month,
                        const QueryProgress& progress = {}, const std::atomic<bool>* stop = nullptr);

}  // namespace tools
