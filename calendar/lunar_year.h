// The Chinese lunisolar year (农历): which day is 正月初一, which months are big (30 days) or
// small (29 days), and whether a leap month (闰月) falls in the year, after which month and how
// long. Month starts are new moons; the leap month is the first month of a 13-month year that
// holds no principal solar term (中气). Each year is kept as a 17-character record:
//
//   characters 1..12  size of months 1..12, "1" = 30 days, "0" = 29 days
//   character 13      the month the leap month follows, one hexadecimal digit ("0" = none)
//   character 14      size of the leap month ("0" when there is none)
//   characters 15..17 the calendar date of 正月初一: month digit and two-digit day ("122", "205")
//
// Lunar months are numbered 1..12, and a leap month is its base month + 12 (13 = 闰正月 ..
// 24 = 闰腊月).
#pragma once

#include <string>

#include "astro/day_numbers.h"
#include "calendar/lunar_events.h"

namespace calendar {

struct LunarDate {
    int year = 0;   // the calendar year in which its 正月初一 falls
    int month = 0;  // 1..24
    int day = 0;    // 1..30
};

constexpr int kFirstRecordYear = -9997;
constexpr int kLastRecordYear = 9998;

// Switches between the historical rules (off, the default) and the modern algorithm for ancient
// years. The records of both are kept apart, so switching back and forth recomputes nothing.
void SetModernCalculateAncientFlag(bool on);

// 0 = 12 months; 1 = 13 months, the leap month inside the year; 2 = 13 months, ending with
// 闰冬月 or 闰腊月.
int YearType(int year);
// The day number of 正月初一.
DayNumber NewYearDay(int year);

// The record of a year under a rule (by default the rule in force), computed on first request and
// kept; empty outside -9997..9998.
std::string LunarYearRecord(int year, Rule rule = CurrentRule());

int LunarMonthLength(int year, int month);  // 30, 29, or 0 when the year has no such month
int IsValidLunarDate(int year, int month, int day);
int LeapMonth(int year);         // the month the leap month follows, 0 = none
int LunarMonthCount(int year);   // 12 or 13, 0 without a record
// The month (1..24) in the k-th place (1..13) of the year, the leap month counted in its place;
// 0 when there is no such place.
int MonthAtPlace(int year, int place);
// The ordinal day (1..385) of a valid lunar date within its year, else 0.
int LunarDayOrdinal(int year, int month, int day);
// 100 * month + day of 正月初一 (122 = 22 January), 0 without a record.
int SpringFestivalField(int year);

// Calendar date (years -8999..9000) to lunar date; month 0 in the result when not available.
LunarDate SolarToLunarDate(int year, int month, int day);
// The lunar date text: "AD" or "BC", the month 01..24, the day and the year, as a date text.
std::string SolarToLunar(int year, int month, int day);
std::string LunarDateText(const LunarDate& date);
// Lunar date to calendar date; all zero when the lunar date is not valid.
astro::CalendarDate LunarToSolar(int year, int month, int day);

}  // namespace calendar
