// Date arguments of the command line. One syntax everywhere: ISO "YYYY-MM-DD" with astronomical
// years written with four digits ("0024-01-01" is the year 24, "0000-03-01" is 1 March of 1 BC,
// "-0103-05-01" is 104 BC), or the program's date text ("AD02-10-2024", "BC03-01-0001"). The date
// tools also take their own "MM-DD-YYYY", whose era the --bc flag gives. A year of fewer digits
// ("24-01-01", "AD02-10-24") is refused rather than read as the year 24.
#pragma once

#include <string>
#include <string_view>

#include "astro/day_numbers.h"

namespace cli {

// How a date was written.
enum class DateForm {
    kIso,         // YYYY-MM-DD, astronomical year
    kEra,         // ADMM-DD-YYYY / BCMM-DD-YYYY
    kMonthFirst,  // MM-DD-YYYY of the date tools: the year counts from 1, in the era of --bc
};

// What the help and the messages say a date is.
constexpr const char* kDateForms =
    "YYYY-MM-DD with a four-digit year (2024-02-10; 0000 is 1 BC, -0103 is 104 BC) or the date text "
    "ADMM-DD-YYYY / BCMM-DD-YYYY (AD02-10-2024)";

// The year, month and day of a date in one of the forms, without asking whether the date exists
// (lunar dates have months 13..24, Hijri dates their own lengths). month_first admits the tools'
// MM-DD-YYYY, whose year is then as typed (1..9999). False and the reason ("'24-01-01' is not a
// date: ...", with the text quoted) when the text has no form.
bool ParseDateFields(std::string_view text, astro::CalendarDate& date, std::string& error, bool month_first = false,
                     DateForm* form = nullptr);

// A date of the day numbers (Julian calendar to 1582-10-04, Gregorian from 1582-10-15, years
// -9998..9999) in the ISO or era form; false and the reason when the text has no form or the day
// does not exist ("'2023-02-29': February 2023 has 28 days").
bool ParseDateArg(std::string_view text, astro::CalendarDate& date, std::string& error);

// Why a Gregorian (Julian before the reform) date does not exist, in a few English words; empty
// when it does.
std::string WhyNoSuchDate(const astro::CalendarDate& date);

// The English name of month 1..12.
const char* MonthName(int month);
// A year as a message names it: "2023", "-103 (104 BC)", "0 (1 BC)".
std::string YearText(long long year);
// The ISO form of a date: "2024-02-10", "-0103-05-01"; also for lunar (months 13..24) and Hijri
// dates, so that the command line reads every date it writes.
std::string IsoDate(int year, int month, int day);

}  // namespace cli
