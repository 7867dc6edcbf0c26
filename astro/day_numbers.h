// Day numbers, calendar dates, date texts, weekdays and the time scales.
//
// One proleptic calendar runs through the whole range: Julian up to 1582-10-04 and Gregorian from
// the next day, which Pope Gregory's reform numbered 1582-10-15 so that the equinox would return to
// about 21 March. The ten dates between do not exist. Years are astronomical: year 0 is 1 BC.
#pragma once

#include <cstdint>
#include <string>

namespace astro {

using DayNumber = std::int32_t;  // Julian day number of a civil date (its noon); 2000-01-01 = 2451545
using JulianDay = double;        // astronomical Julian date from noon, on the UT or TT scale

constexpr DayNumber InvalidDayNumber = -100000000;
constexpr DayNumber MinDayNumber = -1930711;  // -9998-01-01
constexpr DayNumber MaxDayNumber = 5373484;   // 9999-12-31
constexpr int MinYear = -9998;
constexpr int MaxYear = 9999;

struct CalendarDate {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
};

// The calculation time zone, hours east of Greenwich: every computed instant (solar term, new
// moon) is turned into a civil day of UTC+8, the time of the Purple Mountain standard.
constexpr std::int16_t CalcTimeZone = 8;

// pi as the program has always held it (15 significant digits, not M_PI).
constexpr double Pi = 3.14159265358979;
constexpr double DegreesToRadians = Pi / 180.0;
constexpr double SolverTolerance = 1.0E-10;
constexpr double DeltaTExtrapolation = 32.0;  // seconds per century squared, outside the fitted eras

int IsLeapYear(int year);
int DaysInYear(int year);
int IsValidDate(int year, int month, int day);
int DayOfYear(int year, int month, int day);
std::string DateFromDayOfYear(int year, int ordinal);
DayNumber DateToDayNumber(int year, int month, int day);
std::string DayNumberToDateText(DayNumber z);
// Date text and clock time of a chronological day value (a Julian date + 0.5 + zone/24).
std::string JulianDayToDateTimeText(double chronological);
int Weekday(DayNumber z);  // 0 = Sunday
int NthWeekdayOfMonth(int year, int month, int n, int weekday);
double LocalTimeToDayFraction(int hour, int minute, double second);

// The date of a day number, or year/month/day 0 outside the valid range.
CalendarDate DayNumberToDate(DayNumber z);
// Formats a valid date as "ADMM-DD-YYYY" / "BCMM-DD-YYYY" (BC years printed as 1 - year).
std::string FormatDateText(int year, int month, int day);

// Delta T = TT - UT in seconds at a universal Julian date.
double DeltaTSeconds(JulianDay jd_ut);
JulianDay UniversalToDynamical(JulianDay jd_ut);

// Reduces x into [centre - half, centre + half).
double WrapToRange(double x, int centre, int half);
double NormalizeRadians(double angle);

// The fraction of the day of a day value, always in [0, 1) (x - floor(x) rounds up to 1 for tiny
// negative x; that instant is shown as the last representable moment of the day before).
double DayFraction(double x);

}  // namespace astro
