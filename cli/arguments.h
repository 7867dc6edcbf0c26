// The checks of tempo's arguments as they are typed, apart from the command-line library: numbers
// (CLI11 by itself would read "" as 0, " 5" as 5 and "0x10" as 16), names, years and spans of
// years. Every refusal is a UsageError with a message, which tempo prints with status 2.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/condition_queries.h"

namespace cli {

// Thrown by argument checks; main turns it into a message (UTF-8) and status 2. The message reads
// after the name of the argument it concerns ("'24-01-01' is not a date", "is missing"), and main
// adds what that argument takes; a message about no one argument stands alone.
struct UsageError {
    explicit UsageError(std::string message_text, std::string argument_name = {})
        : message(std::move(message_text)), argument(std::move(argument_name)) {}
    std::string message;
    std::string argument;  // "DATE", "--years"; empty for a message about no one argument
};

// What the user typed, as a message quotes it: in single quotes, control characters (a terminal's
// escape sequences, line breaks) and bytes that are no UTF-8 written as \xNN, and cut after the first
// 60 characters ("..." then marks the cut), so that a hostile or huge argument cannot take over the
// terminal or flood it.
std::string Quoted(const std::string& typed);
// The same escaping without quotes or cut (line breaks kept), for whole messages that may hold
// typed text.
std::string EscapeControls(const std::string& text);

// A whole number: an optional "-", then digits, within min..max. The empty text when it is one (and
// *value set), else why not: "'x' is not a whole number", or "'99999999999' is out of range" for
// one that has the form but not the size.
std::string CheckWholeNumber(const std::string& text, long long min, long long max, long long* value = nullptr);
// A decimal number: an optional "-", digits with an optional fraction, an optional exponent;
// finite and within min..max. The empty text when it is one (and *value set), else why not.
std::string CheckDecimalNumber(const std::string& text, double min, double max, double* value = nullptr);

// A number 1..max, or one of the names (UTF-8) names[1..max]; 0 for the empty text (no
// condition). `what` names the option in the message.
int NumberOrName(const std::string& arg, int max, const char* const* names, const char* what);
// A sexagenary number 1..60 or its name (甲子 .. 癸亥); 0 for the empty text.
int GanZhiArg(const std::string& arg, const char* what);

// Any whole number the command line can carry; a year is then checked against the calendar's years,
// so that every year outside them gets the same message.
constexpr long long kAnyWhole = 9223372036854775807LL;

// Refuses a year outside the calendar's years -8999..9000, naming the argument it came from.
void CheckCalendarYear(long long year, const std::string& argument = {});

// The astronomical year of a year typed with the 纪元前 flag: n, or 1 - n (n from 1).
int EnteredYear(long long n, bool bc, const std::string& argument = "YEAR");

// The span of a query: its first year (typed with --bc) and how many years, at most 100 (more are
// cut to 100). Both ends must be years of the calendar.
struct QuerySpan {
    int first = 0;
    int years = 0;
    bool cut = false;  // more than 100 years were asked for
};
QuerySpan QueryYears(long long from, bool bc, long long years);

// The criteria of "tempo query days" as typed (UTF-8); an empty text is no condition.
struct DayQueryOptions {
    std::string solar_month, solar_day, lunar_month, lunar_day, hijri_month, hijri_day;
    std::string ganzhi_year, ganzhi_month, ganzhi_day, weekday, term, festival;
};
tools::DayCriteria DayCriteriaOf(const DayQueryOptions& o);

// The condition of "tempo query months": exactly one of the four flags; a base month (1..12, 0 for
// none) only with leap.
struct MonthQueryOptions {
    bool leap = false;
    bool three_big = false;
    bool three_small = false;
    bool four_big = false;
    long long base_month = 0;
};
tools::MonthCondition MonthConditionOf(const MonthQueryOptions& o);

// The years of `tempo ics`, at most 200 of 1583..2999: iCalendar dates are Gregorian, and so is
// the calendar only from 1582-10-15; libical writes no date after the year 3000, and an all-day
// event ends on the day after it.
struct IcsSpan {
    int first = 0;
    int years = 0;
};
constexpr int kFirstIcsYear = 1583;
constexpr int kLastIcsYear = 2999;
constexpr int kMaxIcsYears = 200;
IcsSpan IcsYears(long long from, long long years);

// Years as runs: "2027..2045", "1949, 2007..2026", "2030"; "none" for no year. `years` ascending.
std::string YearRunsText(const std::vector<int>& years);

// A yearly birthday "MM-DD:TITLE" (1..2 digits each; a lunar leap month as month + 12), the title
// UTF-8 as typed, without the blanks around it.
struct Birthday {
    bool lunar = false;
    int month = 0;
    int day = 0;
    std::string title;
};
// Why a title (or a calendar name) cannot go into a calendar file: empty or blank, not UTF-8, or
// holding a control character; the empty text when it can.
std::string CheckTitleText(const std::string& title);
// The birthday "MM-DD:TITLE" of an entry (blanks and tabs around the date and the title are
// dropped), or why there is none (an empty text when *out is set): no ':', no
// MM-DD, a month or day that no year has, an empty title, a title that is not UTF-8 or holds a
// control character.
std::string CheckBirthday(const std::string& entry, bool lunar, Birthday* out);
// The birthdays of a file, one a line in the forms of the options: "lunar-birthday MM-DD:TITLE" or
// "solar-birthday MM-DD:TITLE" (with or without "--", the entry after blanks or "=", blanks and tabs
// allowed around every separator). "#" at the start of a line or after a blank or a tab starts a
// comment that runs to the line's end ("08-15:妈妈生日  # 农历"); a "#" inside a word belongs to it
// ("C#组聚会"). Blank lines and comment lines are skipped, a UTF-8 byte-order mark and CR line ends
// are taken. A bad line is a UsageError naming the file and the line.
std::vector<Birthday> ReadBirthdays(const std::string& contents, const std::string& file_name);

}  // namespace cli
