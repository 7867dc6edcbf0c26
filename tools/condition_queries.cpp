#include "tools/condition_queries.h"

#include <algorithm>
#include <cstdio>

#include "calendar/cycles.h"
#include "calendar/hijri.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "calendar/range.h"
#include "tools/year_days.h"

namespace tools {

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string Percent(double fraction, const char* format) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, fraction * 100.0);
    return buf;
}

bool Stopped(const std::atomic<bool>* stop) { return stop != nullptr && stop->load(std::memory_order_relaxed); }

bool Matches(const DayFacts& f, const DayCriteria& c) {
    if (c.solar_month && f.date.month != c.solar_month) return false;
    if (c.solar_day && f.date.day != c.solar_day) return false;
    if (c.lunar_month && f.lunar.month != c.lunar_month) return false;
    if (c.lunar_day && f.lunar.day != c.lunar_day) return false;
    if (c.hijri_month && f.hijri.month != c.hijri_month) return false;
    if (c.hijri_day && f.hijri.day != c.hijri_day) return false;
    if (c.ganzhi_year && f.ganzhi_year != c.ganzhi_year) return false;
    if (c.ganzhi_month && f.ganzhi_month != c.ganzhi_month) return false;
    if (c.ganzhi_day && f.ganzhi_day != c.ganzhi_day) return false;
    if (c.weekday && f.weekday != c.weekday) return false;
    if (c.term && f.term != c.term) return false;
    if (!c.festival.empty() && f.festival_text.find(c.festival) == std::string::npos) return false;
    return true;
}

std::string LunarYearText(int year) {
    return year >= 1 ? std::to_string(year) : "前" + std::to_string(1 - year);
}

struct LunarMonth {
    int year;
    int month;  // 1..24
    int length;
    astro::DayNumber first;
};

std::string MonthSpan(const LunarMonth& m) {
    return astro::DayNumberToDateText(m.first) + " ～ " + astro::DayNumberToDateText(m.first + m.length - 1);
}

std::string MonthName(int month) {
    // The name without the two blanks that align it in the day page's list.
    const std::string name = calendar::LunarMonthName(month);
    return name.substr(name.find_first_not_of(' '));
}

}  // namespace

std::vector<std::string> QueryFestivalNames() {
    return {"春节",   "元宵节", "春龙节", "端午节",     "火把节",   "七夕节",   "中元节",     "中秋节",
            "重阳节", "祭祖节", "腊八节", "小年",       "除夕",     "元旦节",   "情人节",     "妇女节",
            "植树节", "愚人节", "劳动节", "青年节",     "儿童节",   "建党节",   "建军节",     "教师节",
            "国庆节", "平安夜", "圣诞节", "万圣节",     "母亲节",   "父亲节",   "感恩节",     "复活节",
            "护士节", "消费者权益日", "世界地球日", "世界环境保护日", "香港回归纪念日", "澳门回归纪念日"};
}

QueryResult QueryDays(int y0, int count, const DayCriteria& criteria, int ganzhi_mode, const QueryProgress& progress,
                      const std::atomic<bool>* stop) {
    QueryResult result;
    result.years = std::clamp(count, 0, kMaxQueryYears);
    std::vector<std::string> lines;
    if (result.years > 0 && calendar::InCalendarRange(y0) && calendar::InCalendarRange(y0 + result.years - 1LL)) {
        const astro::DayNumber first = astro::DateToDayNumber(y0, 1, 1);
        const astro::DayNumber last = astro::DateToDayNumber(y0 + result.years - 1, 12, 31);
        const double total = last - first + 1;
        for (int year = y0; year < y0 + result.years && !result.stopped; ++year) {
            for (const DayFacts& f : FactsOfYear(year, ganzhi_mode)) {
                if (Stopped(stop)) {
                    result.stopped = true;
                    break;
                }
                if (Matches(f, criteria)) {
                    result.days.push_back(f.day);
                    lines.push_back("");
                    lines.push_back("第" + std::to_string(result.days.size()) + "个条件日：");
                    lines.push_back("    对应公历→" + astro::DayNumberToDateText(f.day));
                    lines.push_back("    对应农历→" + calendar::LunarDateText(f.lunar));
                    lines.push_back("    对应回历→" + calendar::HijriDateText(f.hijri));
                    lines.push_back(std::string("    对应星期→") + calendar::WeekdayNames[f.weekday]);
                    lines.push_back("    对应干支→" + calendar::GanZhiTextFrom(f.ganzhi_year, f.ganzhi_month, f.ganzhi_day));
                    if (f.term) lines.push_back("    对应节气→" + f.term_text);
                    lines.push_back("    对应节日→" + f.festival_text);
                }
                if (progress) {
                    const double done = (f.day - first + 1) / total;
                    progress("    正在查询，已完成 " + Percent(done, "%.2f") + "%...", done);
                }
            }
        }
    }
    const std::string found = std::to_string(result.days.size()) + " 个条件日";
    lines.push_back(result.stopped ? "    查询已停止，已找到 " + found : "    共找到 " + found);
    for (size_t i = 0; i < lines.size(); ++i) result.text += (i ? kLineEnd : "") + lines[i];
    return result;
}

QueryResult QueryMonths(int y0, int count, MonthCondition condition, int base_month, const QueryProgress& progress,
                        const std::atomic<bool>* stop) {
    QueryResult result;
    result.years = std::clamp(count, 0, kMaxQueryYears);
    std::vector<std::string> lines;
    const bool big = condition != MonthCondition::kThreeSmall;
    const int run_length = condition == MonthCondition::kFourBig ? 4 : 3;
    std::vector<LunarMonth> run;  // the current run of months of the wanted size, across years
    // A span that leaves the calendar's years is not searched (as for the days).
    const int searched = calendar::InCalendarRange(y0) && calendar::InCalendarRange(y0 + result.years - 1LL)
                             ? result.years
                             : 0;
    for (int i = 0; i < searched; ++i) {
        if (Stopped(stop)) {
            result.stopped = true;
            break;
        }
        const int year = y0 + i;
        const int months = calendar::LunarMonthCount(year);
        const astro::CalendarDate start = calendar::LunarToSolar(year, 1, 1);
        astro::DayNumber day = months ? astro::DateToDayNumber(start.year, start.month, start.day) : 0;
        for (int place = 1; place <= months; ++place) {
            const int m = calendar::MonthAtPlace(year, place);
            const LunarMonth month{year, m, calendar::LunarMonthLength(year, m), day};
            day += month.length;
            if (condition == MonthCondition::kLeapMonth) {
                if (m > 12 && (base_month == 0 || m - 12 == base_month)) {
                    result.months.push_back({month.first});
                    lines.push_back(MonthName(m) + (month.length == 30 ? "大" : "小") + "    " + MonthSpan(month));
                }
                continue;
            }
            if ((month.length == 30) != big) {
                run.clear();
                continue;
            }
            run.push_back(month);
            if (static_cast<int>(run.size()) < run_length) continue;
            // A run is complete; its months do not count again in another run.
            std::vector<astro::DayNumber> firsts;
            const int k = static_cast<int>(result.months.size()) + 1;
            lines.push_back("第" + std::to_string(k) + "组" + (run_length == 4 ? "四连" : "三连") + (big ? "大" : "小") +
                            "月：");
            for (const LunarMonth& r : run) {
                firsts.push_back(r.first);
                lines.push_back("    " + LunarYearText(r.year) + "年" + MonthName(r.month) + (big ? "大" : "小") + "→" +
                                MonthSpan(r));
            }
            result.months.push_back(firsts);
            run.clear();
        }
        if (progress) {
            const double done = (i + 1.0) / result.years;
            progress("    正在查询，已完成 " + Percent(done, "%.1f") + "%...", done);
        }
    }
    std::string what;
    switch (condition) {
        case MonthCondition::kLeapMonth:
            what = base_month ? " 个农历闰" + MonthName(base_month) : std::string(" 个农历闰月");
            break;
        case MonthCondition::kThreeBig: what = " 组三连大月"; break;
        case MonthCondition::kThreeSmall: what = " 组三连小月"; break;
        case MonthCondition::kFourBig: what = " 组四连大月"; break;
    }
    const std::string found = std::to_string(result.months.size()) + what;
    lines.push_back(result.stopped ? "    查询已停止，已找到 " + found : "    共找到 " + found);
    for (size_t i = 0; i < lines.size(); ++i) result.text += (i ? kLineEnd : "") + lines[i];
    return result;
}

}  // namespace tools
