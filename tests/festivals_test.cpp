#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "calendar/festivals.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"

namespace {

using namespace calendar;
using astro::DateToDayNumber;

TEST(SolarFestivals, EachFestivalOfADayApart) {
    // Easter 2018 fell on 1 April; 母亲节 2024 on 12 May, the day of 国际护士节.
    const int easter_2018 = EasterDay(2018);
    ASSERT_EQ(easter_2018, DateToDayNumber(2018, 4, 1));
    const std::vector<std::string> both{"愚人节", "复活节"};
    EXPECT_EQ(SolarFestivalsWith(2018, 4, 1, false, easter_2018), both);
    EXPECT_EQ(SolarFestivalNameWith(2018, 4, 1, false, easter_2018), "愚人节");
    EXPECT_EQ(SolarFestivalNameWith(2018, 4, 1, true, easter_2018), "愚人节 复活节");
    EXPECT_EQ(SolarFestivalsWith(2024, 5, 12, false, 0), std::vector<std::string>{"母亲节"});
    const std::vector<std::string> all{"国际护士节", "母亲节"};
    EXPECT_EQ(SolarFestivalsWith(2024, 5, 12, true, 0), all);
    EXPECT_TRUE(SolarFestivalsWith(2024, 5, 13, true, 0).empty());
}

TEST(SolarFestivals, FixedDatesFlagsAndFirstYears) {
    EXPECT_EQ(SolarFestivalName(2024, 1, 1, false), "元旦节");
    EXPECT_EQ(SolarFestivalName(2024, 3, 8, false), "妇女节");
    EXPECT_EQ(SolarFestivalName(2024, 3, 8, true), "国际妇女节");
    EXPECT_EQ(SolarFestivalName(1910, 3, 8, true), "");
    EXPECT_EQ(SolarFestivalName(1998, 7, 1, false), "建党节");
    EXPECT_EQ(SolarFestivalName(1998, 7, 1, true), "建党节");
    EXPECT_EQ(SolarFestivalName(1999, 7, 1, false), "建党节");
    EXPECT_EQ(SolarFestivalName(1999, 7, 1, true), "建党节 香港回归纪念日");
    EXPECT_EQ(SolarFestivalName(1920, 7, 1, true), "");
    EXPECT_EQ(SolarFestivalName(2024, 2, 2, false), "");  // minor
    EXPECT_EQ(SolarFestivalName(2024, 2, 2, true), "世界湿地日");
    EXPECT_EQ(SolarFestivalName(1996, 2, 2, true), "");
    EXPECT_EQ(SolarFestivalName(-500, 10, 31, true), "万圣节");  // every year
    EXPECT_EQ(SolarFestivalName(439, 12, 25, false), "");
    EXPECT_EQ(SolarFestivalName(440, 12, 25, false), "圣诞节");
    EXPECT_EQ(SolarFestivalName(2024, 2, 30, true), "");
    EXPECT_EQ(SolarFestivalName(9001, 1, 1, true), "");
}

TEST(SolarFestivals, WeekdayRules) {
    EXPECT_EQ(SolarFestivalName(2024, 5, 12, false), "母亲节");
    EXPECT_EQ(SolarFestivalName(2024, 6, 16, false), "父亲节");
    EXPECT_EQ(SolarFestivalName(2024, 11, 28, false), "感恩节");
    EXPECT_EQ(SolarFestivalName(1912, 5, 12, false), "");  // before 1913
    // 2019-05-12 was the second Sunday of May and 国际护士节.
    EXPECT_EQ(SolarFestivalName(2019, 5, 12, true), "国际护士节 母亲节");
    EXPECT_EQ(SolarFestivalName(2019, 5, 12, false), "母亲节");
}

// Two independent computations of the churches' Easter, as Meeus gives them (Astronomical
// Algorithms, ch. 8): the Gregorian one of Meeus/Jones/Butcher and the Julian one, both as month and
// day of their own calendar.
astro::CalendarDate GregorianEaster(int y) {
    const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4, f = (b + 8) / 25, g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30, i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    return {y, (h + l - 7 * m + 114) / 31, (h + l - 7 * m + 114) % 31 + 1};
}
astro::CalendarDate JulianEaster(int y) {
    const int a = y % 4, b = y % 7, c = y % 19, d = (19 * c + 15) % 30, e = (2 * a + 4 * b - d + 34) % 7;
    return {y, (d + e + 114) / 31, (d + e + 114) % 31 + 1};
}

// Easter is the churches' date, not the astronomical one: every year from 325 (Julian until the
// reform, Gregorian from 1583) agrees with the independent computus, and it is the only day of its
// spring that carries the name.
TEST(SolarFestivals, EasterIsTheChurchesComputus) {
    for (int y = 325; y <= 3000; ++y) {
        const astro::CalendarDate church = y < 1583 ? JulianEaster(y) : GregorianEaster(y);
        const DayNumber n = EasterDay(y);
        ASSERT_EQ(n, DateToDayNumber(y, church.month, church.day)) << y;
        ASSERT_EQ(astro::Weekday(n), 0) << y;
    }
    // Whole decades by name: one day of March..April named 复活节 each year.
    for (int y : {1575, 1580, 1585, 2015, 2025, 2030, 2035, 2040, 2045}) {
        int found = 0;
        for (DayNumber n = DateToDayNumber(y, 3, 15); n <= DateToDayNumber(y, 5, 1); ++n) {
            const astro::CalendarDate d = astro::DayNumberToDate(n);
            if (SolarFestivalName(y, d.month, d.day, true).find("复活节") != std::string::npos) {
                ++found;
                EXPECT_EQ(n, EasterDay(y)) << y;
            }
        }
        EXPECT_EQ(found, 1) << y;
    }
    // Where the sky and the churches part: the full moon of 2019-03-21 came after the equinox, yet
    // the churches' table moon of 20 March came before their fixed equinox, so Easter was 21 April.
    const struct {
        int year, month, day;
    } published[] = {{2019, 4, 21}, {2030, 4, 21}, {2038, 4, 25}, {2049, 4, 18}, {1818, 3, 22}, {2285, 3, 22},
                     {2024, 3, 31}, {2018, 4, 1},  {1943, 4, 25}, {1582, 4, 15}, {1583, 4, 10}};
    for (const auto& p : published) {
        EXPECT_EQ(EasterDay(p.year), DateToDayNumber(p.year, p.month, p.day)) << p.year;
        EXPECT_NE(SolarFestivalName(p.year, p.month, p.day, true).find("复活节"), std::string::npos) << p.year;
    }
    EXPECT_EQ(SolarFestivalName(2019, 3, 24, true).find("复活节"), std::string::npos);
    EXPECT_EQ(SolarFestivalName(2018, 4, 1, false), "愚人节");
    EXPECT_EQ(SolarFestivalName(2018, 4, 1, true), "愚人节 复活节");
    EXPECT_EQ(EasterDay(324), 0);
    EXPECT_EQ(SolarFestivalName(324, 4, 1, false).find("复活节"), std::string::npos);
}

TEST(LunarFestivals, TableAndTheLastMonth) {
    EXPECT_EQ(LunarFestivalName(2024, 1, 1), "春节");
    EXPECT_EQ(LunarFestivalName(2024, 1, 15), "元宵节");
    EXPECT_EQ(LunarFestivalName(2024, 5, 5), "端午节");
    EXPECT_EQ(LunarFestivalName(-278, 5, 5), "");
    EXPECT_EQ(LunarFestivalName(-277, 5, 5), "端午节");
    EXPECT_EQ(LunarFestivalName(2024, 8, 15), "中秋节");
    EXPECT_EQ(LunarFestivalName(2024, 12, 8), "腊八节");
    EXPECT_EQ(LunarFestivalName(2023, 14, 15), "");  // leap months other than 闰腊月 carry nothing
    // 腊月 of 2024 has 29 days, so 腊月廿九 (2025-01-28) is 除夕; 2023's has 30.
    ASSERT_EQ(LunarMonthLength(2024, 12), 29);
    EXPECT_EQ(LunarFestivalName(2024, 12, 29), "除夕");
    EXPECT_EQ(LunarFestivalName(2024, 12, 23), "小年");
    EXPECT_EQ(LunarFestivalName(2024, 12, 30), "");  // no such day
    ASSERT_EQ(LunarMonthLength(2023, 12), 30);
    EXPECT_EQ(LunarFestivalName(2023, 12, 29), "");
    EXPECT_EQ(LunarFestivalName(2023, 12, 30), "除夕");
    // A year with 闰腊月: 腊月 carries nothing at its end, 闰腊月 has 小年 and 除夕.
    int y = 0;
    for (int c = 1000; c <= 3000 && !y; ++c)
        if (LeapMonth(c) == 12) y = c;
    ASSERT_NE(y, 0);
    EXPECT_EQ(LunarFestivalName(y, 12, 23), "");
    EXPECT_EQ(LunarFestivalName(y, 12, 29), "");
    EXPECT_EQ(LunarFestivalName(y, 24, 23), "小年");
    EXPECT_EQ(LunarFestivalName(y, 24, LunarMonthLength(y, 24)), "除夕");
    EXPECT_EQ(LunarFestivalName(y, 24, 1), "");
}

TEST(Periods, NineNines) {
    const DayNumber solstice = SolarTermDay(DateToDayNumber(2023, 12, 1), 24);  // 2023-12-22
    const auto text = [](DayNumber n) {
        const astro::CalendarDate d = astro::DayNumberToDate(n);
        return NineNinesText(d.year, d.month, d.day);
    };
    EXPECT_EQ(text(solstice), "一九第1天");
    EXPECT_EQ(text(solstice + 8), "一九第9天");
    EXPECT_EQ(text(solstice + 9), "二九第1天");
    EXPECT_EQ(text(solstice + 80), "九九第9天");
    EXPECT_EQ(text(solstice + 81), "");
    EXPECT_EQ(text(solstice - 1), "");
}

TEST(Periods, DogDays) {
    // 2024: 夏至 21 June; 初伏 15 July, 中伏 25 July (20 days), 末伏 14 August.
    EXPECT_EQ(DogDaysText(2024, 7, 14), "");
    EXPECT_EQ(DogDaysText(2024, 7, 15), "初伏第1天");
    EXPECT_EQ(DogDaysText(2024, 7, 25), "中伏第1天");
    EXPECT_EQ(DogDaysText(2024, 8, 13), "中伏第20天");
    EXPECT_EQ(DogDaysText(2024, 8, 14), "末伏第1天");
    EXPECT_EQ(DogDaysText(2024, 8, 23), "末伏第10天");
    EXPECT_EQ(DogDaysText(2024, 8, 24), "");
    // Every 初伏 is a 庚 day (day number mod 10 = 7) 20..29 days after 夏至.
    for (int y = 1950; y <= 2050; ++y) {
        const DayNumber solstice = SolarTermDay(DateToDayNumber(y, 6, 1), 12);
        int first = 0;
        for (DayNumber n = solstice; n < solstice + 40 && !first; ++n) {
            const astro::CalendarDate d = astro::DayNumberToDate(n);
            if (DogDaysText(d.year, d.month, d.day) == "初伏第1天") first = n;
        }
        ASSERT_NE(first, 0) << y;
        EXPECT_EQ(first % 10, 7) << y;
        EXPECT_GE(first - solstice, 20) << y;
        EXPECT_LE(first - solstice, 29) << y;
    }
}

TEST(Periods, PlumRains) {
    int starts = 0;
    int ends = 0;
    for (DayNumber n = DateToDayNumber(2024, 5, 1); n <= DateToDayNumber(2024, 8, 31); ++n) {
        const astro::CalendarDate d = astro::DayNumberToDate(n);
        const std::string t = PlumRainText(d.year, d.month, d.day);
        if (t == "入梅") {
            ++starts;
            EXPECT_EQ(((n % 10) + 10) % 10, 3);  // a 丙 day
            EXPECT_GE(n, SolarTermDay(DateToDayNumber(2024, 5, 1), 11));
        } else if (t == "出梅") {
            ++ends;
            EXPECT_EQ(((n % 12) + 12) % 12, 6);  // a 未 day
        } else {
            EXPECT_EQ(t, "");
        }
    }
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(PlumRainText(2024, 6, 11), "入梅");  // the first 丙 day after 芒种 (5 June, a 庚 day)
}

}  // namespace
