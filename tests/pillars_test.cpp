// The birth pillars and the solar times they rest on, against values from outside the code: the
// equation of time against an independent solar theory, China's daylight saving time against the
// IANA time zone database, and the pillars of births around 立春, a 节, the 时辰 boundaries and the
// 23:00 day change worked out by hand from published term instants and equation-of-time values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "almanac/pillars.h"
#include "astro/day_numbers.h"
#include "astro/solar_time.h"
#include "calendar/cycles.h"
#include "calendar/names.h"

namespace {

using namespace almanac;

constexpr double kDeg = 3.14159265358979323846 / 180.0;

// The equation of time in minutes by a second, independent computation: the Sun's coordinates of
// Meeus, "Astronomical Formulae for Calculators" (4th ed., ch. 18: Newcomb's mean elements with the
// perturbations by Venus, Jupiter and the Moon and the long-period term), the nutation of Meeus,
// "Astronomical Algorithms" ch. 22 in its four-term form and the IAU 1980 mean obliquity; then
// E = L - 0.0057183 deg - alpha + dpsi cos(eps). Its own error is a few tenths of a second.
double ReferenceEquationOfTime(double jd_tt) {
    const double t = (jd_tt - 2415020.0) / 36525.0;  // Julian centuries from 1900 January 0.5
    const double l = 279.69668 + 36000.76892 * t + 0.0003025 * t * t;
    const double m = 358.47583 + 35999.04975 * t - 0.000150 * t * t - 0.0000033 * t * t * t;
    const double e = 0.01675104 - 0.0000418 * t - 0.000000126 * t * t;
    const double c = (1.919460 - 0.004789 * t - 0.000014 * t * t) * std::sin(m * kDeg) +
                     (0.020094 - 0.000100 * t) * std::sin(2 * m * kDeg) + 0.000293 * std::sin(3 * m * kDeg);
    const double a = 153.23 + 22518.7541 * t, b = 216.57 + 45037.5082 * t, cj = 312.69 + 32964.3577 * t;
    const double d = 350.74 + 445267.1142 * t - 0.00144 * t * t, lp = 231.19 + 20.20 * t;
    const double perturbation = 0.00134 * std::cos(a * kDeg) + 0.00154 * std::cos(b * kDeg) +
                                0.00200 * std::cos(cj * kDeg) + 0.00179 * std::sin(d * kDeg) + 0.00178 * std::sin(lp * kDeg);
    const double nu = m + c;
    const double radius = 1.0000002 * (1 - e * e) / (1 + e * std::cos(nu * kDeg));
    // Nutation and obliquity, with T from J2000.
    const double t2 = (jd_tt - 2451545.0) / 36525.0;
    const double omega = 125.04452 - 1934.136261 * t2;
    const double ls = 280.4665 + 36000.7698 * t2, lm = 218.3165 + 481267.8813 * t2;
    const double dpsi = (-17.20 * std::sin(omega * kDeg) - 1.32 * std::sin(2 * ls * kDeg) -
                         0.23 * std::sin(2 * lm * kDeg) + 0.21 * std::sin(2 * omega * kDeg)) / 3600.0;
    const double deps = (9.20 * std::cos(omega * kDeg) + 0.57 * std::cos(2 * ls * kDeg) + 0.10 * std::cos(2 * lm * kDeg) -
                         0.09 * std::cos(2 * omega * kDeg)) / 3600.0;
    const double eps0 = 23.0 + 26.0 / 60.0 + 21.448 / 3600.0 - (46.8150 * t2 + 0.00059 * t2 * t2 - 0.001813 * t2 * t2 * t2) / 3600.0;
    const double eps = (eps0 + deps) * kDeg;
    const double lambda = (l + c + perturbation + dpsi - 20.4898 / 3600.0 / radius) * kDeg;
    const double alpha = std::atan2(std::cos(eps) * std::sin(lambda), std::cos(lambda)) / kDeg;
    double eq = l - 0.0057183 - alpha + dpsi * std::cos(eps);
    eq -= 360.0 * std::floor((eq + 180.0) / 360.0);
    return eq * 4.0;
}

TEST(EquationOfTime, EveryDayOf2024AgreesWithAnIndependentTheoryWithinOneSecond) {
    double worst = 0.0;
    for (astro::DayNumber n = astro::DateToDayNumber(2024, 1, 1); n <= astro::DateToDayNumber(2024, 12, 31); ++n) {
        const double ut = n - 0.5;  // 0h UT
        const double ours = astro::EquationOfTimeMinutes(ut) * 60.0;
        const double theirs = ReferenceEquationOfTime(astro::UniversalToDynamical(ut)) * 60.0;
        worst = std::max(worst, std::fabs(ours - theirs));
        ASSERT_NEAR(ours, theirs, 1.0) << astro::DayNumberToDateText(n);
    }
    std::printf("equation of time 2024: largest difference from the independent theory %.3f s\n", worst);
    // The published extremes, at noon UT: about -14m14s on 11 February, +16m25s on 3 November.
    EXPECT_NEAR(astro::EquationOfTimeMinutes(astro::DateToDayNumber(2024, 2, 11)) * 60, -14 * 60 - 14, 6);
    EXPECT_NEAR(astro::EquationOfTimeMinutes(astro::DateToDayNumber(2024, 11, 3)) * 60, 16 * 60 + 25, 6);
}

// China's daylight saving time as the IANA database has it (zdump -v Asia/Shanghai, tzdata 2025b):
// the wall-clock minute at which the clocks jumped forward (the hour from it did not exist) and the
// one at which they went back (the hour before it came twice).
struct Change {
    int y1, m1, d1, forward_minute;  // 1986-05-04 02:00 -> 03:00
    int y2, m2, d2, back_minute;     // 1986-09-14 02:00 -> 01:00; 1440 = 24:00 -> 23:00
};
constexpr Change kShanghai[] = {
    {1919, 4, 13, 0, 1919, 9, 30, 1440},  {1940, 6, 1, 0, 1940, 10, 12, 1440},  {1941, 3, 15, 0, 1941, 11, 1, 1440},
    {1942, 1, 31, 0, 1945, 9, 1, 1440},   {1946, 5, 15, 0, 1946, 9, 30, 1440},  {1947, 4, 15, 0, 1947, 10, 31, 1440},
    {1948, 5, 1, 0, 1948, 9, 30, 1440},   {1949, 5, 1, 0, 1949, 5, 27, 1440},   {1986, 5, 4, 120, 1986, 9, 14, 120},
    {1987, 4, 12, 120, 1987, 9, 13, 120}, {1988, 4, 17, 120, 1988, 9, 11, 120}, {1989, 4, 16, 120, 1989, 9, 17, 120},
    {1990, 4, 15, 120, 1990, 9, 16, 120}, {1991, 4, 14, 120, 1991, 9, 15, 120},
};

ClockReading At(int y, int m, int d, int minute_of_day) {
    // Minutes past 24:00 belong to the next day.
    astro::DayNumber n = astro::DateToDayNumber(y, m, d) + minute_of_day / 1440;
    const astro::CalendarDate c = astro::DayNumberToDate(n);
    minute_of_day %= 1440;
    return ChinaClockReading(c.year, c.month, c.day, minute_of_day / 60, minute_of_day % 60).reading;
}

TEST(DaylightSaving, ChinaAsTheTimeZoneDatabaseRecordsIt) {
    for (const Change& c : kShanghai) {
        SCOPED_TRACE(c.y1);
        const int f = c.forward_minute, b = c.back_minute;
        EXPECT_EQ(At(c.y1, c.m1, c.d1, f + 0), ClockReading::kSkipped);
        EXPECT_EQ(At(c.y1, c.m1, c.d1, f + 59), ClockReading::kSkipped);
        EXPECT_EQ(At(c.y1, c.m1, c.d1, f + 60), ClockReading::kDaylight);
        EXPECT_EQ(At(c.y2, c.m2, c.d2, b - 61), ClockReading::kDaylight);
        EXPECT_EQ(At(c.y2, c.m2, c.d2, b - 60), ClockReading::kRepeated);
        EXPECT_EQ(At(c.y2, c.m2, c.d2, b - 1), ClockReading::kRepeated);
        EXPECT_EQ(At(c.y2, c.m2, c.d2, b), ClockReading::kStandard);
        if (f > 0) {
            EXPECT_EQ(At(c.y1, c.m1, c.d1, f - 1), ClockReading::kStandard);
        }
    }
    EXPECT_EQ(ChinaDaylightPeriods().size(), std::size(kShanghai));
    EXPECT_EQ(At(1985, 7, 1, 720), ClockReading::kStandard);
    EXPECT_EQ(At(1992, 7, 1, 720), ClockReading::kStandard);
}

// Births worked by hand. Term instants (Beijing time, 紫金山天文台): 立春 2024-02-04 16:26:53, 惊蛰
// 2024-03-05 10:22:38; 小暑 1988-07-07, 立夏 1986-05-06, 立冬 2024-11-07. The equation of time from the
// almanac's table: -13m49s (02-04), -14m14s (02-11), -11m39s (03-05), +3m19s (05-04), -3m50s (07-01),
// +16m25s (11-03). Longitudes: 天安门 116.38 E (-14m29s from the zone's 120 E), 乌鲁木齐 87.62 E
// (-2h09m31s). The day pillars count on from 2000-01-01 戊午; the hour stems by 五鼠遁.
struct Birth {
    int y, m, d, hour, minute;
    double longitude;
    DaylightRule rule;
    const char* pillars;  // 年 月 日 时
    const char* other_school_day;
    const char* why;
};

std::string PillarsText(const BirthPillars& p) {
    return calendar::GanZhiName(p.year) + " " + calendar::GanZhiName(p.month) + " " + calendar::GanZhiName(p.day) + " " +
           calendar::GanZhiName(p.hour);
}

TEST(BirthPillars, HandWorkedBirthsAtTheEdges) {
    const Birth births[] = {
        {2024, 2, 4, 16, 20, -116.38, DaylightRule::kByTable, "癸卯 乙丑 戊戌 庚申", "戊戌", "7 minutes before 立春: old year and month"},
        {2024, 2, 4, 16, 35, -116.38, DaylightRule::kByTable, "甲辰 丙寅 戊戌 庚申", "戊戌", "8 minutes after 立春"},
        {2024, 3, 5, 10, 10, -116.38, DaylightRule::kByTable, "甲辰 丙寅 戊辰 丁巳", "戊辰", "before 惊蛰"},
        {2024, 3, 5, 10, 35, -116.38, DaylightRule::kByTable, "甲辰 丁卯 戊辰 丁巳", "戊辰", "after 惊蛰"},
        {2024, 11, 3, 12, 40, -120.0, DaylightRule::kByTable, "甲辰 甲戌 辛未 甲午", "辛未", "true 12:56, 午"},
        {2024, 11, 3, 12, 47, -120.0, DaylightRule::kByTable, "甲辰 甲戌 辛未 乙未", "辛未", "true 13:03, 未"},
        {2024, 11, 3, 22, 40, -120.0, DaylightRule::kByTable, "甲辰 甲戌 辛未 己亥", "辛未", "true 22:56, 亥"},
        {2024, 11, 3, 22, 47, -120.0, DaylightRule::kByTable, "甲辰 甲戌 壬申 庚子", "辛未", "true 23:03, the next day's 子"},
        {2024, 2, 11, 1, 30, -87.62, DaylightRule::kByTable, "甲辰 丙寅 乙巳 丙子", "甲辰", "true 23:06 of 02-10"},
        {1988, 7, 1, 12, 0, -116.38, DaylightRule::kByTable, "戊辰 戊午 丁巳 乙巳", "丁巳", "daylight time: 11:00, true 10:42"},
        {1988, 7, 1, 12, 0, -116.38, DaylightRule::kStandard, "戊辰 戊午 丁巳 丙午", "丁巳", "stated standard: true 11:42"},
        {1986, 5, 4, 3, 30, -116.38, DaylightRule::kByTable, "丙寅 壬辰 戊申 癸丑", "戊申", "the first daylight day"},
    };
    for (const Birth& b : births) {
        SCOPED_TRACE(b.why);
        BirthMoment moment;
        moment.year = b.y;
        moment.month = b.m;
        moment.day = b.d;
        moment.hour = b.hour;
        moment.minute = b.minute;
        moment.longitude = b.longitude;
        moment.daylight = b.rule;
        const BirthPillars p = PillarsOfBirth(moment);
        ASSERT_TRUE(p.ok) << p.problem;
        EXPECT_EQ(PillarsText(p), b.pillars);
        EXPECT_EQ(calendar::GanZhiName(p.other_school_day), b.other_school_day);
    }
}

TEST(BirthPillars, TheCorrectionsTheEdgesAndTheRest) {
    BirthMoment b;
    b.year = 2024, b.month = 2, b.day = 4, b.hour = 16, b.minute = 20;
    const BirthPillars p = PillarsOfBirth(b);
    ASSERT_TRUE(p.ok);
    EXPECT_NEAR(p.longitude_minutes, -(14 + 29.0 / 60), 0.01);
    EXPECT_NEAR(p.equation_minutes, -(13 + 49.0 / 60), 0.1);
    EXPECT_NEAR(p.month_edge.before, 6 + 53.0 / 60, 0.3);  // 立春 16:26:53
    EXPECT_EQ(calendar::SolarTermNames[p.next_jie], std::string("立春"));
    EXPECT_EQ(p.elements, (std::array<int, 5>{2, 0, 3, 2, 1}));  // 癸卯 乙丑 戊戌 庚申: 木2 火0 土3 金2 水1
    EXPECT_EQ(p.lunar.month, 12);  // 腊月廿五: 正月初一 is 02-10
    EXPECT_EQ(p.lunar.day, 25);
    const auto has_line = [](const BirthPillars& of, const std::string& text) {
        for (const std::string& line : PillarsLines(of))
            if (line.find(text) != std::string::npos) return true;
        return false;
    };
    const auto has = [&](const std::string& text) { return has_line(p, text); };
    EXPECT_TRUE(has("四柱　癸卯年 乙丑月 戊戌日 庚申时"));
    EXPECT_TRUE(has("纳音　金箔金 海中金 平地木 石榴木"));
    EXPECT_TRUE(has("生于立春之前"));
    EXPECT_TRUE(has("不计藏干"));
    EXPECT_TRUE(has("早晚子时"));

    // The 时辰 edge: true 13:03 is three minutes into 未.
    b = BirthMoment{};
    b.year = 2024, b.month = 11, b.day = 3, b.hour = 12, b.minute = 47, b.longitude = -120.0;
    const BirthPillars q = PillarsOfBirth(b);
    EXPECT_NEAR(q.hour_edge.after, 3.4, 0.2);
    EXPECT_TRUE(has_line(q, "入未时3分"));

    // The hour the clocks skipped and the hour they showed twice are not guessed.
    b = BirthMoment{};
    b.year = 1988, b.month = 4, b.day = 17, b.hour = 2, b.minute = 30;
    EXPECT_FALSE(PillarsOfBirth(b).ok);
    b.daylight = DaylightRule::kStandard;
    EXPECT_TRUE(PillarsOfBirth(b).ok);
    b = BirthMoment{};
    b.year = 1988, b.month = 9, b.day = 11, b.hour = 1, b.minute = 30;
    EXPECT_FALSE(PillarsOfBirth(b).ok);
    b.daylight = DaylightRule::kDaylight;
    const BirthPillars first = PillarsOfBirth(b);
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.daylight_minutes, 60);
    EXPECT_EQ(calendar::GanZhiName(first.hour), "甲子");  // standard 00:30, true 00:19: 己巳日 甲子时
    // Another zone keeps its clock as given.
    b = BirthMoment{};
    b.year = 1988, b.month = 7, b.day = 1, b.hour = 12, b.zone = 9.0, b.longitude = -135.0;
    EXPECT_EQ(PillarsOfBirth(b).daylight_minutes, 0);
}

}  // namespace
