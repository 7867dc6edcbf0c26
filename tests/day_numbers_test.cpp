#include "astro/day_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using namespace astro;

// The next calendar day by the plain rules of the two calendars, written independently of the
// day-number formulas: it is what the day count has to agree with, one day at a time.
CalendarDate NextDay(CalendarDate d) {
    if (d.year == 1582 && d.month == 10 && d.day == 4) return {1582, 10, 15};
    const bool leap = d.year > 1582 ? (d.year % 4 == 0 && (d.year % 100 != 0 || d.year % 400 == 0))
                                    : ((d.year % 4) + 4) % 4 == 0;
    const int lengths[13] = {0, 31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.day < lengths[d.month]) return {d.year, d.month, d.day + 1};
    if (d.month < 12) return {d.year, d.month + 1, 1};
    return {d.year + 1, 1, 1};
}

TEST(CalendarReform, TheTenDaysOfOctober1582AreSkipped) {
    EXPECT_EQ(DateToDayNumber(1582, 10, 4), 2299160);
    EXPECT_EQ(DateToDayNumber(1582, 10, 15), 2299161);
    for (int d = 5; d <= 14; ++d) {
        EXPECT_EQ(IsValidDate(1582, 10, d), 0) << d;
        EXPECT_EQ(DateToDayNumber(1582, 10, d), InvalidDayNumber) << d;
    }
    EXPECT_EQ(DaysInYear(1582), 355);
    EXPECT_EQ(DayOfYear(1582, 10, 4), 277);
    EXPECT_EQ(DayOfYear(1582, 10, 15), 278);
    EXPECT_EQ(DayOfYear(1582, 12, 31), 355);
    EXPECT_EQ(DateFromDayOfYear(1582, 277), "AD10-04-1582");
    EXPECT_EQ(DateFromDayOfYear(1582, 278), "AD10-15-1582");
    EXPECT_EQ(DateFromDayOfYear(1582, 355), "AD12-31-1582");
    EXPECT_EQ(DateFromDayOfYear(1582, 356), "");
    EXPECT_EQ(DayNumberToDateText(2299160), "AD10-04-1582");
    EXPECT_EQ(DayNumberToDateText(2299161), "AD10-15-1582");
    // Thursday 4 October was followed by Friday 15 October.
    EXPECT_EQ(Weekday(2299160), 4);
    EXPECT_EQ(Weekday(2299161), 5);
}

TEST(CalendarRules, LeapYearsFollowJulianThenGregorianRule) {
    EXPECT_EQ(IsLeapYear(1600), 1);
    EXPECT_EQ(IsLeapYear(2000), 1);
    EXPECT_EQ(IsLeapYear(1700), 0);
    EXPECT_EQ(IsLeapYear(1900), 0);
    EXPECT_EQ(IsLeapYear(1500), 1);  // Julian: every fourth year
    EXPECT_EQ(IsLeapYear(1300), 1);
    EXPECT_EQ(IsLeapYear(0), 1);
    EXPECT_EQ(IsLeapYear(-4), 1);
    EXPECT_EQ(IsLeapYear(-1), 0);
    EXPECT_EQ(IsLeapYear(2023), 0);
    EXPECT_EQ(DaysInYear(2024), 366);
    EXPECT_EQ(DaysInYear(2100), 365);
    EXPECT_EQ(IsValidDate(1900, 2, 29), 0);
    EXPECT_EQ(IsValidDate(1500, 2, 29), 1);
}

TEST(CalendarRules, ValidationRejectsWhatDoesNotExist) {
    EXPECT_EQ(IsValidDate(-9998, 1, 1), 1);
    EXPECT_EQ(IsValidDate(9999, 12, 31), 1);
    EXPECT_EQ(IsValidDate(-9999, 12, 31), 0);
    EXPECT_EQ(IsValidDate(10000, 1, 1), 0);
    EXPECT_EQ(IsValidDate(2024, 0, 1), 0);
    EXPECT_EQ(IsValidDate(2024, 13, 1), 0);
    EXPECT_EQ(IsValidDate(2024, 4, 31), 0);
    EXPECT_EQ(IsValidDate(2024, 1, 0), 0);
    EXPECT_EQ(IsValidDate(2024, 1, -5), 0);
    EXPECT_EQ(DayOfYear(2023, 2, 29), 0);
    EXPECT_EQ(DateFromDayOfYear(2023, 366), "");
    EXPECT_EQ(DateFromDayOfYear(2023, 0), "");
    EXPECT_EQ(DateFromDayOfYear(10000, 1), "");
    EXPECT_EQ(DayNumberToDateText(MinDayNumber - 1), "");
    EXPECT_EQ(DayNumberToDateText(MaxDayNumber + 1), "");
}

TEST(DayNumbers, KnownAnchors) {
    EXPECT_EQ(DateToDayNumber(2000, 1, 1), 2451545);
    EXPECT_EQ(DateToDayNumber(-4712, 1, 1), 0);
    EXPECT_EQ(DateToDayNumber(-4713, 1, 1), -365);
    EXPECT_EQ(DateToDayNumber(-4713, 12, 31), -1);
    EXPECT_EQ(DateToDayNumber(-9998, 1, 1), MinDayNumber);
    EXPECT_EQ(DateToDayNumber(9999, 12, 31), MaxDayNumber);
    EXPECT_EQ(DateToDayNumber(1858, 11, 17), 2400001);  // MJD 0 is the midnight opening this day
    EXPECT_EQ(DateToDayNumber(1, 1, 1), 1721424);       // Julian 1 January AD 1
}

TEST(DayNumbers, EveryDayOfTheRangeFollowsItsPredecessor) {
    // Walk all 7.3 million days: each day number's date is the next day of the previous one, and
    // both conversions agree in both directions.
    CalendarDate expected{-9998, 1, 1};
    for (DayNumber z = MinDayNumber; z <= MaxDayNumber; ++z) {
        const CalendarDate d = DayNumberToDate(z);
        if (d.year != expected.year || d.month != expected.month || d.day != expected.day) {
            FAIL() << "day " << z << " is " << d.year << "-" << d.month << "-" << d.day << ", expected "
                   << expected.year << "-" << expected.month << "-" << expected.day;
        }
        if (DateToDayNumber(d.year, d.month, d.day) != z) FAIL() << "round trip of day " << z;
        expected = NextDay(expected);
    }
    EXPECT_EQ(expected.year, 10000);
}

TEST(DayNumbers, OrdinalDaysRoundTripInEveryYear) {
    for (int y = MinYear; y <= MaxYear; ++y) {
        const int n = DaysInYear(y);
        const DayNumber first = DateToDayNumber(y, 1, 1);
        for (int k = 1; k <= n; ++k) {
            const std::string text = DateFromDayOfYear(y, k);
            if (text != DayNumberToDateText(first + k - 1)) FAIL() << "year " << y << " day " << k << ": " << text;
        }
        if (DateToDayNumber(y + 1 <= MaxYear ? y + 1 : y, 1, 1) - first != (y + 1 <= MaxYear ? n : 0))
            FAIL() << "length of year " << y;
    }
}

TEST(DateText, EraTagsAndYearsBeforeChrist) {
    EXPECT_EQ(DayNumberToDateText(DateToDayNumber(2024, 2, 9)), "AD02-09-2024");
    EXPECT_EQ(DayNumberToDateText(DateToDayNumber(0, 3, 1)), "BC03-01-0001");
    EXPECT_EQ(DayNumberToDateText(DateToDayNumber(-9998, 1, 1)), "BC01-01-9999");
    EXPECT_EQ(DayNumberToDateText(DateToDayNumber(1, 1, 1)), "AD01-01-0001");
    EXPECT_EQ(DayNumberToDateText(DateToDayNumber(-103, 5, 1)), "BC05-01-0104");
    EXPECT_EQ(DayNumberToDateText(DateToDayNumber(9999, 12, 31)), "AD12-31-9999");
    EXPECT_EQ(DayNumberToDateText(DateToDayNumber(2024, 2, 9)).size(), 12u);
}

TEST(DateText, DateTimeTruncatesToTheSecond) {
    EXPECT_EQ(JulianDayToDateTimeText(2451545.75), "AD01-01-2000 18:00:00");
    EXPECT_EQ(JulianDayToDateTimeText(2451545.0), "AD01-01-2000 00:00:00");
    // A hair below a whole second prints the lower second: seconds are cut, never rounded.
    EXPECT_EQ(JulianDayToDateTimeText(2451545.75 - 1e-9), "AD01-01-2000 17:59:59");
    EXPECT_EQ(JulianDayToDateTimeText(2451545.0 + 59.9999 / 86400.0), "AD01-01-2000 00:00:59");
    EXPECT_EQ(JulianDayToDateTimeText(2451545.0 + (3600.0 * 13 + 60 * 7 + 9.5) / 86400.0), "AD01-01-2000 13:07:09");
    // The last moment before midnight stays on its own day (never "24:00:00").
    EXPECT_EQ(JulianDayToDateTimeText(std::nextafter(2451546.0, 0.0)), "AD01-01-2000 23:59:59");
    EXPECT_EQ(JulianDayToDateTimeText(-1e-20), "BC12-31-4714 23:59:59");
    EXPECT_EQ(JulianDayToDateTimeText(-0.25), "BC12-31-4714 18:00:00");
    // The range of day numbers bounds the values.
    EXPECT_EQ(JulianDayToDateTimeText(MinDayNumber - 1e-6), "");
    EXPECT_EQ(JulianDayToDateTimeText(MinDayNumber), "BC01-01-9999 00:00:00");
    EXPECT_EQ(JulianDayToDateTimeText(MaxDayNumber + 0.999), "AD12-31-9999 23:58:33");
    EXPECT_EQ(JulianDayToDateTimeText(MaxDayNumber + 1.0), "");
    EXPECT_EQ(JulianDayToDateTimeText(std::nan("")), "");
}

TEST(Weekdays, SundayIsZero) {
    EXPECT_EQ(Weekday(2451545), 6);  // 2000-01-01, a Saturday
    EXPECT_EQ(Weekday(DateToDayNumber(2024, 2, 10)), 6);
    EXPECT_EQ(Weekday(DateToDayNumber(2026, 12, 7)), 1);
    EXPECT_EQ(Weekday(0), 1);   // -4712-01-01 was a Monday
    EXPECT_EQ(Weekday(-1), 0);  // and the day before a Sunday
    for (DayNumber z = -20; z < 20; ++z) EXPECT_EQ(Weekday(z + 1), (Weekday(z) + 1) % 7);
    EXPECT_EQ(Weekday(MinDayNumber), ((MinDayNumber + 1) % 7 + 7) % 7);
}

TEST(Weekdays, NthWeekdayOfMonth) {
    EXPECT_EQ(NthWeekdayOfMonth(2024, 5, 2, 0), 12);  // Mother's Day 2024
    EXPECT_EQ(NthWeekdayOfMonth(2024, 11, 4, 4), 28);  // Thanksgiving 2024
    EXPECT_EQ(NthWeekdayOfMonth(2024, 2, 5, 1), 0);   // February 2024 has four Mondays
    EXPECT_EQ(NthWeekdayOfMonth(2024, 2, 5, 4), 29);  // but five Thursdays
    EXPECT_EQ(NthWeekdayOfMonth(2024, 5, 0, 0), 0);
    EXPECT_EQ(NthWeekdayOfMonth(2024, 5, 1, 7), 0);
    EXPECT_EQ(NthWeekdayOfMonth(2024, 13, 1, 0), 0);
    EXPECT_EQ(NthWeekdayOfMonth(2024, 5, 2147483647, 0), 0);
    // October 1582: the first Friday is the 15th, right after Thursday the 4th.
    EXPECT_EQ(NthWeekdayOfMonth(1582, 10, 1, 1), 1);
    EXPECT_EQ(NthWeekdayOfMonth(1582, 10, 1, 4), 4);
    EXPECT_EQ(NthWeekdayOfMonth(1582, 10, 1, 5), 15);
    EXPECT_EQ(NthWeekdayOfMonth(1582, 10, 2, 1), 18);
    for (int w = 0; w < 7; ++w)
        for (int n = 1; n <= 5; ++n) {
            const int d = NthWeekdayOfMonth(2023, 7, n, w);
            if (d) {
                EXPECT_EQ(Weekday(DateToDayNumber(2023, 7, d)), w);
            }
        }
}

TEST(TimeScales, LocalTimeIsCountedFromUniversalNoonInZonePlus8) {
    EXPECT_DOUBLE_EQ(LocalTimeToDayFraction(0, 0, 0), -8.0 / 24.0);
    EXPECT_DOUBLE_EQ(LocalTimeToDayFraction(8, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(LocalTimeToDayFraction(20, 30, 30.0), 0.5 + 30.0 / 1440.0 + 30.0 / 86400.0);
}

TEST(TimeScales, DeltaTModel) {
    const auto at_year = [](double y) { return DeltaTSeconds((y - 2000.0) * 365.25 + 2451545.0); };
    EXPECT_NEAR(at_year(2000.0), 63.86, 1e-9);
    EXPECT_NEAR(at_year(2150.0), 328.48, 1e-6);  // both extrapolations meet here
    EXPECT_NEAR(at_year(std::nextafter(2150.0, 0.0)), 328.48, 1e-6);
    EXPECT_NEAR(at_year(1900.0), -2.79, 1e-9);
    EXPECT_NEAR(at_year(1600.0), 120.0, 1e-9);
    EXPECT_NEAR(at_year(-1000.0), -20.0 + 32.0 * 28.2 * 28.2, 1e-6);
    // The eras join: no jump of more than half a second at any boundary.
    for (double y : {-500.0, 500.0, 1600.0, 1700.0, 1800.0, 1860.0, 1900.0, 1920.0, 1941.0, 1961.0, 1986.0, 2005.0,
                     2050.0, 2150.0}) {
        EXPECT_NEAR(at_year(y - 1e-7), at_year(y), 0.5) << y;
    }
    // Modern values from observation (IERS): 2010 +66.07 s, 2020 +69.36 s.
    EXPECT_NEAR(at_year(2010.0), 66.07, 1.0);
    EXPECT_NEAR(at_year(2020.0), 69.36, 3.0);
    EXPECT_DOUBLE_EQ(UniversalToDynamical(2451545.0), 2451545.0 + 63.86 / 86400.0);
}

TEST(Angles, WrapToRangeStaysInsideItsInterval) {
    EXPECT_DOUBLE_EQ(WrapToRange(370.0, 180, 180), 10.0);
    EXPECT_DOUBLE_EQ(WrapToRange(-10.0, 180, 180), 350.0);
    EXPECT_DOUBLE_EQ(WrapToRange(360.0, 180, 180), 0.0);
    EXPECT_DOUBLE_EQ(WrapToRange(180.0, 0, 180), -180.0);
    EXPECT_DOUBLE_EQ(WrapToRange(190.0, 0, 180), -170.0);
    EXPECT_DOUBLE_EQ(WrapToRange(-725.0, 0, 180), -5.0);
    // Values a hair below 360 must not come out as 360.
    for (double x : {std::nextafter(360.0, 0.0), -1e-300, -1e-17, 359.99999999999997, 719.9999999999999}) {
        const double w = WrapToRange(x, 180, 180);
        EXPECT_GE(w, 0.0) << x;
        EXPECT_LT(w, 360.0) << x;
    }
    for (double x = -1000.0; x < 1000.0; x += 0.37) {
        const double w = WrapToRange(x, 0, 180);
        EXPECT_GE(w, -180.0);
        EXPECT_LT(w, 180.0);
        EXPECT_NEAR(std::remainder(w - x, 360.0), 0.0, 1e-9);
    }
    EXPECT_NEAR(NormalizeRadians(-0.5), 2.0 * Pi - 0.5, 1e-12);
    EXPECT_NEAR(NormalizeRadians(7.0), 7.0 - 2.0 * Pi, 1e-12);
    EXPECT_LT(NormalizeRadians(-1e-300), 2.0 * Pi);
}

}  // namespace
