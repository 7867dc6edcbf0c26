// The years the calendar covers, and the arithmetic its rules share.
#pragma once

#include "astro/day_numbers.h"

namespace calendar {

// The calendar's years (astronomical numbering): a year's record needs the new moons and terms of
// the years around it, which the day numbers of -9998..9999 hold for -8999..9000.
constexpr int kFirstCalendarYear = -8999;
constexpr int kLastCalendarYear = 9000;

constexpr bool InCalendarRange(long long year) { return year >= kFirstCalendarYear && year <= kLastCalendarYear; }
// A date that exists (Julian calendar to 1582-10-04, Gregorian from 10-15) in the calendar's years.
inline bool IsCalendarDate(int year, int month, int day) {
    return InCalendarRange(year) && astro::IsValidDate(year, month, day) != 0;
}

// a modulo n (n > 0) in 0..n-1, also for negative a.
inline int FloorMod(long long a, int n) {
    const int r = static_cast<int>(a % n);
    return r < 0 ? r + n : r;
}

}  // namespace calendar
