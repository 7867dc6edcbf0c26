// The date tools: the Julian day number of a date, the interval between two dates (or the date a
// number of days away), the sexagenary date, and conversion between the Gregorian, lunar and Hijri
// calendars. Dates are entered as the tools window takes them: "MM-DD-YYYY" with a 纪元前 (BC)
// flag and the calendar the date is written in (a lunar leap month as month + 12).
#pragma once

#include <string>

#include "astro/day_numbers.h"

namespace tools {

enum class EntryCalendar { kGregorian, kLunar, kHijri };

// A date outside the calendar's years (-8999..9000: 9000 BC to AD 9000) is refused with this.
constexpr const char* kOutOfCalendar = "超出计算范围：本工具适用于公元前9000年～公元9000年";

struct EnteredDate {
    astro::DayNumber day = astro::InvalidDayNumber;  // InvalidDayNumber when refused
    std::string message;                             // why it was refused (GBK), empty when accepted
    bool ok() const { return day != astro::InvalidDayNumber; }
};

// The day number of an entered date, or InvalidDayNumber: the text must be 5..10 of the
// characters "1234567890-" in the form month-day-year; with bc the year n means the astronomical
// year 1 - n (so 12-31-0001 BC is 31 December of year 0); the date must exist in its calendar.
astro::DayNumber EnteredDateToDayNumber(const std::string& text, bool bc, EntryCalendar calendar);

// The same for the tools, with a message when refused: the text must be 5..10 of the characters
// "1234567890-" in the form month-day-year; with bc the year n means the astronomical year 1 - n.
// The date must exist in its calendar (a lunar date in a year that has a record) and fall in the
// calendar's years. (The help text still speaks of 400..5000, the years the tools were made for.)
EnteredDate ParseEnteredDate(const std::string& text, bool bc, EntryCalendar calendar);

// "计算儒略日": the day number in digits, or empty.
std::string JulianDayResult(const EnteredDate& date);
// "计算间隔日": the second day number minus the first, in digits, or empty.
std::string IntervalResult(const EnteredDate& first, const EnteredDate& second);

struct ThreeCalendars {
    std::string gregorian;  // date texts, empty where there is none
    std::string lunar;
    std::string hijri;
    std::string message;    // why there is no date (GBK), for the number of days; empty otherwise
};
// The same day in the three calendars; all empty outside the range of day numbers.
ThreeCalendars DayInThreeCalendars(astro::DayNumber day);
// "计算间隔日", second form: the date `days` (a whole number of at most 9 digits, a leading "-"
// allowed) after the entered date. A number of another form, or a date beyond the range of day
// numbers, gives no date and says why in `message`.
ThreeCalendars DateAfterDays(const EnteredDate& date, const std::string& days);
// "计算干支历": the sexagenary date of the entered date, or empty.
std::string GanZhiResult(const EnteredDate& date, int ganzhi_mode);
// "公历农历回历互转".
ThreeCalendars ConvertResult(const EnteredDate& date);

}  // namespace tools
