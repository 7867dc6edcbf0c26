// Public holidays of mainland China: the days off (休) and the make-up working days (班) of the State
// Council's yearly arrangement. This is data, not astronomy: every November or so a notice fixes
// the next year's days, so the program carries the published table (calendar/holiday_table.inc,
// generated from data/) and can take a newer one in the same format (a TSV file: date, 休 or 班,
// the holiday's name; UTF-8).
//
// A notice lists only the days it moves: the days off, and the weekend days that become working
// days. A holiday's span also takes the weekend next to it ("与周末连休"): the Saturdays and Sundays
// directly before or after a listed day off, up to a listed working day. A make-up day is shown
// only on a weekend: a working day listed on a weekday would change nothing, and a table that lists
// one is refused.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "astro/day_numbers.h"

namespace calendar {

enum class HolidayKind : char { kNone, kOff, kWork };

// One listed day. `name` is the holiday under the name users read (GBK): 元旦, 春节, 清明节, 劳动节,
// 端午节, 中秋节, 国庆节, the joint "中秋节、国庆节" of the years they fall together, or another
// holiday under its own name.
struct HolidayRow {
    astro::DayNumber day = 0;
    HolidayKind kind = HolidayKind::kNone;
    std::string name;
};

// A table of listed days, in date order, and the years whose arrangement it holds (a notice's year
// is that of its holiday's last day off: the 元旦 of 2023 began on 2022-12-31).
struct HolidayTable {
    std::vector<HolidayRow> rows;
    std::vector<int> years;  // ascending
};

// The table published with the program.
const HolidayTable& BuiltInHolidays();

// The name users read for a name as a notice writes it ("“五一”" → 劳动节, "“十一”" → 国庆节, either
// order of 中秋节 and 国庆节 → "中秋节、国庆节"); other names unchanged. GBK.
std::string HolidayNameOf(std::string_view notice_name);

// A table's last line states how many rows it holds and which years, so that a table cut short
// (at a line end, where nothing else would show it) is known to be cut:
//     # end of table: 677 rows, years 2007..2026
// It is a comment to a reader that does not know it. Years are written as ranges with their gaps
// ("1949, 2007..2026"). Only blank lines may follow it.
constexpr const char* kTableEndPrefix = "# end of table: ";
// The end line of a table (UTF-8, without its line end).
std::string TableEndLine(const HolidayTable& table);
// The years as ranges with their gaps: "2007..2026", "1949, 2007..2026" with ", ", "1949、2007..2026"
// with "、" (GBK).
std::string YearsText(const std::vector<int>& years, const char* separator = ", ");

// The years for a message (GBK): "1949、2007..2026年", or, when that would run long (many gaps),
// "1949..2199年中的126年", so that a message stays within a few lines.
std::string YearsForMessage(const std::vector<int>& years);

// Whether a table must end with its end line: a table received over the network must prove it is
// whole; a file the user or an older version of the program wrote may lack it (when it has one,
// the line must be right).
enum class TableEnd { kOptional, kRequired };

// Why a table was refused: what is wrong, and on which line (0: the table as a whole).
struct HolidayTableFault {
    enum Kind {
        kNone,
        kTooLarge,       // over 64 KiB
        kColumns,        // not three columns
        kDate,           // no date of 1949..2200
        kKind,           // the second column is neither 休 nor 班
        kWorkOnWeekday,  // a 班 on Monday..Friday (`weekday`)
        kNameEmpty,
        kNameTooLong,    // over 90 bytes of UTF-8 (30 Chinese characters)
        kNameControl,    // a control character
        kNameNotUtf8,
        kNameNotGbk,     // `character` has no GBK form, so the program could not show it
        kTwice,          // a day listed twice
        kAfterEnd,       // more after the end line
        kEndMismatch,    // the end line is not the one the rows make (`expected_end`, `rows`, `years`)
        kOnlyWork,       // a holiday with make-up days and no day off
        kEmpty,          // no holiday at all
        kNoEnd,          // no end line where one is required
    };
    Kind kind = kNone;
    int line = 0;
    int weekday = 0;
    unsigned long character = 0;
    std::string expected_end;
    std::size_t rows = 0;
    std::vector<int> years;
};

// The fault as the program tells it (GBK): "第437行：“班”只能在周六或周日（这一天是星期一）".
std::string FaultText(const HolidayTableFault& fault);
// The fault as tempo and tempoline-web tell it (UTF-8, English like their other messages): "line
// 437: 班 (a make-up working day) must fall on a Saturday or Sunday; 2020-02-05 is a Wednesday".
std::string FaultTextEnglish(const HolidayTableFault& fault);

// Reads a table in the data file's format (UTF-8, "#" comment lines, rows "YYYY-MM-DD<TAB>休|班<TAB>
// name", the end line). Refused whole, with the reason, when it is over 64 KiB, a line is
// malformed, a date does not exist or lies outside 1949..2200, a day is listed twice, a 班 falls on
// a weekday (a weekday is worked anyway: such a line is a mistake), a name is empty, longer than 90
// bytes (30 characters), not text or not writable in GBK, a year has no day off, or the end line is
// missing where it is required, does not match the table or is followed by more.
//
// One weekday 班 is read, and left out: "2020-02-03 班 春节", which the tables of earlier releases
// carry (their built-in table listed the Monday on which work resumed after the extended Spring
// Festival of 2020). That day is worked, but no weekend was moved for it: it is an ordinary working
// day, and the rest of such a table is taken as it stands.
bool ParseHolidayTable(std::string_view tsv, HolidayTable& table, HolidayTableFault& fault,
                       TableEnd end = TableEnd::kOptional);
// The same with the reason as the program tells it (GBK) in `why`.
bool ParseHolidayTable(std::string_view tsv, HolidayTable& table, std::string& why,
                       TableEnd end = TableEnd::kOptional);
constexpr std::size_t kMaxHolidayFileBytes = 64 * 1024;
// The reason ParseHolidayTable gives for a table without its end line where one is required (GBK).
constexpr const char* kNoTableEnd = "节假日表没有结尾行";

// The table in the data file's format (UTF-8) with its end line, as a file or the service offers it.
std::string HolidayTableText(const HolidayTable& table);

// `newer`'s years replace the same years of `base`; the other years of both are kept.
HolidayTable MergeHolidays(const HolidayTable& base, const HolidayTable& newer);

// What a day is under the arrangement: 休 or 班 with the holiday's name (GBK); kNone for an ordinary
// day. The joint 中秋节、国庆节 span names its days before 1 October 中秋节 and the others 国庆节; a
// make-up (班) day has the name of the day off of its holiday nearest to it.
struct HolidayMark {
    HolidayKind kind = HolidayKind::kNone;
    std::string name;
};

// One holiday of a year as it is read out: its span of days off and its make-up weekend days.
struct HolidaySpan {
    std::string name;  // GBK
    astro::DayNumber first = 0, last = 0;
    std::vector<astro::DayNumber> work_days;  // 班 days (weekends) that belong to it
};

// The arrangement as the calendar asks it: the marks of every day, worked out once from a table.
class HolidayCalendar {
public:
    explicit HolidayCalendar(HolidayTable table);

    const HolidayTable& Table() const { return table_; }
    // Whether the table holds the arrangement of the Gregorian year.
    bool HoldsYear(int year) const;
    HolidayMark MarkOf(astro::DayNumber day) const;
    // A working day: Monday..Friday not off, or a make-up (班) day.
    bool IsWorkday(astro::DayNumber day) const;
    // The holidays of a notice year in date order; empty for a year the table does not hold.
    std::vector<HolidaySpan> SpansOf(int year) const;
    // The working days of a Gregorian year.
    int WorkdaysIn(int year) const;
    // The day `count` working days after (count > 0) or before (count < 0) `from`; 0 steps give
    // `from` itself. False when the count would pass a year the table does not hold.
    bool AddWorkdays(astro::DayNumber from, long long count, astro::DayNumber& result) const;

private:
    struct Marked {
        HolidayMark mark;
        int group = 0;  // the holiday (listed days of one name close together) it belongs to
    };
    HolidayTable table_;
    std::map<astro::DayNumber, Marked> marks_;
};

// The arrangement the program uses: the built-in table until another is installed (a fetched table
// merged with the built-in one). Safe to read from any thread while the user interface installs.
std::shared_ptr<const HolidayCalendar> Holidays();
void InstallHolidays(HolidayTable table);

// "2027年的节假日安排尚未收录" (GBK).
std::string HolidaysNotHeldText(int year);

}  // namespace calendar
