// The Hijri (Islamic, 回历) calendar in its arithmetic form.
//
// A Hijri year is twelve lunar months that alternate 30 and 29 days, 354 days in all, a little
// shorter than twelve mean lunations (12 x 29.530589 = 354.367 days). The missing 0.367 day a year
// adds up to 11 days in 30 years, so 11 years of every 30 get a 30th day in their last month and
// have 355 days: 30 years are exactly 10631 days, and the calendar repeats in cycles of 30 years.
// The leap years of the cycle are 2, 5, 7, 10, 13, 16, 18, 21, 24, 26 and 29 (the common
// "civil" or Kushyar set). The calendar is not corrected by sighting the crescent, so the real
// beginning of a month (Ramadan in particular) may differ from it by a day or two.
//
// Years are numbered astronomically: the year before year 1 is year 0, then -1, -2, ...
// 1 Muharram of year 1 is the day number 1948440, Julian 622-07-16.
#pragma once

#include <string>

#include "astro/day_numbers.h"

namespace calendar {

struct HijriDate {
    int year = 0;   // astronomical Hijri year; 0 with month and day 0 means "no date"
    int month = 0;  // 1 = Muharram .. 12 = Dhu al-Hijja
    int day = 0;    // 1..30

    friend bool operator==(const HijriDate&, const HijriDate&) = default;
};

constexpr int HijriMinYear = -9998;
constexpr int HijriMaxYear = 9999;
constexpr astro::DayNumber HijriEpoch = 1948440;  // 1 Muharram 1 = Julian 622-07-16
// The day numbers that convert: from 1 Muharram -9998 to the last day of the calendar, 9999-12-31.
constexpr astro::DayNumber HijriMinDayNumber = -1594872;
constexpr astro::DayNumber HijriMaxDayNumber = astro::MaxDayNumber;  // 5373484

// 1 if year H has 355 days (a 30th day in month 12), else 0. Defined for every H.
int HijriLeapYear(int year);
// Days of month M of year H (30, or 29, or 30 for month 12 of a leap year); 0 for M outside 1..12.
int HijriMonthLength(int year, int month);
// 1 if H is in -9998..9999, M in 1..12 and D in 1..HijriMonthLength(H, M), else 0.
int HijriDateValid(int year, int month, int day);
// The day number of a Hijri date, or astro::InvalidDayNumber for an invalid date. Hijri dates after
// 9666-04-02 (= 9999-12-31) lie beyond the calendar's last day; their day numbers are still returned.
astro::DayNumber HijriToDayNumber(int year, int month, int day);
// The Hijri date of a day number in HijriMinDayNumber..HijriMaxDayNumber, else {0, 0, 0}.
HijriDate DayNumberToHijri(astro::DayNumber z);

// The Hijri date of a calendar date written like a calendar date text ("AD09-01-1445",
// "BC12-29-0001" for year 0): empty for an invalid calendar date or one outside the convertible days.
std::string DayNumberToHijriText(int year, int month, int day);
// The calendar date text of a Hijri date, empty when the Hijri date is invalid or its day number lies
// outside HijriMinDayNumber..HijriMaxDayNumber.
std::string HijriToDateText(int year, int month, int day);
// A valid Hijri date as "ADMM-DD-YYYY" / "BCMM-DD-YYYY" (year 1 - H for H <= 0); empty if invalid.
std::string HijriDateText(const HijriDate& date);
// The Hijri year right-aligned in 10 bytes: "  回历1445", or 回历前 + (1 - H) for H <= 0 (0 -> 回历前1);
// empty for H outside -9998..9999.
std::string HijriYearText(int year);

}  // namespace calendar
