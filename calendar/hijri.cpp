#include "calendar/hijri.h"

#include <cstddef>

namespace calendar {

namespace {

constexpr int kDaysPerCycle = 10631;  // 30 x 354 + 11 leap days
// Day number of the day before the first day of cycle 0. The cycles are counted from a year far
// enough back (H = -10949) that every year of the calendar lies in a cycle K >= 0.
constexpr long long kCycleZeroDay = -1931876;
constexpr int kCycleZeroYearOffset = 10949;

// The mean year and month of the formula, in exactly these decimals: 354.36666666 is a hair below
// 354 + 11/30, so where 11r/30 is exactly a half the year start rounds down, and that is what puts
// the leap years on 2, 5, 7, ... 29 and not on 15. 29.53055555 gives the month starts 0, 30, 59, 89,
// ... 325 days after the year's start: months of 30 and 29 days in turn.
constexpr double kMeanYear = 354.36666666;
constexpr double kMeanMonth = 29.53055555;

// Truncation toward zero (the arguments here are never negative, so it is also the floor).
long long Truncate(double x) { return static_cast<long long>(x); }

long long FloorDiv(long long a, long long b) {
    const long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days from 1 Muharram to the first day of month M.
long long MonthOffset(int month) { return Truncate(kMeanMonth * (month - 1) + 0.5); }

// The day number of a Hijri date without any check; exact for every year from -10949 on and any
// month 1..12 (the day may run past the month's end, which simply counts on).
long long DayNumberUnchecked(int year, int month, int day) {
    const long long n = static_cast<long long>(year) + kCycleZeroYearOffset;
    const long long cycle = FloorDiv(n, 30);
    const long long place = n - 30 * cycle + 1;  // 1..30, the year's place in its cycle
    return kCycleZeroDay + kDaysPerCycle * cycle + Truncate(kMeanYear * static_cast<double>(place - 1) + 0.5) +
           MonthOffset(month) + day;
}

std::string RightAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace

int HijriLeapYear(int year) {
    int r = year % 30;
    if (r < 0) r += 30;
    switch (r) {
        case 2: case 5: case 7: case 10: case 13: case 16: case 18: case 21: case 24: case 26: case 29:
            return 1;
        default:
            return 0;
    }
}

int HijriMonthLength(int year, int month) {
    if (month < 1 || month > 12) return 0;
    if (month == 12) return HijriLeapYear(year) ? 30 : 29;
    return month % 2 == 1 ? 30 : 29;
}

int HijriDateValid(int year, int month, int day) {
    if (year < HijriMinYear || year > HijriMaxYear) return 0;
    if (month < 1 || month > 12) return 0;
    return day >= 1 && day <= HijriMonthLength(year, month) ? 1 : 0;
}

astro::DayNumber HijriToDayNumber(int year, int month, int day) {
    if (!HijriDateValid(year, month, day)) return astro::InvalidDayNumber;
    return static_cast<astro::DayNumber>(DayNumberUnchecked(year, month, day));
}

HijriDate DayNumberToHijri(astro::DayNumber z) {
    if (z < HijriMinDayNumber || z > HijriMaxDayNumber) return {};
    // Whole cycles since cycle 0, then the days into the current one. A remainder of 0 is the day
    // before the cycle's first day: 29 Dhu al-Hijja of the previous cycle's 30th (common) year.
    const long long t = static_cast<long long>(z) - kCycleZeroDay;
    const long long cycle = FloorDiv(t, kDaysPerCycle);
    const long long rest = t - kDaysPerCycle * cycle;
    if (rest == 0) {
        const HijriDate last{static_cast<int>(30 * cycle - 10950), 12, 29};
        return HijriDateValid(last.year, last.month, last.day) ? last : HijriDate{};
    }
    // Estimate the year with 354 days a year; a year is never shorter, so the estimate can only be
    // late (by at most one year, the 11 leap days of a cycle being less than 354), and it is
    // moved back while its first day lies after z.
    const int first_year = static_cast<int>(30 * cycle - kCycleZeroYearOffset);
    int year = first_year + static_cast<int>((rest - 1) / 354);
    while (DayNumberUnchecked(year, 1, 1) > z) --year;
    // The month from the mean 29.59 days, then moved to the month whose first day is the last one
    // not after z.
    const long long into_year = z - DayNumberUnchecked(year, 1, 1);  // 0..354
    int month = static_cast<int>(static_cast<double>(into_year + 1) / 29.59) + 1;
    if (month > 12) month = 12;
    while (month > 1 && DayNumberUnchecked(year, month, 1) > z) --month;
    while (month < 12 && DayNumberUnchecked(year, month + 1, 1) <= z) ++month;
    const HijriDate date{year, month, static_cast<int>(z - DayNumberUnchecked(year, month, 1) + 1)};
    return HijriDateValid(date.year, date.month, date.day) ? date : HijriDate{};
}

std::string HijriDateText(const HijriDate& date) {
    if (!HijriDateValid(date.year, date.month, date.day)) return {};
    // The same form as a calendar date text: era tag, MM-DD-YYYY, years up to 0 printed as 1 - H.
    return astro::FormatDateText(date.year, date.month, date.day);
}

std::string DayNumberToHijriText(int year, int month, int day) {
    const astro::DayNumber z = astro::DateToDayNumber(year, month, day);
    if (z == astro::InvalidDayNumber || z < HijriMinDayNumber || z > HijriMaxDayNumber) return {};
    return HijriDateText(DayNumberToHijri(z));
}

std::string HijriToDateText(int year, int month, int day) {
    const astro::DayNumber z = HijriToDayNumber(year, month, day);
    if (z == astro::InvalidDayNumber || z < HijriMinDayNumber || z > HijriMaxDayNumber) return {};
    return astro::DayNumberToDateText(z);
}

std::string HijriYearText(int year) {
    if (year < HijriMinYear || year > HijriMaxYear) return {};
    return RightAligned(year >= 1 ? "回历" + std::to_string(year) : "回历前" + std::to_string(1 - year), 10);
}

}  // namespace calendar
