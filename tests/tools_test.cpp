#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "astro/sun_times.h"
#include "calendar/cycles.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "text/encoding.h"
#include "tools/condition_queries.h"
#include "tools/date_tools.h"
#include "tools/year_days.h"
#include "tools/yearly_tables.h"

namespace {

using namespace tools;
using astro::DateToDayNumber;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        out.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return out;
}

bool StartsWith(const std::string& text, const std::string& head) { return text.rfind(head, 0) == 0; }

// ---------------------------------------------------------------------------------------------
// Date entry and the calculators.

TEST(DateEntry, FormsCalendarsAndTheBcFlag) {
    EXPECT_EQ(EnteredDateToDayNumber("01-01-2000", false, EntryCalendar::kGregorian), 2451545);
    EXPECT_EQ(EnteredDateToDayNumber("1-1-2000", false, EntryCalendar::kGregorian), 2451545);
    // 12-31-0001 BC is 31 December of year 0.
    EXPECT_EQ(EnteredDateToDayNumber("12-31-0001", true, EntryCalendar::kGregorian), DateToDayNumber(0, 12, 31));
    EXPECT_EQ(EnteredDateToDayNumber("01-01-0104", true, EntryCalendar::kGregorian), DateToDayNumber(-103, 1, 1));
    // Lunar: 正月初一 2024, and a leap month only in the year that has it.
    EXPECT_EQ(EnteredDateToDayNumber("01-01-2024", false, EntryCalendar::kLunar), DateToDayNumber(2024, 2, 10));
    EXPECT_EQ(EnteredDateToDayNumber("14-01-2023", false, EntryCalendar::kLunar), DateToDayNumber(2023, 3, 22));
    EXPECT_EQ(EnteredDateToDayNumber("14-01-2024", false, EntryCalendar::kLunar), astro::InvalidDayNumber);
    EXPECT_EQ(EnteredDateToDayNumber("12-30-2024", false, EntryCalendar::kLunar), astro::InvalidDayNumber);  // 腊月 is small
    // Hijri: 1 Muharram 1 is 622-07-16 (Julian).
    EXPECT_EQ(EnteredDateToDayNumber("01-01-0001", false, EntryCalendar::kHijri), 1948440);
    for (const char* bad : {"", "1-1-1", "01-01-20240", "2024-01-01x", "01/01/2024", "01-01", "01--01-2024",
                            "001-01-2024", "-01-01-2024", "01-01-0000", "13-01-2024", "02-30-2024", "10-10-1582"}) {
        if (std::string(bad) == "1-1-1") continue;  // five characters: a valid entry (year 1)
        EXPECT_EQ(EnteredDateToDayNumber(bad, false, EntryCalendar::kGregorian), astro::InvalidDayNumber) << bad;
    }
    EXPECT_EQ(EnteredDateToDayNumber("1-1-1", false, EntryCalendar::kGregorian), DateToDayNumber(1, 1, 1));
}

TEST(DateEntry, TheToolsRangeAndItsMessages) {
    // The tools take every date of the calendar's years, 9000 BC (year -8999) to AD 9000; with
    // 纪元前 the year n is the astronomical year 1 - n, so 12-31-0001 BC is 0000-12-31, the day
    // before 0001-01-01. Day numbers are Julian day numbers, counted in the Julian calendar before
    // 1582-10-15 (hand-checked with the Fliegel-Van Flandern formulas).
    const struct {
        const char* text;
        bool bc;
        EntryCalendar calendar;
        astro::DayNumber day;  // InvalidDayNumber: refused as out of range
    } cases[] = {
        {"12-31-0001", true, EntryCalendar::kGregorian, 1721423},
        {"01-01-0400", false, EntryCalendar::kGregorian, 1867158},
        {"12-31-0399", false, EntryCalendar::kGregorian, 1867157},
        {"01-01-5001", false, EntryCalendar::kGregorian, 3547638},
        {"12-31-9000", false, EntryCalendar::kGregorian, 5008607},
        {"01-01-9001", false, EntryCalendar::kGregorian, astro::InvalidDayNumber},
        {"01-01-9000", true, EntryCalendar::kGregorian, -1565826},
        {"12-31-9001", true, EntryCalendar::kGregorian, astro::InvalidDayNumber},
        // Hijri dates up to the Gregorian 9000-12-31 (Hijri 8636-08-05), and none beyond the day
        // numbers either (Hijri 9666-04-02 is 9999-12-31).
        {"08-05-8636", false, EntryCalendar::kHijri, 5008607},
        {"08-06-8636", false, EntryCalendar::kHijri, astro::InvalidDayNumber},
        {"06-01-9700", false, EntryCalendar::kHijri, astro::InvalidDayNumber},
    };
    for (const auto& c : cases) {
        const EnteredDate d = ParseEnteredDate(c.text, c.bc, c.calendar);
        EXPECT_EQ(d.day, c.day) << c.text << (c.bc ? " BC" : "");
        EXPECT_EQ(d.message, c.day == astro::InvalidDayNumber ? kOutOfCalendar : "") << c.text;
    }
    EXPECT_EQ(std::string(kOutOfCalendar), "超出计算范围：本工具适用于公元前9000年～公元9000年");
    EXPECT_EQ(ParseEnteredDate("02-30-2024", false, EntryCalendar::kGregorian).message, "没有这个日期");
    EXPECT_NE(ParseEnteredDate("2024-02-10", false, EntryCalendar::kGregorian).message.find("格式"), std::string::npos);
    EXPECT_NE(ParseEnteredDate("01-01-0000", false, EntryCalendar::kGregorian).message.find("0年"), std::string::npos);
    // Digits beyond the form are refused as a bad form, however many (no number is built from them).
    EXPECT_NE(ParseEnteredDate("01-01-9999999999", false, EntryCalendar::kGregorian).message.find("格式"),
              std::string::npos);
}

TEST(Calculators, JulianDayIntervalGanZhiAndConversion) {
    const EnteredDate y2k = ParseEnteredDate("01-01-2000", false, EntryCalendar::kGregorian);
    EXPECT_EQ(JulianDayResult(y2k), "2451545");
    EXPECT_EQ(IntervalResult(y2k, y2k), "0");
    const EnteredDate festival = ParseEnteredDate("02-10-2024", false, EntryCalendar::kGregorian);
    EXPECT_EQ(IntervalResult(y2k, festival), "8806");
    EXPECT_EQ(IntervalResult(festival, y2k), "-8806");
    EXPECT_EQ(IntervalResult(EnteredDate{}, festival), "");
    const ThreeCalendars later = DateAfterDays(y2k, "8806");
    EXPECT_EQ(later.gregorian, "AD02-10-2024");
    EXPECT_EQ(later.lunar, "AD01-01-2024");
    EXPECT_FALSE(later.hijri.empty());
    EXPECT_EQ(DateAfterDays(festival, "-8806").gregorian, "AD01-01-2000");
    EXPECT_EQ(DateAfterDays(festival, "0").gregorian, "AD02-10-2024");
    EXPECT_EQ(later.message, "");
    // A number of days the tool does not take, or a date beyond the day numbers (2024-02-10 is
    // day 2460351, 9999-12-31 day 5373484, -9998-01-01 day -1930711): no date, and the reason.
    const char* const kBadCount = "间隔日数格式不对，请输入整数，例如 100 或 -100";
    const char* const kOutOfRange = "超出计算范围：所得日期不在可计算的日期之内";
    const struct {
        const char* days;
        const char* gregorian;
        const char* message;
    } cases[] = {{"2913133", "AD12-31-9999", ""}, {"2913134", "", kOutOfRange}, {"99999999", "", kOutOfRange},
                 {"-4391062", "BC01-01-9999", ""}, {"-4391063", "", kOutOfRange},   {"1-2", "", kBadCount},       {"-", "", kBadCount},
                 {"", "", kBadCount},             {"1x", "", kBadCount},        {"+5", "", kBadCount},
                 {"1234567890", "", kBadCount},   {"--1", "", kBadCount}};
    for (const auto& c : cases) {
        const ThreeCalendars t = DateAfterDays(festival, c.days);
        EXPECT_EQ(t.gregorian, c.gregorian) << c.days;
        EXPECT_EQ(t.message, c.message) << c.days;
    }
    EXPECT_EQ(GanZhiResult(festival, 0), "甲辰(龙)年丙寅月甲辰日");
    EXPECT_EQ(GanZhiResult(EnteredDate{}, 0), "");
    const ThreeCalendars converted = ConvertResult(ParseEnteredDate("01-01-2024", false, EntryCalendar::kLunar));
    EXPECT_EQ(converted.gregorian, "AD02-10-2024");
    EXPECT_EQ(converted.lunar, "AD01-01-2024");
    EXPECT_EQ(ConvertResult(ParseEnteredDate(converted.hijri.substr(2, 2) + converted.hijri.substr(4, 4) +
                                                 converted.hijri.substr(8),
                                             false, EntryCalendar::kHijri))
                  .gregorian,
              "AD02-10-2024");
}

// ---------------------------------------------------------------------------------------------
// Yearly tables.

TEST(YearlyTables, LunarMonthsOfALeapYear) {
    // 2023 (癸卯) has 闰二月; its months as the official calendar gives them.
    const std::string expected =
        "    农历 2023 年共 13 个月\r\n"
        "正月小       对应公历AD01-22-2023 ～ AD02-19-2023\r\n"
        "二月大       对应公历AD02-20-2023 ～ AD03-21-2023\r\n"
        "闰二月小     对应公历AD03-22-2023 ～ AD04-19-2023\r\n"
        "三月小       对应公历AD04-20-2023 ～ AD05-18-2023\r\n"
        "四月大       对应公历AD05-19-2023 ～ AD06-17-2023\r\n"
        "五月大       对应公历AD06-18-2023 ～ AD07-17-2023\r\n"
        "六月小       对应公历AD07-18-2023 ～ AD08-15-2023\r\n"
        "七月大       对应公历AD08-16-2023 ～ AD09-14-2023\r\n"
        "八月大       对应公历AD09-15-2023 ～ AD10-14-2023\r\n"
        "九月小       对应公历AD10-15-2023 ～ AD11-12-2023\r\n"
        "十月大       对应公历AD11-13-2023 ～ AD12-12-2023\r\n"
        "冬月小       对应公历AD12-13-2023 ～ AD01-10-2024\r\n"
        "腊月大       对应公历AD01-11-2024 ～ AD02-09-2024";
    EXPECT_EQ(LunarMonthsTable(2023), expected);
    EXPECT_EQ(Lines(LunarMonthsTable(2024)).size(), 13u);  // header and twelve months
    EXPECT_EQ(Lines(LunarMonthsTable(2024))[0], "    农历 2024 年共 12 个月");
    EXPECT_EQ(LunarMonthsTable(9999), "");
}

TEST(YearlyTables, SolarTermsTwoPerLine) {
    // The days of 2024's terms (Purple Mountain Observatory); the times are the engine's.
    const int days[24][2] = {{1, 6},  {1, 20}, {2, 4},  {2, 19}, {3, 5},  {3, 20}, {4, 4},   {4, 19},
                             {5, 5},  {5, 20}, {6, 5},  {6, 21}, {7, 6},  {7, 22}, {8, 7},   {8, 22},
                             {9, 7},  {9, 22}, {10, 8}, {10, 23}, {11, 7}, {11, 22}, {12, 6}, {12, 21}};
    std::string expected = "    公历 2024 年共 24 个节气";
    for (int i = 0; i < 24; ++i) {
        const double when =
            calendar::NextSolarTerm(DateToDayNumber(2024, days[i][0], days[i][1]), false).when;
        ASSERT_EQ(static_cast<int>(std::floor(when)), DateToDayNumber(2024, days[i][0], days[i][1])) << i;
        char entry[64];
        std::snprintf(entry, sizeof entry, "%02d: %s%02d月%02d日%s", i + 1, calendar::SolarTermNames[i + 1], days[i][0],
                      days[i][1], astro::JulianDayToDateTimeText(when).substr(13).c_str());
        expected += (i % 2 == 0 ? "\r\n" : "   ") + std::string(entry);
    }
    EXPECT_EQ(SolarTermsTable(2024), expected);
    EXPECT_EQ(Lines(SolarTermsTable(2024)).size(), 13u);
}

TEST(YearlyTables, YearsWithTwentyThreeOrTwentyFiveTerms) {
    // Far from our era the Julian calendar year drifts against the tropical year; a year of 366
    // days can hold a term on 1 January and again on 31 December.
    int found25 = 0;
    int found23 = 0;
    for (int y = -3000; y <= -1000 && (!found25 || !found23); ++y) {
        const std::vector<TableEntry> terms = SolarTermsOfYear(y);
        if (terms.size() == 25 && !found25) found25 = y;
        if (terms.size() == 23 && !found23) found23 = y;
    }
    ASSERT_NE(found25, 0);
    ASSERT_NE(found23, 0);
    for (int y : {found25, found23}) {
        SCOPED_TRACE(y);
        const std::vector<TableEntry> terms = SolarTermsOfYear(y);
        for (const TableEntry& t : terms)
            EXPECT_EQ(astro::DayNumberToDate(static_cast<astro::DayNumber>(std::floor(t.when))).year, y);
        const std::string header = Lines(SolarTermsTable(y))[0];
        EXPECT_EQ(header, YearHeader("公历", y) + " 年共 " + std::to_string(terms.size()) + " 个节气");
        EXPECT_EQ(header.substr(0, 11), "    公历 前");
    }
}

TEST(YearlyTables, NewAndFullMoons) {
    const std::vector<std::string> lines = Lines(MoonsTable(2024));
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "    公历 2024 年共 13 次塑日 12 次望日");
    EXPECT_TRUE(StartsWith(lines[1], "塑日 01月11日19:5"));
    EXPECT_EQ(lines[1].substr(21), "         望日 01月26日" + lines[1].substr(43));
    EXPECT_TRUE(StartsWith(lines[13], "塑日 12月31日"));
    EXPECT_EQ(lines[13].size(), 21u);  // the full moon after it falls in 2025
    // 2025 begins with a full moon (13 January): the header and the lines name 望日 first.
    const std::vector<std::string> l2025 = Lines(MoonsTable(2025));
    EXPECT_EQ(l2025[0], "    公历 2025 年共 12 次望日 12 次塑日");
    EXPECT_TRUE(StartsWith(l2025[1], "望日 01月14日"));
}

TEST(YearlyTables, SunTimesOfEveryDay) {
    const std::vector<std::string> lines = Lines(SunTimesTable(2024, 1, 1, false));
    ASSERT_EQ(lines.size(), 367u);
    EXPECT_EQ(lines[0], "    公历 2024 年 北京天安门 日出日落时刻");
    const astro::DayNumber june21 = DateToDayNumber(2024, 6, 21);
    EXPECT_EQ(lines[173], "06-21 日出时刻" + astro::SunEventTime(june21, -116.38, 39.90, 8, 1) + " 日落时刻" +
                              astro::SunEventTime(june21, -116.38, 39.90, 8, 3));
    EXPECT_TRUE(StartsWith(lines[173], "06-21 日出时刻04:46:1"));
    // The twilight table: dawn first, dusk second (Beijing at midsummer: civil twilight begins at
    // 04:13:22 and ends at 20:19:11); at the North Pole in midwinter neither comes, in midsummer
    // dawn is at the day's start and dusk at its end.
    const struct {
        int province, city;
        int line;  // 1 = 01-01
        const char* expected;
    } twilight[] = {
        {1, 1, 173, "06-21 天亮时刻04:13:2? 天黑时刻20:19:1?"},
        {35, 2, 356, "12-21 天亮时刻00:00:00 天黑时刻00:00:00"},
        {35, 2, 173, "06-21 天亮时刻00:00:00 天黑时刻24:00:00"},
    };
    for (const auto& t : twilight) {
        const std::string line = Lines(SunTimesTable(2024, t.province, t.city, true))[t.line];
        const std::string pattern = t.expected;
        bool same = line.size() == pattern.size();
        for (size_t i = 0; same && i < line.size(); ++i) same = pattern[i] == '?' || pattern[i] == line[i];
        EXPECT_TRUE(same) << line << " vs " << pattern;
    }
    // 1582 has 355 days: 4 October is followed by 15 October.
    const std::vector<std::string> l1582 = Lines(SunTimesTable(1582, 1, 1, true));
    ASSERT_EQ(l1582.size(), 356u);
    EXPECT_EQ(l1582[0], "    公历 1582 年 北京天安门 天亮天黑时刻");
    EXPECT_EQ(l1582[277].substr(0, 5), "10-04");
    EXPECT_EQ(l1582[278].substr(0, 5), "10-15");
    EXPECT_EQ(l1582[278].substr(5, 9), " 天亮时刻");
    // A BC year.
    EXPECT_EQ(Lines(SunTimesTable(-103, 35, 2, false))[0], "    公历 前104 年 国外北极点 日出日落时刻");
}

// ---------------------------------------------------------------------------------------------
// The per-year facts against the direct lookups.

TEST(YearDays, CachedFactsEqualTheDirectOnesOnWholeYears) {
    for (int year : {2024, 2033, 1700, 1000, 300}) {
        for (int mode : {0, 1}) {
            SCOPED_TRACE(std::to_string(year) + " mode " + std::to_string(mode));
            const std::vector<DayFacts> facts = FactsOfYear(year, mode);
            ASSERT_EQ(static_cast<int>(facts.size()), astro::DaysInYear(year));
            int mismatches = 0;
            for (const DayFacts& f : facts) {
                const DayFacts d = FactsOfDay(f.day, mode);
                const bool same = f.lunar.year == d.lunar.year && f.lunar.month == d.lunar.month &&
                                  f.lunar.day == d.lunar.day && f.hijri == d.hijri && f.ganzhi_year == d.ganzhi_year &&
                                  f.ganzhi_month == d.ganzhi_month && f.ganzhi_day == d.ganzhi_day &&
                                  f.weekday == d.weekday && f.term == d.term && f.term_text == d.term_text &&
                                  f.festival_text == d.festival_text;
                if (!same && ++mismatches < 5) ADD_FAILURE() << astro::DayNumberToDateText(f.day);
            }
            EXPECT_EQ(mismatches, 0);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Condition queries.

TEST(ConditionDays, AnyCriterionMatchesEveryDay) {
    const QueryResult r = QueryDays(2023, 2, DayCriteria{}, 0);
    EXPECT_EQ(r.days.size(), 365u + 366u);
    EXPECT_EQ(r.years, 2);
    EXPECT_FALSE(r.stopped);
    const std::vector<std::string> lines = Lines(r.text);
    EXPECT_EQ(lines.back(), "    共找到 731 个条件日");
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "第1个条件日：");
    EXPECT_EQ(lines[2], "    对应公历→AD01-01-2023");
    EXPECT_EQ(lines[3], "    对应农历→AD12-10-2022");
    EXPECT_EQ(lines[5], "    对应星期→星期日");
    EXPECT_EQ(lines[6].substr(0, 12), "    对应干支");
}

TEST(ConditionDays, ALeapMonthCriterionMatchesOnlyThatLeapMonth) {
    DayCriteria c;
    c.lunar_month = 14;  // 闰二月
    const QueryResult r = QueryDays(2020, 10, c, 0);
    // Of 2020..2029 only 2023 has 闰二月 (22 March .. 19 April 2023).
    ASSERT_EQ(r.days.size(), 29u);
    EXPECT_EQ(r.days.front(), DateToDayNumber(2023, 3, 22));
    EXPECT_EQ(r.days.back(), DateToDayNumber(2023, 4, 19));
}

TEST(ConditionDays, EveryCriterionTogether) {
    DayCriteria c;
    c.term = 6;        // 春分
    c.weekday = 3;     // 星期三
    c.festival = "";
    const QueryResult r = QueryDays(2000, 30, c, 0);
    for (astro::DayNumber d : r.days) {
        EXPECT_EQ(astro::Weekday(d), 3);
        EXPECT_EQ(calendar::CurrentSolarTerm(d), 6);
        EXPECT_NE(calendar::CurrentSolarTerm(d - 1), 6);
    }
    EXPECT_GE(r.days.size(), 2u);
    EXPECT_NE(r.text.find("    对应节气→今日春分"), std::string::npos);
    // Festivals, lunar and solar alike.
    DayCriteria f;
    f.festival = "中秋节";
    f.solar_month = 9;
    EXPECT_EQ(QueryDays(2024, 1, f, 0).days, std::vector<astro::DayNumber>{DateToDayNumber(2024, 9, 17)});
    DayCriteria e;
    e.festival = "复活节";
    EXPECT_EQ(QueryDays(2024, 1, e, 0).days, std::vector<astro::DayNumber>{DateToDayNumber(2024, 3, 31)});
    // Sexagenary day 甲子 recurs every 60 days.
    DayCriteria g;
    g.ganzhi_day = 1;
    const QueryResult jiazi = QueryDays(2024, 1, g, 0);
    for (size_t i = 1; i < jiazi.days.size(); ++i) EXPECT_EQ(jiazi.days[i] - jiazi.days[i - 1], 60);
    EXPECT_NE(Lines(QueryDays(2024, 1, DayCriteria{}, 0).text).back().find("共找到 366 个条件日"), std::string::npos);
}

TEST(ConditionDays, TheSpanIsCappedAtAHundredYears) {
    DayCriteria c;
    c.solar_month = 2;
    c.solar_day = 29;
    const QueryResult r = QueryDays(1901, 150, c, 0);
    EXPECT_EQ(r.years, 100);
    EXPECT_EQ(r.days.size(), 25u);  // 1904 .. 1996 and 2000 (the years 1901..2000)
    EXPECT_EQ(r.days.back(), DateToDayNumber(2000, 2, 29));
    // A span that leaves the calendar's years (-8999..9000) is not searched, however far out it
    // starts; a span that ends on 9000 is.
    EXPECT_EQ(QueryDays(9000, 1, DayCriteria{}, 0).days.size(), 365u);  // 9000 is no Gregorian leap year
    for (int y0 : {9000, std::numeric_limits<int>::max(), -9000, std::numeric_limits<int>::min()}) {
        EXPECT_TRUE(QueryDays(y0, 2, DayCriteria{}, 0).days.empty()) << y0;
        EXPECT_TRUE(QueryMonths(y0, 2, MonthCondition::kThreeBig, 0).months.empty()) << y0;
    }
}

TEST(ConditionDays, StoppingMidwayLeavesAConsistentText) {
    std::atomic<bool> stop{false};
    double last = 0.0;
    std::string status;
    const QueryResult r = QueryDays(
        2000, 10, DayCriteria{}, 0,
        [&](const std::string& s, double fraction) {
            status = s;
            last = fraction;
            if (fraction > 0.25) stop = true;
        },
        &stop);
    EXPECT_TRUE(r.stopped);
    EXPECT_GT(last, 0.25);
    EXPECT_LT(last, 0.26);
    ASSERT_TRUE(StartsWith(status, "    正在查询，已完成 "));
    const std::string percent = status.substr(std::string("    正在查询，已完成 ").size());
    EXPECT_TRUE(std::regex_match(percent, std::regex("\\d+\\.\\d\\d%\\.\\.\\."))) << percent;
    const std::vector<std::string> lines = Lines(r.text);
    EXPECT_EQ(lines.back(), "    查询已停止，已找到 " + std::to_string(r.days.size()) + " 个条件日");
    int headings = 0;
    for (const std::string& l : lines)
        if (StartsWith(l, "第")) ++headings;
    EXPECT_EQ(headings, static_cast<int>(r.days.size()));
}

TEST(ConditionMonths, LeapMonths) {
    const QueryResult all = QueryMonths(1900, 100, MonthCondition::kLeapMonth, 0);
    // 37 leap months in 1900..1999 (seven in every nineteen years).
    EXPECT_EQ(all.months.size(), 37u);
    const std::vector<std::string> lines = Lines(all.text);
    EXPECT_EQ(lines.front(), "闰八月小    AD09-24-1900 ～ AD10-22-1900");
    EXPECT_EQ(lines.back(), "    共找到 37 个农历闰月");
    const QueryResult fifth = QueryMonths(1900, 100, MonthCondition::kLeapMonth, 5);
    EXPECT_EQ(Lines(fifth.text).back(), "    共找到 " + std::to_string(fifth.months.size()) + " 个农历闰五月");
    for (const std::string& l : Lines(fifth.text))
        if (!StartsWith(l, "    ")) {
            EXPECT_TRUE(StartsWith(l, "闰五月"));
        }
    EXPECT_EQ(Lines(QueryMonths(2024, 1, MonthCondition::kLeapMonth, 0).text).back(), "    共找到 0 个农历闰月");
    EXPECT_EQ(Lines(QueryMonths(2024, 1, MonthCondition::kLeapMonth, 3).text).back(), "    共找到 0 个农历闰三月");
}

TEST(ConditionMonths, RunsOfBigAndSmallMonths) {
    for (MonthCondition condition : {MonthCondition::kThreeBig, MonthCondition::kThreeSmall, MonthCondition::kFourBig}) {
        // Three small months in a row are rare: none in 1900..1999, three in 2000..2099.
        const QueryResult r = QueryMonths(2000, 100, condition, 0);
        const size_t length = condition == MonthCondition::kFourBig ? 4 : 3;
        const int size = condition == MonthCondition::kThreeSmall ? 29 : 30;
        ASSERT_FALSE(r.months.empty());
        astro::DayNumber previous_end = 0;
        for (const std::vector<astro::DayNumber>& run : r.months) {
            ASSERT_EQ(run.size(), length);
            for (size_t i = 0; i < run.size(); ++i) {
                const astro::DayNumber next = i + 1 < run.size() ? run[i + 1] : calendar::NewMoonDay(run[i] + 20);
                EXPECT_EQ(next - run[i], size);  // consecutive months of that size
            }
            EXPECT_GT(run.front(), previous_end);  // runs do not overlap
            previous_end = run.back();
        }
        const std::vector<std::string> lines = Lines(r.text);
        EXPECT_TRUE(StartsWith(lines[0], "第1组"));
        EXPECT_EQ(lines.size(), r.months.size() * (length + 1) + 1);
    }
    EXPECT_EQ(Lines(QueryMonths(1900, 100, MonthCondition::kThreeSmall, 0).text).back(), "    共找到 0 组三连小月");
}

}  // namespace
